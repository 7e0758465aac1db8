// Statements with placeholder words ("SELECT * FROM SmartViews WHERE Name =
// varName;") filled in with values by plain text replacement.
//
// Each call replaces the FIRST occurrence only of the placeholder, and only
// where it stands as a whole word outside string literals:
//   - whole word: "varID" is not found inside "varIDs" or "myvarID" (word
//     characters are letters, digits, "_" and non-ASCII bytes);
//   - outside literals: text inside "..." or '...' is never a placeholder,
//     so a value filled in earlier that happens to contain a placeholder
//     word cannot capture a later replacement.
// Matching is case-sensitive. A statement without the placeholder is
// returned unchanged.
#pragma once

#include <string>
#include <string_view>

#include "com/variant.h"

namespace albumcore::sqltext {

// The SQL text of a value: VT_BSTR through QuoteSqlString (a null string as
// ""), VT_I2/I4/I8/UI1/UI4 and VT_R8 in decimal, VT_BOOL as "true" or
// "false", VT_DATE as SqlDateText, VT_NULL as "Null". Raises
// ComError(DISP_E_TYPEMISMATCH) for other types and E_INVALIDARG for a
// non-finite number or a date out of range.
std::string SqlValueText(const com::Variant& value);

// Position of the placeholder by the rules above, or npos.
size_t FindPlaceholder(std::string_view sql, std::string_view placeholder);

// Replaces the placeholder by the SQL text of `value`. Raises
// ComError(E_INVALIDARG) for an empty placeholder.
std::string ReplacePlaceholder(std::string sql, std::string_view placeholder, const com::Variant& value);
// Replaces the placeholder by `sqlText` as it is.
std::string ReplacePlaceholderText(std::string sql, std::string_view placeholder, std::string_view sqlText);

}  // namespace albumcore::sqltext
