// One string file: its text parsed into "Section.Key" entries.
//
// The format, UTF-8 XML:
//
//   <strings>
//     <section name="Core">
//       <string key="Shoebox">Shoebox</string>
//     </section>
//   </strings>
//
// A section's name holds no point (the point separates it from the key in a
// reference); a key may. Names are at most kMaxStringNameUnits UTF-16 units.
//
// Failure: nothing throws. Every fault is a problem "<path>:<line>: <what>";
// an entry that breaks a rule is skipped and the others kept. A file that is
// not well-formed keeps the entries whose elements ended before the fault.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace albumcore::components {

inline constexpr size_t kMaxStringNameUnits = 255;
inline constexpr char kSectionSeparator = '.';

struct StringFileContents {
  // ("Section.Key", text) in file order; a key repeated in the file keeps
  // its first text.
  std::vector<std::pair<std::string, std::string>> entries;
  std::vector<std::string> problems;
};

// `path` names the file in problems; `text` is its content.
StringFileContents ParseStringFile(std::string_view path, std::string_view text);

// The 1-based line of a byte offset into `text`.
size_t LineOfOffset(std::string_view text, size_t offset);

}  // namespace albumcore::components
