// The listing statements, composed piece by piece in a fixed order: the
// selection of the album kind, then the filter, then the sort.
#include <array>
#include <cctype>
#include <string>

#include "albums/listing/listing.h"
#include "store/jetsql/jet_error.h"

namespace albumcore::albums::listing {

namespace {

namespace jeterr = store::jetsql::jeterr;

constexpr std::array<std::string_view, 8> kSortTexts = {
    "",
    " ORDER BY SearchDomain.Name",
    " ORDER BY SearchDomain.Size",
    " ORDER BY SearchDomain.DateCreated",
    " ORDER BY SearchDomain.DateModified",
    " ORDER BY SearchDomain.ItemType",
    " ORDER BY SearchDomain.Filename",
    " ORDER BY SearchDomain.Rating",
};

// ID-only statement of an album's members.
constexpr std::string_view kIdSelect = "SELECT SearchDomain.ItemID FROM ";
constexpr std::string_view kItemTable = "AlbumItems";
constexpr std::string_view kAlias = " AS SearchDomain";
constexpr std::string_view kMemberJoin = ",AlbumContents WHERE SearchDomain.ItemID = AlbumContents.ItemID AND";
constexpr std::string_view kAlbumIdIs = " AlbumContents.AlbumID = ";

// Full statement.
constexpr std::string_view kFullColumns =
    "SELECT SearchDomain.ItemID, SearchDomain.DateCreated, SearchDomain.DateModified, SearchDomain.ItemType, "
    "SearchDomain.Name, SearchDomain.ItemDataMoniker, SearchDomain.Size, SearchDomain.BigSize, "
    "SearchDomain.ItemThumbMoniker, SearchDomain.Note, SearchDomain.SoundMoniker, SearchDomain.Rating, "
    "SearchDomain.ReadOnly, PhotoItem.Rotation";
constexpr std::string_view kFullFrom =
    " FROM (AlbumItems AS SearchDomain LEFT JOIN PhotoItem ON SearchDomain.ItemID = PhotoItem.ItemID)";
// Ends with a blank, so two blanks stand before WHERE.
constexpr std::string_view kFullMemberJoin = " INNER JOIN AlbumContents ON SearchDomain.ItemID=AlbumContents.ItemID ";
constexpr std::string_view kNotHidden = " AND SearchDomain.Hidden = No";

// Conditions of the virtual albums.
constexpr std::string_view kAllFilesCondition = " (SearchDomain.ItemType < 8 OR SearchDomain.ItemType > 16)";
constexpr std::string_view kNotOnlyInMruPrefix =
    " SearchDomain.ItemID NOT IN (SELECT AlbumContents.ItemID FROM AlbumContents WHERE AlbumContents.ItemID NOT IN "
    "(SELECT AlbumContents.ItemID FROM AlbumContents WHERE AlbumContents.AlbumID<>";
constexpr std::string_view kNotOnlyInMruSuffix = ")) AND";
constexpr std::string_view kSearchResultsJoin = ",SearchResults WHERE SearchDomain.ItemID = SearchResults.ItemID";
constexpr std::string_view kFullSearchResultsJoin = " INNER JOIN SearchResults ON SearchDomain.ItemID=SearchResults.ItemID";
constexpr std::string_view kNonSpecialAlbums =
    " SearchDomain.ItemID NOT IN (SELECT SpecialAlbums.AlbumID FROM SpecialAlbums) AND SearchDomain.ItemType = 9";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One or more integers, an optional minus sign before each, separated by
// commas, blanks anywhere between the tokens.
bool IsIntegerList(std::string_view text) {
  size_t i = 0;
  const auto skipBlanks = [&] {
    while (i < text.size() && IsBlank(text[i])) ++i;
  };
  for (;;) {
    skipBlanks();
    if (i < text.size() && text[i] == '-') ++i;
    if (i == text.size() || !IsDigit(text[i])) return false;
    while (i < text.size() && IsDigit(text[i])) ++i;
    skipBlanks();
    if (i == text.size()) return true;
    if (text[i] != ',') return false;
    ++i;
  }
}

// The condition of the all-albums album with the MRU album's ID.
void AppendAllAlbumsCondition(std::string& sql, int32_t mruAlbumId) {
  sql += kNotOnlyInMruPrefix;
  sql += std::to_string(mruAlbumId);
  sql += kNotOnlyInMruSuffix;
  sql += kNonSpecialAlbums;
}

// The selection of the ID-only statement; true when it has a WHERE.
bool AppendIdSelection(std::string& sql, ListingKind kind, int32_t albumId, int32_t mruAlbumId) {
  sql += kIdSelect;
  sql += kItemTable;
  sql += kAlias;
  switch (kind) {
    case ListingKind::PlainAlbum:
    case ListingKind::DeviceAlbum:
    case ListingKind::SpecialAlbum:
      sql += kMemberJoin;
      sql += kAlbumIdIs;
      sql += std::to_string(albumId);
      return true;
    case ListingKind::Shoebox:
      return false;
    case ListingKind::AllFiles:
      sql += " WHERE";
      sql += kAllFilesCondition;
      return true;
    case ListingKind::AllAlbums:
      sql += " WHERE";
      AppendAllAlbumsCondition(sql, mruAlbumId);
      return true;
    case ListingKind::SearchResults:
      sql += kSearchResultsJoin;
      return true;
  }
  throw com::ComError(com::E_INVALIDARG, "unknown listing kind");
}

// The selection of the full statement; true when it has a WHERE.
bool AppendFullSelection(std::string& sql, ListingKind kind, int32_t albumId, int32_t mruAlbumId) {
  sql += kFullColumns;
  sql += kFullFrom;
  switch (kind) {
    case ListingKind::PlainAlbum:
    case ListingKind::DeviceAlbum:
    case ListingKind::SpecialAlbum:
      sql += kFullMemberJoin;
      sql += " WHERE";
      sql += kAlbumIdIs;
      sql += std::to_string(albumId);
      if (kind != ListingKind::SpecialAlbum) sql += kNotHidden;
      return true;
    case ListingKind::Shoebox:
      return false;
    case ListingKind::AllFiles:
      sql += " WHERE";
      sql += kAllFilesCondition;
      return true;
    case ListingKind::AllAlbums:
      sql += " WHERE";
      AppendAllAlbumsCondition(sql, mruAlbumId);
      return true;
    case ListingKind::SearchResults:
      sql += kFullSearchResultsJoin;
      return false;
  }
  throw com::ComError(com::E_INVALIDARG, "unknown listing kind");
}

constexpr size_t kQuotedFilterMax = 64;

}  // namespace

std::string_view SortText(uint32_t sortField) {
  return sortField < kSortTexts.size() ? kSortTexts[sortField] : std::string_view();
}

void AppendSort(std::string& sql, uint32_t sortField, uint32_t sortOrder) {
  const std::string_view text = SortText(sortField);
  if (text.empty()) return;
  sql += text;
  sql += sortOrder == NAX_SORT_ASCENDING ? " ASC" : " DESC";
}

void AppendFilter(std::string& sql, const com::Bstr& filter, bool hasWhere) {
  const std::string& text = filter.str();
  if (text.empty()) return;
  if (!IsIntegerList(text)) {
    const bool cut = text.size() > kQuotedFilterMax;
    store::jetsql::ThrowJet(jeterr::kSyntax, "Syntax error in query expression 'SearchDomain.ItemType IN (" +
                                                 std::string(com::TruncateUtf16(text, kQuotedFilterMax)) +
                                                 (cut ? "..." : "") + ")': the filter is not a list of item types.");
  }
  sql += hasWhere ? " AND" : " WHERE";
  sql += " SearchDomain.ItemType IN (";
  sql += text;
  sql += ")";
}

std::string BuildItemIdQuery(ListingKind kind, int32_t albumId, int32_t mruAlbumId, const com::Bstr& filter,
                             uint32_t sortField, uint32_t sortOrder) {
  std::string sql;
  const bool hasWhere = AppendIdSelection(sql, kind, albumId, mruAlbumId);
  AppendFilter(sql, filter, hasWhere);
  AppendSort(sql, sortField, sortOrder);
  return sql;
}

std::string BuildListingQuery(ListingKind kind, int32_t albumId, int32_t mruAlbumId, const com::Bstr& filter,
                              uint32_t sortField, uint32_t sortOrder) {
  std::string sql;
  const bool hasWhere = AppendFullSelection(sql, kind, albumId, mruAlbumId);
  AppendFilter(sql, filter, hasWhere);
  AppendSort(sql, sortField, sortOrder);
  return sql;
}

std::string BuildMemberTest(ListingKind kind, int32_t albumId, int32_t mruAlbumId, int32_t itemId) {
  std::string sql;
  const bool hasWhere = AppendIdSelection(sql, kind, albumId, mruAlbumId);
  sql += hasWhere ? " AND" : " WHERE";
  sql += " SearchDomain.ItemID = ";
  sql += std::to_string(itemId);
  return sql;
}

std::string ShortListingQuery(std::string_view itemIdQuery) {
  constexpr std::string_view kFrom = " from";
  constexpr std::string_view kShortColumns =
      ", SearchDomain.DateCreated, SearchDomain.DateModified, SearchDomain.ItemType, SearchDomain.Name, "
      "SearchDomain.ItemDataMoniker";
  std::string sql(itemIdQuery);
  for (size_t at = 0; at + kFrom.size() <= sql.size(); ++at) {
    bool match = true;
    for (size_t k = 0; k < kFrom.size() && match; ++k)
      match = std::tolower(static_cast<unsigned char>(sql[at + k])) == kFrom[k];
    if (match) {
      sql.insert(at, kShortColumns);
      break;
    }
  }
  return sql;
}

}  // namespace albumcore::albums::listing
