// ID lists for SQL IN clauses: "(4,17,9)".
//
// The elements of a one-dimensional array of 32-bit IDs, from its lower
// bound through its upper bound, in decimal, joined by "," without spaces,
// inside parentheses.
//
// An array without elements gives "()". That is not valid SQL for IN, and
// is kept so on purpose: the statement then fails in the engine with a syntax
// error whose status reaches the caller, rather than silently matching
// nothing (or, under NOT IN, everything).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "com/variant.h"

namespace albumcore::sqltext {

// Accepts arrays of VT_I4, VT_I2, VT_UI1, VT_UI4, VT_I8 and VT_R8 elements,
// and VT_VARIANT elements holding one of those. Raises ComError(E_INVALIDARG)
// for an array of more than one dimension, a non-numeric element, a
// fractional number or one outside the 32-bit signed range.
std::string FormatIdList(const com::SafeArray& ids);
std::string FormatIdList(std::span<const int32_t> ids);

// The IDs of such an array, from its lower bound through its upper bound,
// checked as FormatIdList checks them (same failures).
std::vector<int32_t> ReadIdList(const com::SafeArray& ids);

}  // namespace albumcore::sqltext
