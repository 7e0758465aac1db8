#include "registry/key_names.h"

#include <unicode/ucasemap.h>

#include "com/text.h"

namespace albumcore::registry {

namespace {

const UCaseMap* FoldingMap() {
  static const UCaseMap* map = [] {
    UErrorCode error = U_ZERO_ERROR;
    return ucasemap_open("", U_FOLD_CASE_DEFAULT, &error);
  }();
  return map;
}

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// True when the UTF-8 text takes at most `units` UTF-16 code units. A code
// unit takes at most three UTF-8 bytes, so longer text is refused unread.
bool FitsUnits(std::string_view utf8, size_t units) {
  if (utf8.size() <= units) return true;
  if (utf8.size() / 3 > units) return false;
  return com::Utf16Length(utf8) <= units;
}

}  // namespace

std::string FoldName(std::string_view name) {
  if (IsAscii(name)) {  // the common case, without a trip through ICU
    std::string folded(name);
    for (char& c : folded) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
  }
  if (FoldingMap() == nullptr) return std::string(name);
  std::string folded(name.size() + 16, '\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    UErrorCode error = U_ZERO_ERROR;
    int32_t length = ucasemap_utf8FoldCase(FoldingMap(), folded.data(), static_cast<int32_t>(folded.size()),
                                           name.data(), static_cast<int32_t>(name.size()), &error);
    if (error == U_BUFFER_OVERFLOW_ERROR) {
      folded.assign(static_cast<size_t>(length), '\0');
      continue;
    }
    if (U_FAILURE(error)) return std::string(name);  // unfoldable text compares exactly
    folded.resize(static_cast<size_t>(length));
    return folded;
  }
  return std::string(name);
}

bool SameName(std::string_view a, std::string_view b) {
  return a == b || FoldName(a) == FoldName(b);
}

std::optional<std::vector<std::string_view>> SplitKeyPath(std::string_view path) {
  std::vector<std::string_view> names;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) {
      if (names.size() == kMaxKeyDepth) return std::nullopt;
      names.push_back(path.substr(start, end - start));
    }
    start = end + 1;
  }
  return names;
}

bool IsValidUtf8(std::string_view text) {
  // Decoding replaces every ill-formed sequence (and encoded surrogates),
  // so well-formed text is exactly the text that survives a round trip.
  return IsAscii(text) || com::ToUtf8(com::ToUtf16(text)) == text;
}

bool HasControlCharacter(std::string_view text) {
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

std::string KeyNameProblem(std::string_view name) {
  if (name.empty()) return "an empty key name";
  if (!FitsUnits(name, kMaxKeyNameUnits)) return "a key name longer than " + std::to_string(kMaxKeyNameUnits) + " characters";
  if (!IsValidUtf8(name)) return "a key name that is not valid UTF-8";
  if (name.find('\\') != std::string_view::npos) return "a backslash in a key name";
  if (HasControlCharacter(name)) return "a control character in a key name";
  return {};
}

std::string ValueNameProblem(std::string_view name) {
  if (!FitsUnits(name, kMaxValueNameUnits)) {
    return "a value name longer than " + std::to_string(kMaxValueNameUnits) + " characters";
  }
  if (!IsValidUtf8(name)) return "a value name that is not valid UTF-8";
  if (HasControlCharacter(name)) return "a control character in a value name";
  return {};
}

bool StringDataFits(std::string_view text) { return FitsUnits(text, kMaxValueDataBytes / 2); }

}  // namespace albumcore::registry
