// The member set of an album: order-free loading, inserts anywhere, and
// item objects that leave with their member.
#include "albums/album/membership.h"

#include <gtest/gtest.h>

namespace albumcore::albums {
namespace {

class Held final : public com::ComObject {};

TEST(Membership, LoadsInAnyOrderAndKeepsEachIdOnce) {
  Membership m;
  m.Assign({7, 3, 9, 3, 1});
  EXPECT_EQ(m.size(), 4u);
  for (int32_t id : {1, 3, 7, 9}) EXPECT_TRUE(m.Contains(id)) << id;
  EXPECT_FALSE(m.Contains(5));

  EXPECT_TRUE(m.Insert(5));    // between two members
  EXPECT_TRUE(m.Insert(0));    // before all
  EXPECT_TRUE(m.Insert(12));   // after all
  EXPECT_FALSE(m.Insert(7));   // already in
  EXPECT_EQ(m.size(), 7u);
  EXPECT_TRUE(m.Erase(5));
  EXPECT_FALSE(m.Erase(5));
  EXPECT_FALSE(m.Contains(5));
  EXPECT_TRUE(m.Contains(7));
  EXPECT_EQ(m.size(), 6u);
}

TEST(Membership, AnItemObjectLeavesWithItsMember) {
  Membership m;
  m.Assign({4});
  auto object = com::MakeObject<Held>();
  m.Object(4) = com::ComPtr<com::IUnknown>(object.get());
  EXPECT_EQ(m.Object(4).get(), object.get());
  m.Erase(4);
  m.Insert(4);
  EXPECT_FALSE(m.Object(4));  // a returning member starts without one
  m.Object(4) = com::ComPtr<com::IUnknown>(object.get());
  m.Assign({4});
  EXPECT_FALSE(m.Object(4));  // reloading drops what was kept
}

}  // namespace
}  // namespace albumcore::albums
