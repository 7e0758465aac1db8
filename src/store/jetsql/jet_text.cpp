#include "store/jetsql/jet_text.h"

#include <cctype>

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include "com/text.h"

namespace albumcore::store::jetsql {

char32_t DecodeUtf8(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int len = 0;
  char32_t c = 0;
  if ((b0 & 0xE0) == 0xC0) len = 2, c = b0 & 0x1F;
  else if ((b0 & 0xF0) == 0xE0) len = 3, c = b0 & 0x0F;
  else if ((b0 & 0xF8) == 0xF0) len = 4, c = b0 & 0x07;
  if (len == 0 || i + len > s.size()) {
    ++i;
    return kInvalidBase + b0;
  }
  for (int k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return kInvalidBase + b0;
    }
    c = (c << 6) | (b & 0x3F);
  }
  const bool overlong = (len == 2 && c < 0x80) || (len == 3 && c < 0x800) || (len == 4 && c < 0x10000);
  if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return kInvalidBase + b0;
  }
  i += len;
  return c;
}

std::optional<size_t> FindInvalidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    const size_t at = i;
    if (DecodeUtf8(s, i) >= kInvalidBase) return at;
  }
  return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c >= kInvalidBase) {
    out += static_cast<char>(c - kInvalidBase);
  } else if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

char32_t FoldCase(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if (c > 0x10FFFF) return c;
  return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

int CompareNoCase(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const char32_t ca = FoldCase(DecodeUtf8(a, i));
    const char32_t cb = FoldCase(DecodeUtf8(b, j));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

std::string FoldText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) AppendUtf8(out, FoldCase(DecodeUtf8(s, i)));
  return out;
}

namespace {

std::string MapCase(std::string_view s, bool upper) {
  const std::u16string in = com::ToUtf16(s);
  std::u16string out(in.size() + 16, u'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    UErrorCode status = U_ZERO_ERROR;
    const auto* src = reinterpret_cast<const UChar*>(in.data());
    auto* dst = reinterpret_cast<UChar*>(out.data());
    const int32_t n = upper ? u_strToUpper(dst, static_cast<int32_t>(out.size()), src, static_cast<int32_t>(in.size()), "", &status)
                            : u_strToLower(dst, static_cast<int32_t>(out.size()), src, static_cast<int32_t>(in.size()), "", &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      out.assign(static_cast<size_t>(n) + 1, u'\0');
      continue;
    }
    if (U_FAILURE(status)) return std::string(s);
    out.resize(static_cast<size_t>(n));
    return com::ToUtf8(out);
  }
  return std::string(s);
}

}  // namespace

std::string UpperCase(std::string_view s) { return MapCase(s, true); }
std::string LowerCase(std::string_view s) { return MapCase(s, false); }

LikePattern::LikePattern(std::string_view p) {
  size_t i = 0;
  while (i < p.size()) {
    const char32_t c = DecodeUtf8(p, i);
    Element e;
    e.kind = Element::Literal;
    if (c == '*') {
      e.kind = Element::Star;
    } else if (c == '?') {
      e.kind = Element::Any;
    } else if (c == '#') {
      e.kind = Element::Digit;
    } else if (c == '[') {
      const size_t close = p.find(']', i);
      if (close == std::string_view::npos) {
        e.folded = FoldCase(c);  // an unclosed bracket is literal
      } else {
        std::string_view body = p.substr(i, close - i);
        i = close + 1;
        if (body.empty()) continue;  // [] matches the empty string
        e.kind = Element::Set;
        if (body[0] == '!' && body.size() > 1) {
          e.negated = true;
          body.remove_prefix(1);
        }
        std::u32string chars;
        for (size_t k = 0; k < body.size();) chars += DecodeUtf8(body, k);
        for (size_t k = 0; k < chars.size(); ++k) {
          if (k + 2 < chars.size() && chars[k + 1] == '-') {
            char32_t lo = chars[k], hi = chars[k + 2];
            if (lo > hi) std::swap(lo, hi);
            e.ranges.emplace_back(lo, hi);
            k += 2;
          } else {
            e.ranges.emplace_back(chars[k], chars[k]);
          }
        }
        if (!e.negated && e.ranges.size() == 1 && e.ranges[0].first == e.ranges[0].second) {
          e.kind = Element::Literal;
          e.folded = FoldCase(e.ranges[0].first);
          if (literalOnly_) prefix_ += e.ranges[0].first;
          elements_.push_back(std::move(e));
          continue;
        }
      }
    } else {
      e.folded = FoldCase(c);
    }
    if (e.kind == Element::Literal) {
      if (literalOnly_) prefix_ += c;
    } else {
      literalOnly_ = false;
    }
    elements_.push_back(std::move(e));
  }
}

namespace {

// The next character at byte `i`, with ASCII decoded in line: patterns are
// matched against every row of a table, and most text is ASCII.
char32_t NextChar(std::string_view s, size_t& i) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) {
    ++i;
    return b;
  }
  return DecodeUtf8(s, i);
}

char32_t Fold(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  return FoldCase(c);
}

}  // namespace

bool LikePattern::ElementMatches(const Element& e, char32_t c) const {
  switch (e.kind) {
    case Element::Literal:
      return Fold(c) == e.folded;
    case Element::Any:
      return true;
    case Element::Digit:
      return c >= '0' && c <= '9';
    case Element::Set: {
      const char32_t f = Fold(c);
      bool in = false;
      for (const auto& [lo, hi] : e.ranges) {
        if ((c >= lo && c <= hi) || (f >= lo && f <= hi) || (f >= FoldCase(lo) && f <= FoldCase(hi))) {
          in = true;
          break;
        }
      }
      return in != e.negated;
    }
    case Element::Star:
      return false;
  }
  return false;
}

// Walks the text in place: k and starK are byte offsets of characters.
bool LikePattern::Matches(std::string_view text) const {
  const size_t m = elements_.size();
  size_t p = 0, k = 0;
  size_t starP = SIZE_MAX, starK = 0;
  while (k < text.size()) {
    if (p < m && elements_[p].kind == Element::Star) {
      starP = p++;
      starK = k;
      continue;
    }
    size_t next = k;
    const char32_t c = NextChar(text, next);
    if (p < m && ElementMatches(elements_[p], c)) {
      ++p;
      k = next;
      continue;
    }
    if (starP != SIZE_MAX) {
      p = starP + 1;
      NextChar(text, starK);
      k = starK;
      continue;
    }
    return false;
  }
  while (p < m && elements_[p].kind == Element::Star) ++p;
  return p == m;
}

namespace {

bool IsCaseless(char32_t c) {
  if (c < 0x80) return !((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
  if (c > 0x10FFFF) return false;
  const auto u = static_cast<UChar32>(c);
  return !u_hasBinaryProperty(u, UCHAR_CASED) && !u_hasBinaryProperty(u, UCHAR_CHANGES_WHEN_CASEFOLDED) &&
         !u_hasBinaryProperty(u, UCHAR_CHANGES_WHEN_CASEMAPPED);
}

// The smallest character above c whose folding is itself, so that the upper
// bound compares under the folding collation as written.
std::optional<char32_t> NextBound(char32_t c, bool foldStable) {
  char32_t x = c + 1;
  for (int tries = 0; tries < 4096 && x <= 0x10FFFF; ++tries, ++x) {
    if (x >= 0xD800 && x <= 0xDFFF) x = 0xE000;
    if (!foldStable || FoldCase(x) == x) return x;
  }
  return std::nullopt;
}

}  // namespace

std::optional<LikeRange> RangeForLike(const LikePattern& pattern, RangeCollation collation) {
  // `lowest` and `highest` are the smallest and largest spellings of the
  // prefix that LIKE accepts; matching texts lie in [lowest, next(highest)).
  std::u32string lowest, highest;
  for (char32_t c : pattern.literalPrefix()) {
    if (c > 0x10FFFF || c == 0) break;
    if (collation == RangeCollation::NoCase) {
      const char32_t f = FoldCase(c);
      if (FoldCase(f) != f) break;
      lowest += f;
      highest += f;
    } else if (IsCaseless(c)) {
      lowest += c;
      highest += c;
    } else if (c < 0x80 && std::isalpha(static_cast<int>(c)) && std::tolower(static_cast<int>(c)) != 'k' &&
               std::tolower(static_cast<int>(c)) != 's') {
      // Under exact comparison an ASCII letter spans its two cases (upper
      // sorts first). K and S are left out: the Kelvin sign and the long s
      // fold to them from outside ASCII. Other cased letters end the prefix.
      lowest += static_cast<char32_t>(std::toupper(static_cast<int>(c)));
      highest += static_cast<char32_t>(std::tolower(static_cast<int>(c)));
    } else {
      break;
    }
  }
  if (lowest.empty()) return std::nullopt;
  LikeRange range;
  for (char32_t c : lowest) AppendUtf8(range.lower, c);
  std::u32string upper = highest;
  while (!upper.empty()) {
    const auto next = NextBound(upper.back(), collation == RangeCollation::NoCase);
    if (next) {
      upper.back() = *next;
      std::string text;
      for (char32_t c : upper) AppendUtf8(text, c);
      range.upper = std::move(text);
      break;
    }
    upper.pop_back();
  }
  return range;
}

namespace {

std::u16string U16(std::string_view s) { return com::ToUtf16(s); }

// Folds unit by unit, so positions stay those of the unfolded text.
void FoldUnits(std::u16string& u) {
  for (auto& c : u) c = static_cast<char16_t>(u_foldCase(c, U_FOLD_CASE_DEFAULT));
}

}  // namespace

std::string Utf16Left(std::string_view s, int64_t units) {
  if (units <= 0) return {};
  const auto u = U16(s);
  return com::ToUtf8(std::u16string_view(u).substr(0, static_cast<size_t>(std::min<int64_t>(units, u.size()))));
}

std::string Utf16Right(std::string_view s, int64_t units) {
  if (units <= 0) return {};
  const auto u = U16(s);
  const size_t n = static_cast<size_t>(std::min<int64_t>(units, u.size()));
  return com::ToUtf8(std::u16string_view(u).substr(u.size() - n));
}

std::string Utf16Mid(std::string_view s, int64_t start1, std::optional<int64_t> units) {
  const auto u = U16(s);
  if (start1 < 1 || static_cast<uint64_t>(start1) > u.size()) return {};
  const size_t from = static_cast<size_t>(start1 - 1);
  size_t n = u.size() - from;
  if (units) n = *units <= 0 ? 0 : static_cast<size_t>(std::min<int64_t>(*units, n));
  return com::ToUtf8(std::u16string_view(u).substr(from, n));
}

int64_t Utf16InStr(std::string_view hay, std::string_view needle, int64_t start1, bool binary) {
  auto h = U16(hay);
  auto n = U16(needle);
  if (start1 < 1) return 0;
  if (static_cast<uint64_t>(start1) > h.size() + 1) return 0;
  if (n.empty()) return start1;
  if (!binary) {
    FoldUnits(h);
    FoldUnits(n);
  }
  const size_t at = h.find(n, static_cast<size_t>(start1 - 1));
  return at == std::u16string::npos ? 0 : static_cast<int64_t>(at) + 1;
}

int64_t Utf16InStrRev(std::string_view hay, std::string_view needle, int64_t start1, bool binary) {
  auto h = U16(hay);
  auto n = U16(needle);
  const int64_t last = start1 < 0 ? static_cast<int64_t>(h.size()) : start1;
  if (h.empty() || last > static_cast<int64_t>(h.size())) return 0;
  if (n.empty()) return last;
  if (static_cast<int64_t>(n.size()) > last) return 0;
  if (!binary) {
    FoldUnits(h);
    FoldUnits(n);
  }
  const size_t at = h.rfind(n, static_cast<size_t>(last) - n.size());
  return at == std::u16string::npos ? 0 : static_cast<int64_t>(at) + 1;
}

std::string ReverseText(std::string_view s) {
  std::vector<std::string_view> chars;
  for (size_t i = 0; i < s.size();) {
    const size_t from = i;
    DecodeUtf8(s, i);
    chars.push_back(s.substr(from, i - from));
  }
  std::string out;
  out.reserve(s.size());
  for (auto c = chars.rbegin(); c != chars.rend(); ++c) out += *c;
  return out;
}

}  // namespace albumcore::store::jetsql
