// The names thumbnails get in a store.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "thumbnails/store_entries.h"

namespace albumcore::thumbnails {
namespace {

TEST(EntryNamesTest, AnItemWithoutAStoredEntryGetsItsDefaultName) {
  const auto never = [](std::string_view) { return true; };  // not even asked
  EXPECT_EQ(ChooseEntryName(7, "", never), "i0000007.jpg");
  EXPECT_EQ(DefaultEntryName(123456789), "i123456789.jpg");
}

TEST(EntryNamesTest, AStoredNameIsReusedOrCountedOnUntilOneIsFree) {
  std::set<std::string, std::less<>> taken;
  const auto isTaken = [&](std::string_view name) { return taken.contains(name); };

  EXPECT_EQ(ChooseEntryName(42, "beach.jpg", isTaken), "beach.jpg");
  taken = {"beach.jpg", "beach1.jpg"};
  EXPECT_EQ(ChooseEntryName(42, "beach.jpg", isTaken), "beach2.jpg");

  // Saving the same item again and again alternates between two names.
  taken = {"i0000042.jpg"};
  EXPECT_EQ(ChooseEntryName(42, "i0000042.jpg", isTaken), "i00000421.jpg");
  taken = {"i00000421.jpg"};
  EXPECT_EQ(ChooseEntryName(42, "i00000421.jpg", isTaken), "i00000422.jpg");
  taken = {"i00000422.jpg"};
  EXPECT_EQ(ChooseEntryName(42, "i00000422.jpg", isTaken), "i00000421.jpg");
  // Another item's name is not its own default stem: counted as it is.
  taken = {"i00000131.jpg"};
  EXPECT_EQ(ChooseEntryName(42, "i00000131.jpg", isTaken), "i000001311.jpg");

  // Every counter taken: the stored name is written over.
  const auto always = [](std::string_view) { return true; };
  EXPECT_EQ(ChooseEntryName(42, "beach.jpg", always), "beach.jpg");
}

}  // namespace
}  // namespace albumcore::thumbnails
