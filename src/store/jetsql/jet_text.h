// Text rules of Jet expressions: Unicode simple case folding for the
// JETNOCASE collation, the LIKE pattern language and the index range a
// pattern's literal prefix allows, and case mapping. Pure functions shared by
// the translator and the SQLite functions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace albumcore::store::jetsql {

// Invalid UTF-8 bytes decode one by one to kInvalidBase + byte: values past
// Unicode, so they sort after every character and equal only themselves.
inline constexpr char32_t kInvalidBase = 0x110000;
char32_t DecodeUtf8(std::string_view s, size_t& i);
void AppendUtf8(std::string& out, char32_t c);  // kInvalidBase + b appends byte b
// The offset of the first byte that does not start a well-formed UTF-8
// character (overlong forms and encoded surrogates included); nullopt when
// the whole text is well formed.
std::optional<size_t> FindInvalidUtf8(std::string_view s);

// Unicode simple case folding of one character (length-preserving).
char32_t FoldCase(char32_t c);
// Three-way comparison of the folded texts in code-point order: the
// JETNOCASE collation.
int CompareNoCase(std::string_view a, std::string_view b);
std::string FoldText(std::string_view s);

// Full Unicode case mapping (ß -> SS), root locale.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);

// A compiled Jet LIKE pattern: * any run, ? one character, # one digit,
// [abc] [a-z] [!a-z] one character of (or not of) the set, [] nothing;
// everything else, including % and _, is literal. Matching ignores case.
class LikePattern {
 public:
  explicit LikePattern(std::string_view pattern);
  bool Matches(std::string_view text) const;
  // The literal characters the pattern starts with (a one-character set such
  // as [*] counts as literal), and whether that is all of the pattern.
  const std::u32string& literalPrefix() const { return prefix_; }
  bool isLiteral() const { return literalOnly_; }

 private:
  struct Element {
    enum Kind : uint8_t { Literal, Any, Digit, Star, Set } kind = Literal;
    bool negated = false;
    char32_t folded = 0;                              // Literal
    std::vector<std::pair<char32_t, char32_t>> ranges;  // Set
  };
  bool ElementMatches(const Element& e, char32_t c) const;
  std::vector<Element> elements_;
  std::u32string prefix_;
  bool literalOnly_ = true;
};

// Bounds that every text matching the pattern satisfies under a collation:
// lower <= text and, when present, text < upper. nullopt when the pattern has
// no usable literal prefix under that collation.
enum class RangeCollation { Binary, NoCase };
struct LikeRange {
  std::string lower;
  std::optional<std::string> upper;
};
std::optional<LikeRange> RangeForLike(const LikePattern& pattern, RangeCollation collation);

// UTF-16 code-unit based pieces, as Jet counts characters.
std::string Utf16Left(std::string_view s, int64_t units);
std::string Utf16Right(std::string_view s, int64_t units);
std::string Utf16Mid(std::string_view s, int64_t start1, std::optional<int64_t> units);
// 1-based position of `needle` in `hay` from `start1` (UTF-16 units), 0 when
// absent; ignoring case unless `binary`.
int64_t Utf16InStr(std::string_view hay, std::string_view needle, int64_t start1, bool binary);
// InStrRev: the 1-based position of the last `needle` that ends at or before
// unit `start1` (the end of `hay` when negative); 0 when absent or when
// `start1` is past the end, `start1` for an empty needle.
int64_t Utf16InStrRev(std::string_view hay, std::string_view needle, int64_t start1, bool binary);
// StrReverse by characters, so a character outside the BMP stays whole.
std::string ReverseText(std::string_view s);

}  // namespace albumcore::store::jetsql
