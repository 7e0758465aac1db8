// Display texts with placeholders, such as "%d x %d pixels" or "%.2f GB",
// whose format comes from a string file rather than from the code.
//
// Only the conversions a label needs are honoured: %d %i %u (whole
// numbers), %f %e %g with flags, width and precision (%.2f), %s, and %%.
// Arguments are taken in order and converted to what the placeholder asks
// for. A placeholder past the last argument, or of any other kind (%n, %p,
// %x, ...), is written as it stands: a text from a file never reads past
// what the caller passed, whatever it holds.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace albumcore::components {

using LabelArgument = std::variant<int64_t, double, std::string_view>;

std::string FormatLabel(std::string_view format, std::initializer_list<LabelArgument> arguments);

}  // namespace albumcore::components
