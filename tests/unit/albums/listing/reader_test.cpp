// Listings read from a copy of the template catalogue: what each selection
// lists on the engine, and the arrays the readers fill.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "albums/listing/listing.h"
#include "com/error.h"
#include "store/dao/engine.h"

namespace albumcore::albums::listing {
namespace {

using com::Variant;
using Ids = std::vector<int32_t>;

template <class F>
com::HRESULT StatusOf(F&& run) {
  try {
    run();
    return com::S_OK;
  } catch (const com::ComError& e) {
    return e.hr();
  }
}

Ids IdsOf(const Variant& v) { return v.isEmpty() ? Ids{} : v.array().elements<int32_t>(); }

class ListingRead : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("albumcore-listing-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::copy_file(ALBUMCORE_TEMPLATE_DB, dir_ / "catalogue.db");
    db_ = com::MakeObject<store::dao::DBEngine>()->OpenDatabase((dir_ / "catalogue.db").string());
  }
  void TearDown() override {
    db_.reset();
    std::filesystem::remove_all(dir_);
  }

  int32_t Add(int32_t type, const std::string& columns = "", const std::string& values = "") {
    db_->Execute("INSERT INTO AlbumItems (ItemType" + columns + ") VALUES (" + std::to_string(type) + values + ")");
    return db_->OpenRecordset("SELECT Max(ItemID) FROM AlbumItems")->GetValue(0).i4();
  }
  int32_t AddNamed(int32_t type, const std::string& name, bool hidden = false) {
    return Add(type, ", Name, Hidden", ", \"" + name + "\", " + (hidden ? "Yes" : "No"));
  }
  void Link(int32_t album, int32_t item) {
    db_->Execute("INSERT INTO AlbumContents (AlbumID, ItemID) VALUES (" + std::to_string(album) + ", " +
                 std::to_string(item) + ")");
  }
  Ids Full(ListingKind kind, int32_t album, const com::Bstr& filter = {}, int32_t mru = -1) {
    typelib::ItemListingArrays arrays;
    ReadListing(*db_, BuildListingQuery(kind, album, mru, filter, NAX_SORT_NAME, NAX_SORT_ASCENDING), &arrays, nullptr);
    return IdsOf(arrays.id);
  }
  Ids Short(ListingKind kind, int32_t album, const com::Bstr& filter = {}, int32_t mru = -1) {
    Variant id, name, type, created, modified;
    ReadShortListing(*db_, BuildItemIdQuery(kind, album, mru, filter, NAX_SORT_NAME, NAX_SORT_ASCENDING), &id, &name,
                     &type, &created, &modified);
    return IdsOf(id);
  }

  std::filesystem::path dir_;
  com::ComPtr<store::dao::Database> db_;
};

TEST_F(ListingRead, PlainAlbumLeavesHiddenMembersOutOfItsFullListingOnly) {
  const int32_t album = AddNamed(9, "Album");
  const int32_t shown = AddNamed(0, "b shown");
  const int32_t hidden = AddNamed(0, "a hidden", true);
  AddNamed(0, "not a member");
  Link(album, shown);
  Link(album, hidden);

  EXPECT_EQ(Full(ListingKind::PlainAlbum, album), Ids{shown});
  EXPECT_EQ(Full(ListingKind::DeviceAlbum, album), Ids{shown});
  EXPECT_EQ(Short(ListingKind::PlainAlbum, album), (Ids{hidden, shown}));
  EXPECT_EQ(Full(ListingKind::SpecialAlbum, album), (Ids{hidden, shown}));

  // No rows: every output stays empty.
  typelib::ItemListingArrays a;
  Variant readOnly, id, name, type, created, modified;
  ReadListing(*db_, BuildListingQuery(ListingKind::PlainAlbum, album, -1, "2", 1, 0), &a, &readOnly);
  ReadShortListing(*db_, BuildItemIdQuery(ListingKind::PlainAlbum, album, -1, "2", 1, 0), &id, &name, &type, &created,
                   &modified);
  for (const Variant* v : {&a.id, &a.name, &a.type, &a.moniker, &a.dateCreated, &a.dateModified, &a.size, &a.bigSize,
                           &a.thumbMoniker, &a.rotation, &a.soundMoniker, &a.notes, &a.rating, &readOnly, &id, &name,
                           &type, &created, &modified})
    EXPECT_TRUE(v->isEmpty()) << v->Describe();
}

TEST_F(ListingRead, VirtualAlbumsSelectOnTheEngine) {
  const int32_t mru = AddNamed(9, "MRU");
  db_->Execute("INSERT INTO SpecialAlbums (AlbumID, Type) VALUES (" + std::to_string(mru) + ", 3)");
  const int32_t album = AddNamed(9, "Album");
  const int32_t onlyInMru = AddNamed(9, "Section");
  const int32_t alsoInMru = AddNamed(9, "Shared");
  const int32_t photo = AddNamed(0, "Photo", true);
  const int32_t song = AddNamed(2, "Song");
  const int32_t container = AddNamed(12, "Container");
  Link(mru, onlyInMru);
  Link(mru, alsoInMru);
  Link(album, alsoInMru);
  Link(album, photo);

  // The template holds no items; by name.
  const Ids all = {album, container, mru, photo, onlyInMru, alsoInMru, song};
  EXPECT_EQ(Short(ListingKind::Shoebox, 0), all);
  EXPECT_EQ(Full(ListingKind::Shoebox, 0), all) << "hidden items are part of the shoebox";
  EXPECT_EQ(Full(ListingKind::Shoebox, 0, "0,2"), (Ids{photo, song}));
  EXPECT_EQ(Full(ListingKind::AllFiles, 0), (Ids{photo, song}));
  EXPECT_EQ(Short(ListingKind::AllFiles, 0, "2"), (Ids{song}));
  EXPECT_EQ(Full(ListingKind::AllAlbums, 0, {}, mru), (Ids{album, alsoInMru}));
  EXPECT_EQ(Short(ListingKind::AllAlbums, 0, "9", mru), (Ids{album, alsoInMru}));
}

TEST_F(ListingRead, FullListingArrays) {
  const int32_t bare = Add(0);  // no name, no note, no photo row
  const int32_t photo = Add(0, ", Name, Note, Size, BigSize, Rating, ReadOnly, DateCreated",
                            ", \"Photo\", \"note\", 7, 1, 4, Yes, #1/2/2003#");
  db_->Execute("INSERT INTO PhotoItem (ItemID, Rotation) VALUES (" + std::to_string(photo) + ", 90)");
  db_->Execute("INSERT INTO PhotoItem (ItemID, Rotation) VALUES (" + std::to_string(bare) + ", Null)");
  const int32_t noPhotoRow = Add(2, ", Name", ", \"Song\"");

  typelib::ItemListingArrays a;
  Variant readOnly;
  ReadListing(*db_, BuildListingQuery(ListingKind::Shoebox, 0, -1, "0,2", NAX_SORT_NAME, NAX_SORT_DESCENDING), &a,
              &readOnly);
  const std::pair<const Variant*, uint16_t> typed[] = {
      {&a.id, com::VT_I4},          {&a.name, com::VT_BSTR},         {&a.type, com::VT_I4},
      {&a.moniker, com::VT_BSTR},   {&a.dateCreated, com::VT_DATE},  {&a.dateModified, com::VT_DATE},
      {&a.size, com::VT_I4},        {&a.bigSize, com::VT_I4},        {&a.thumbMoniker, com::VT_BSTR},
      {&a.rotation, com::VT_I4},    {&a.soundMoniker, com::VT_BSTR}, {&a.notes, com::VT_BSTR},
      {&a.rating, com::VT_I4},      {&readOnly, com::VT_BOOL}};
  for (const auto& [array, type] : typed) {
    ASSERT_EQ(array->vt(), com::VT_ARRAY | type) << array->Describe();
    EXPECT_EQ(array->array().size(), 3u);
    EXPECT_EQ(array->array().lowerBound(), 0);
  }
  // Sorted by name, descending: Song, Photo, then the unnamed item.
  EXPECT_EQ(IdsOf(a.id), (Ids{noPhotoRow, photo, bare}));
  EXPECT_EQ(a.name.array().get(2), Variant(""));
  EXPECT_EQ(a.notes.array().get(1), Variant("note"));
  EXPECT_EQ(a.rotation.array().elements<int32_t>(), (Ids{0, 90, 0}));
  EXPECT_EQ((Ids{a.size.array().get(1).i4(), a.bigSize.array().get(1).i4(), a.rating.array().get(1).i4()}),
            (Ids{7, 1, 4}));
  EXPECT_EQ(a.dateCreated.array().get(1), Variant::Date(37623));  // 2 January 2003
  EXPECT_EQ(a.dateCreated.array().get(2), Variant::Date(0));
  EXPECT_EQ(readOnly.array().get(1), Variant::Bool(true));
  EXPECT_EQ(readOnly.array().get(0), Variant::Bool(false));

  // Without the read-only out the listing is the same; so it is when the
  // text cannot be counted as a derived table (a trailing ";").
  typelib::ItemListingArrays b;
  ReadListing(*db_, BuildListingQuery(ListingKind::Shoebox, 0, -1, "0,2", NAX_SORT_NAME, NAX_SORT_DESCENDING) + ";", &b,
              nullptr);
  EXPECT_TRUE(b.id == a.id && b.rotation == a.rotation && b.moniker == a.moniker);

  // The short listing: IDs, names, types, both dates.
  Variant id, name, type, created, modified;
  ReadShortListing(*db_, BuildItemIdQuery(ListingKind::Shoebox, 0, -1, "0,2", NAX_SORT_NAME, NAX_SORT_DESCENDING),
                   &id, &name, &type, &created, &modified);
  EXPECT_TRUE(id == a.id && name == a.name && type == a.type && created == a.dateCreated && modified == a.dateModified);
}

TEST_F(ListingRead, RefusedFilterFailsAsTheEngineFailsOnNonNumbers) {
  // The text as it would read with the filter inserted unchecked.
  const std::string unchecked = BuildListingQuery(ListingKind::Shoebox, 0, -1, {}, 0, 0) +
                                " WHERE SearchDomain.ItemType IN (two three)";
  const com::HRESULT engine = StatusOf([&] { db_->OpenRecordset(unchecked); });
  EXPECT_EQ(engine, com::JetError(3075));
  typelib::ItemListingArrays a;
  EXPECT_EQ(StatusOf([&] {
              ReadListing(*db_, BuildListingQuery(ListingKind::Shoebox, 0, -1, "two three", 0, 0), &a, nullptr);
            }),
            engine);
  // A statement without the listing's columns.
  Add(0);
  EXPECT_EQ(StatusOf([&] { ReadListing(*db_, "SELECT ItemID FROM AlbumItems", &a, nullptr); }), com::JetError(3265));
  EXPECT_TRUE(a.id.isEmpty());
}

}  // namespace
}  // namespace albumcore::albums::listing
