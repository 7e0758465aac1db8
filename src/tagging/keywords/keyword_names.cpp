#include "tagging/keywords/keyword_names.h"

#include "com/text.h"
#include "store/jetsql/jet_text.h"

namespace albumcore::tagging::keywords {

std::string_view CutKeywordName(std::string_view name) { return com::TruncateUtf16(name, kMaxKeywordNameUnits); }

bool SameKeywordName(std::string_view a, std::string_view b) {
  // Simple case folding keeps the length, so equal folded texts are as long
  // as each other, in characters and in UTF-16 units.
  return store::jetsql::CompareNoCase(a, b) == 0;
}

}  // namespace albumcore::tagging::keywords
