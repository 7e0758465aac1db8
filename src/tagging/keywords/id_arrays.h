// The array arguments and results of the keyword collections.
//
// An ID array argument is a variant holding a one-dimensional array of
// integer IDs (VT_ARRAY|VT_I4 as a rule; the other element types the ID
// lists of sqltext accept are read too). Results go out one variant per
// column: VT_ARRAY|VT_I4 for IDs, VT_ARRAY|VT_BSTR for names.
#pragma once

#include <cstdint>
#include <vector>

#include "com/variant.h"

namespace albumcore::tagging::keywords {

// More IDs than this in one argument are refused: the statement text and its
// translation grow with every ID, and no catalogue holds that many items.
inline constexpr size_t kMaxIdsPerArgument = 1'000'000;

// The IDs of `ids`, lower bound through upper bound. Raises
// ComError(E_INVALIDARG) for a variant that holds no array, an array of more
// than one dimension or of more than kMaxIdsPerArgument elements, and an
// element that is no 32-bit whole number; nothing is read then.
std::vector<int32_t> ReadIdArray(const com::Variant& ids);

// Result columns.
com::Variant IdColumn(std::vector<int32_t> ids);
com::Variant NameColumn(std::vector<com::Bstr> names);

// A text field's value as a string: VT_NULL (or empty) gives a null string.
com::Bstr TextOf(const com::Variant& value);

}  // namespace albumcore::tagging::keywords
