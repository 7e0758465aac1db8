#include "tagging/keywords/keyword_statements.h"

#include "sqltext/id_list.h"
#include "sqltext/sql_literal.h"

namespace albumcore::tagging::keywords {

namespace {

constexpr std::string_view kKeywordsNamed =
    "SELECT Keywords.KeywordID, Keywords.KeywordName FROM Keywords WHERE Keywords.KeywordName = ";
constexpr std::string_view kKeywordNamesNamed = "SELECT Keywords.KeywordName FROM Keywords WHERE Keywords.KeywordName = ";
constexpr std::string_view kInsertKeyword = "INSERT INTO Keywords ( KeywordName ) SELECT ";
constexpr std::string_view kRenameKeyword = "UPDATE Keywords SET Keywords.KeywordName = ";
constexpr std::string_view kWhereKeywordId = " WHERE Keywords.KeywordID = ";
constexpr std::string_view kDeleteAssignmentsOfKeyword =
    "DELETE * FROM AssignedKeywords WHERE AssignedKeywords.KeywordID = ";
constexpr std::string_view kDeleteKeyword = "DELETE * FROM Keywords WHERE Keywords.KeywordID = ";

constexpr std::string_view kBind =
    "INSERT INTO AssignedKeywords ( ItemID, KeywordID ) SELECT AlbumItems.ItemID, Keywords.KeywordID FROM AlbumItems, "
    "Keywords WHERE AlbumItems.ItemID IN ";
constexpr std::string_view kBindKeywords = " AND Keywords.KeywordID IN ";
constexpr std::string_view kUnBind = "DELETE * FROM AssignedKeywords WHERE AssignedKeywords.ItemID IN ";
constexpr std::string_view kUnBindKeywords = " AND AssignedKeywords.KeywordID IN ";
constexpr std::string_view kBindingInfo = "SELECT * FROM AssignedKeywords WHERE AssignedKeywords.ItemID IN ";
constexpr std::string_view kBindingInfoOrder = " ORDER BY AssignedKeywords.KeywordID";
constexpr std::string_view kAssignmentsOfKeywords =
    "SELECT * FROM AssignedKeywords WHERE AssignedKeywords.KeywordID IN ";

// Items of the filtered types carrying any keyword.
constexpr std::string_view kFilteredItems =
    "SELECT DISTINCT AlbumItems.ItemID FROM AlbumItems INNER JOIN AssignedKeywords ON AlbumItems.ItemID = "
    "AssignedKeywords.ItemID WHERE AlbumItems.ItemType IN (";
// Items carrying the first chosen keyword.
constexpr std::string_view kItemsCarrying =
    "SELECT DISTINCT AssignedKeywords.ItemID FROM AssignedKeywords WHERE AssignedKeywords.KeywordID = ";
// Those of the items of the query inside that are of the filtered types.
constexpr std::string_view kFilteredAmong =
    "SELECT DISTINCT AlbumItems.ItemID FROM AlbumItems WHERE AlbumItems.ItemType IN (";
constexpr std::string_view kAndAmong = ") AND AlbumItems.ItemID IN (";
constexpr std::string_view kCarrying = " AND AssignedKeywords.KeywordID = ";
// Those of the items of the query inside that carry one more keyword.
constexpr std::string_view kItemsAmong =
    "SELECT DISTINCT AssignedKeywords.ItemID FROM AssignedKeywords WHERE AssignedKeywords.ItemID IN (";
// The keywords of the items of the query inside.
constexpr std::string_view kKeywordsOfItems =
    "SELECT DISTINCT AssignedKeywords.KeywordID FROM AssignedKeywords WHERE AssignedKeywords.ItemID IN (";
constexpr std::string_view kNotChosen = " AND AssignedKeywords.KeywordID <> ";
constexpr std::string_view kKeywordRows = "SELECT * FROM Keywords WHERE Keywords.KeywordID IN (";
constexpr std::string_view kByName = ") ORDER BY Keywords.KeywordName;";

std::string Concat(std::initializer_list<std::string_view> pieces) {
  std::string text;
  size_t size = 0;
  for (auto piece : pieces) size += piece.size();
  text.reserve(size);
  for (auto piece : pieces) text += piece;
  return text;
}

}  // namespace

std::string KeywordsNamedSql(std::string_view name) {
  return Concat({kKeywordsNamed, sqltext::QuoteSqlString(name)});
}

std::string KeywordNamesNamedSql(std::string_view name) {
  return Concat({kKeywordNamesNamed, sqltext::QuoteSqlString(name)});
}

std::string InsertKeywordSql(std::string_view name) { return Concat({kInsertKeyword, sqltext::QuoteSqlString(name)}); }

std::string RenameKeywordSql(int32_t keywordId, std::string_view name) {
  return Concat({kRenameKeyword, sqltext::QuoteSqlString(name), kWhereKeywordId, std::to_string(keywordId)});
}

std::string DeleteAssignmentsOfKeywordSql(int32_t keywordId) {
  return Concat({kDeleteAssignmentsOfKeyword, std::to_string(keywordId)});
}

std::string DeleteKeywordSql(int32_t keywordId) { return Concat({kDeleteKeyword, std::to_string(keywordId)}); }

std::string BindSql(std::span<const int32_t> items, std::span<const int32_t> keywords) {
  return Concat({kBind, sqltext::FormatIdList(items), kBindKeywords, sqltext::FormatIdList(keywords)});
}

std::string UnBindSql(std::span<const int32_t> items, std::span<const int32_t> keywords) {
  return Concat({kUnBind, sqltext::FormatIdList(items), kUnBindKeywords, sqltext::FormatIdList(keywords)});
}

std::string UnBindAllSql(std::span<const int32_t> items) { return Concat({kUnBind, sqltext::FormatIdList(items)}); }

std::string BindingInfoSql(std::span<const int32_t> items) {
  return Concat({kBindingInfo, sqltext::FormatIdList(items), kBindingInfoOrder});
}

std::string AssignmentsOfKeywordsSql(std::span<const int32_t> keywords) {
  return Concat({kAssignmentsOfKeywords, sqltext::FormatIdList(keywords)});
}

std::string CoAssignedKeywordsSql(std::string_view typeFilter, std::span<const int32_t> chosen) {
  std::string items;
  if (chosen.empty()) {
    items = Concat({kFilteredItems, typeFilter, ")"});
  } else {
    // The chosen keywords narrow the items first and the item types last:
    // the same items as filtering the types first, but an item's row is
    // then read only for the few that carry every chosen keyword.
    items = Concat({kItemsCarrying, std::to_string(chosen[0])});
    for (size_t i = 1; i < chosen.size(); ++i) {
      items = Concat({kItemsAmong, items, ")", kCarrying, std::to_string(chosen[i])});
    }
    items = Concat({kFilteredAmong, typeFilter, kAndAmong, items, ")"});
  }
  std::string keywords = Concat({kKeywordsOfItems, items, ")"});
  for (int32_t id : chosen) keywords += Concat({kNotChosen, std::to_string(id)});
  return Concat({kKeywordRows, keywords, kByName});
}

}  // namespace albumcore::tagging::keywords
