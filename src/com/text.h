// Text of the object runtime.
//
// Strings are UTF-8 inside the program. Bstr is the automation string: it
// carries text and remembers whether it is a null string, which a few rules
// tell apart from an empty one; everywhere else the two compare equal. Rules
// that count characters count UTF-16 code units, through Utf16Length.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace albumcore::com {

// Number of UTF-16 code units the UTF-8 text would take (a character above
// U+FFFF counts two). Invalid bytes count one unit each.
size_t Utf16Length(std::string_view utf8);

// Longest prefix of `utf8` that fits in `units` UTF-16 code units, never
// splitting a character.
std::string_view TruncateUtf16(std::string_view utf8, size_t units);

std::u16string ToUtf16(std::string_view utf8);
std::string ToUtf8(std::u16string_view utf16);

class Bstr {
 public:
  // The default string is null, as an unset automation string is.
  Bstr() = default;
  Bstr(std::string text) : text_(std::move(text)), null_(false) {}
  Bstr(std::string_view text) : text_(text), null_(false) {}
  Bstr(const char* text) : text_(text ? text : ""), null_(text == nullptr) {}

  static Bstr Null() { return Bstr(); }

  bool isNull() const noexcept { return null_; }
  bool empty() const noexcept { return text_.empty(); }
  const std::string& str() const noexcept { return text_; }
  const char* c_str() const noexcept { return text_.c_str(); }
  size_t utf16Length() const { return Utf16Length(text_); }
  operator std::string_view() const noexcept { return text_; }

  // A null string and an empty one compare equal; see isNull() to tell apart.
  friend bool operator==(const Bstr& a, const Bstr& b) noexcept { return a.text_ == b.text_; }
  friend bool operator==(const Bstr& a, std::string_view b) noexcept { return a.text_ == b; }
  // Without these, comparing with a literal or a std::string is ambiguous
  // between the two overloads above.
  friend bool operator==(const Bstr& a, const char* b) noexcept { return a.text_ == std::string_view(b ? b : ""); }
  friend bool operator==(const Bstr& a, const std::string& b) noexcept { return a.text_ == b; }

 private:
  std::string text_;
  bool null_ = true;
};

}  // namespace albumcore::com
