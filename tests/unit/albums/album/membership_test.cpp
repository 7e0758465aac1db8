// The member set of an album: loading in any order, inserts anywhere, and
// item objects that leave with their member.
#include "albums/album/membership.h"

#include <gtest/gtest.h>

namespace albumcore::albums {
namespace {

class Held final : public com::ComObject {};

TEST(Membership, KeepsEachIdOnceInOrderAndDropsTheObjectOfAMemberThatLeaves) {
  Membership m;
  m.Assign({7, 3, 9, 3});
  EXPECT_EQ(m.size(), 3u);
  EXPECT_TRUE(m.Insert(5));   // between two members
  EXPECT_TRUE(m.Insert(1));   // before all
  EXPECT_FALSE(m.Insert(7));  // already in
  EXPECT_TRUE(m.Erase(5));
  EXPECT_FALSE(m.Erase(5));
  for (int32_t id : {1, 3, 7, 9}) EXPECT_TRUE(m.Contains(id)) << id;
  EXPECT_EQ(m.size(), 4u);

  auto object = com::MakeObject<Held>();
  m.Object(7) = com::ComPtr<com::IUnknown>(object.get());
  m.Erase(7);
  m.Insert(7);
  EXPECT_FALSE(m.Object(7));  // a returning member starts without one
  m.Object(7) = com::ComPtr<com::IUnknown>(object.get());
  m.Assign({7});
  EXPECT_FALSE(m.Object(7));  // reloading drops what was kept
}

}  // namespace
}  // namespace albumcore::albums
