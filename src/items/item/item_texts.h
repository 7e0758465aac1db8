// The texts an item shows about itself: the size of its file, its
// property line and its attribute line, from labels of the string table.
#pragma once

#include <cstdint>
#include <string>

#include "com/variant.h"
#include "components/string_table/string_table.h"

namespace albumcore::items {

// "1.50 MB" and the like from the low and high 32 bits of a size: empty for
// 0; GB from 1073741824 bytes or any high part, with two decimals; MB above
// 1048576; whole KB (rounded) above 1024; bytes below.
std::string SizeText(uint32_t low, uint32_t high, const components::StringTable* strings);

// The modified date as the user's locale writes a date without time; empty
// for null and for the placeholder values 0.0 and 1.0.
std::string LocalDateText(const com::Variant& date);

// The extension of a moniker's file name in upper case ("JPG"); empty
// when it has none.
std::string UpperExtensionOf(std::string_view moniker);

// The display text of a "stringRef:" label; the reference itself without a
// table.
std::string Label(const components::StringTable* strings, std::string_view reference);

}  // namespace albumcore::items
