// The listing statements as text: the exact composition of every album
// kind, the sort and filter pieces, and refused filters.
#include <gtest/gtest.h>

#include <string>

#include "albums/listing/listing.h"
#include "com/error.h"

namespace albumcore::albums::listing {
namespace {

constexpr const char* kFull =
    "SELECT SearchDomain.ItemID, SearchDomain.DateCreated, SearchDomain.DateModified, SearchDomain.ItemType, "
    "SearchDomain.Name, SearchDomain.ItemDataMoniker, SearchDomain.Size, SearchDomain.BigSize, "
    "SearchDomain.ItemThumbMoniker, SearchDomain.Note, SearchDomain.SoundMoniker, SearchDomain.Rating, "
    "SearchDomain.ReadOnly, PhotoItem.Rotation FROM (AlbumItems AS SearchDomain LEFT JOIN PhotoItem ON "
    "SearchDomain.ItemID = PhotoItem.ItemID)";
constexpr const char* kMembers =
    " INNER JOIN AlbumContents ON SearchDomain.ItemID=AlbumContents.ItemID  WHERE AlbumContents.AlbumID = 42";
constexpr const char* kAllAlbums =
    " WHERE SearchDomain.ItemID NOT IN (SELECT AlbumContents.ItemID FROM AlbumContents WHERE AlbumContents.ItemID "
    "NOT IN (SELECT AlbumContents.ItemID FROM AlbumContents WHERE AlbumContents.AlbumID<>7)) AND SearchDomain.ItemID "
    "NOT IN (SELECT SpecialAlbums.AlbumID FROM SpecialAlbums) AND SearchDomain.ItemType = 9";
constexpr const char* kIdSelect = "SELECT SearchDomain.ItemID FROM AlbumItems AS SearchDomain";
constexpr const char* kIdMembers =
    ",AlbumContents WHERE SearchDomain.ItemID = AlbumContents.ItemID AND AlbumContents.AlbumID = 42";
constexpr const char* kAllFiles = " WHERE (SearchDomain.ItemType < 8 OR SearchDomain.ItemType > 16)";

std::string IdQuery(ListingKind kind, const com::Bstr& filter = {}, uint32_t field = 0, uint32_t order = 0) {
  return BuildItemIdQuery(kind, 42, 7, filter, field, order);
}
std::string FullQuery(ListingKind kind, const com::Bstr& filter = {}, uint32_t field = 0, uint32_t order = 0) {
  return BuildListingQuery(kind, 42, 7, filter, field, order);
}

TEST(ListingQueryText, ExamplesOfTheDesign) {
  EXPECT_EQ(BuildItemIdQuery(ListingKind::PlainAlbum, 42, -1, "0,2", NAX_SORT_NAME, NAX_SORT_DESCENDING),
            "SELECT SearchDomain.ItemID FROM AlbumItems AS SearchDomain,AlbumContents WHERE SearchDomain.ItemID = "
            "AlbumContents.ItemID AND AlbumContents.AlbumID = 42 AND SearchDomain.ItemType IN (0,2) ORDER BY "
            "SearchDomain.Name DESC");
  EXPECT_EQ(FullQuery(ListingKind::Shoebox, "2"), std::string(kFull) + " WHERE SearchDomain.ItemType IN (2)");
}

TEST(ListingQueryText, SelectionOfEveryKind) {
  const std::string members = std::string(kFull) + kMembers;
  EXPECT_EQ(FullQuery(ListingKind::PlainAlbum), members + " AND SearchDomain.Hidden = No");
  EXPECT_EQ(FullQuery(ListingKind::DeviceAlbum), members + " AND SearchDomain.Hidden = No");
  EXPECT_EQ(FullQuery(ListingKind::SpecialAlbum), members);
  EXPECT_EQ(FullQuery(ListingKind::Shoebox), kFull);
  EXPECT_EQ(FullQuery(ListingKind::AllFiles), std::string(kFull) + kAllFiles);
  EXPECT_EQ(FullQuery(ListingKind::AllAlbums), std::string(kFull) + kAllAlbums);

  for (auto kind : {ListingKind::PlainAlbum, ListingKind::DeviceAlbum, ListingKind::SpecialAlbum})
    EXPECT_EQ(IdQuery(kind), std::string(kIdSelect) + kIdMembers);
  EXPECT_EQ(IdQuery(ListingKind::Shoebox), kIdSelect);
  EXPECT_EQ(IdQuery(ListingKind::AllFiles), std::string(kIdSelect) + kAllFiles);
  EXPECT_EQ(IdQuery(ListingKind::AllAlbums), std::string(kIdSelect) + kAllAlbums);
}

TEST(ListingQueryText, FilterJoinsWithAndAfterAWhereOfTheSelection) {
  EXPECT_EQ(IdQuery(ListingKind::AllFiles, "0, 2 ,-3"),
            std::string(kIdSelect) + kAllFiles + " AND SearchDomain.ItemType IN (0, 2 ,-3)");
  EXPECT_EQ(FullQuery(ListingKind::AllAlbums, "9"),
            std::string(kFull) + kAllAlbums + " AND SearchDomain.ItemType IN (9)");
  // Empty and null filters add nothing.
  EXPECT_EQ(IdQuery(ListingKind::PlainAlbum, com::Bstr("")), IdQuery(ListingKind::PlainAlbum, com::Bstr::Null()));
  EXPECT_EQ(FullQuery(ListingKind::Shoebox, com::Bstr("")), kFull);
}

TEST(ListingQueryText, SortFieldsAndDirections) {
  const char* columns[] = {"Name", "Size", "DateCreated", "DateModified", "ItemType", "Filename", "Rating"};
  for (uint32_t field = NAX_SORT_NAME; field <= NAX_SORT_RATING; ++field) {
    const std::string order = std::string(" ORDER BY SearchDomain.") + columns[field - 1];
    EXPECT_EQ(IdQuery(ListingKind::Shoebox, {}, field, NAX_SORT_ASCENDING), kIdSelect + order + " ASC");
    EXPECT_EQ(IdQuery(ListingKind::Shoebox, {}, field, NAX_SORT_DESCENDING), kIdSelect + order + " DESC");
  }
  // Any non-zero order is descending; fields outside the table sort nothing.
  EXPECT_EQ(FullQuery(ListingKind::Shoebox, {}, NAX_SORT_SIZE, 2),
            std::string(kFull) + " ORDER BY SearchDomain.Size DESC");
  for (uint32_t field : {0u, 8u, 9u, 0xFFFFFFFFu}) {
    EXPECT_EQ(IdQuery(ListingKind::Shoebox, {}, field, NAX_SORT_DESCENDING), kIdSelect) << field;
    EXPECT_EQ(FullQuery(ListingKind::Shoebox, {}, field, NAX_SORT_ASCENDING), kFull) << field;
  }
}

TEST(ListingQueryText, FilterThatIsNoListOfIntegersIsASyntaxError) {
  for (const char* filter : {"0) OR (1=1", "0);DELETE FROM AlbumItems", "0,2) OR SearchDomain.Hidden = Yes OR (0",
                             "abc", "0,,2", "0,", ",0", "1.5", "0 2", " ", "0x10", "[x]", "\xd9\xa3"}) {
    try {
      FullQuery(ListingKind::PlainAlbum, filter);
      ADD_FAILURE() << "accepted: " << filter;
    } catch (const com::ComError& e) {
      EXPECT_EQ(e.hr(), com::JetError(3075)) << filter;
    }
  }
}

}  // namespace
}  // namespace albumcore::albums::listing
