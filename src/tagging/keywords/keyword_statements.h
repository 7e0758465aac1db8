// The Jet SQL the library keyword collection builds: lookups by name, the
// bulk binding statements and the co-assigned keyword query. Names go in
// through QuoteSqlString, ID lists through FormatIdList; the text is the
// engine's to parse, so an empty ID list "()" fails there with its status.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace albumcore::tagging::keywords {

// Keywords whose name equals `name` ignoring case: KeywordID, KeywordName.
std::string KeywordsNamedSql(std::string_view name);
// The same rows, KeywordName only.
std::string KeywordNamesNamedSql(std::string_view name);
std::string InsertKeywordSql(std::string_view name);
std::string RenameKeywordSql(int32_t keywordId, std::string_view name);
std::string DeleteAssignmentsOfKeywordSql(int32_t keywordId);
std::string DeleteKeywordSql(int32_t keywordId);

// Every pair of an existing item of `items` and an existing keyword of
// `keywords`; pairs already assigned are skipped by the table's key.
std::string BindSql(std::span<const int32_t> items, std::span<const int32_t> keywords);
std::string UnBindSql(std::span<const int32_t> items, std::span<const int32_t> keywords);
std::string UnBindAllSql(std::span<const int32_t> items);
std::string BindingInfoSql(std::span<const int32_t> items);
std::string AssignmentsOfKeywordsSql(std::span<const int32_t> keywords);

// The keywords, by name, that occur on the items of the types in
// `typeFilter` (a comma-separated list placed as it is inside IN (...))
// carrying every keyword of `chosen`; the chosen ones themselves left out.
// Each further chosen keyword nests the item query one level deeper; the
// item types are tested last.
std::string CoAssignedKeywordsSql(std::string_view typeFilter, std::span<const int32_t> chosen);

}  // namespace albumcore::tagging::keywords
