// Writing the hive file (reg_file_format.h).
#include <cstdio>

#include "registry/key_names.h"
#include "registry/reg_file_format.h"
#include "registry/reg_hex.h"

namespace albumcore::registry {

namespace {

std::string QuoteText(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

std::string ValueLine(const RegValue& value) {
  std::string line = value.name.empty() ? "@=" : QuoteText(value.name) + "=";
  switch (value.type) {
    case RegType::String: {
      if (!HasControlCharacter(value.text)) return line + QuoteText(value.text);
      std::vector<uint8_t> bytes = EncodeUtf16Le(value.text);
      // A reader drops one trailing null, so a text that ends in one gets
      // an extra null to keep it.
      if (value.text.back() == '\0') bytes.insert(bytes.end(), {0, 0});
      return FormatHexLines(line + "hex(1):", bytes);
    }
    case RegType::Dword: {
      char digits[9];
      std::snprintf(digits, sizeof digits, "%08x", value.dword);
      return line + "dword:" + digits;
    }
    case RegType::Other:
      return line + value.rawData;
  }
  return line;
}

void AppendComments(std::string& out, const std::vector<std::string>& comments) {
  for (const std::string& c : comments) out += c + "\n";
}

void AppendKey(std::string& out, const RegKey& key, const std::string& path, bool isRoot) {
  if (!isRoot || !key.values().empty() || !key.comments.empty()) {
    AppendComments(out, key.comments);
    out += "[" + path + "]\n";
    for (const RegValue& v : key.values()) {
      AppendComments(out, v.comments);
      out += ValueLine(v) + "\n";
    }
    out += "\n";
  }
  for (const RegKey& sub : key.subkeys()) AppendKey(out, sub, path + "\\" + sub.name(), false);
}

}  // namespace

std::string FormatRegFile(const Hive& hive) {
  std::string out(kRegFileHeader);
  out += "\n\n";
  AppendKey(out, hive.root(), "HKEY_LOCAL_MACHINE", true);
  AppendComments(out, hive.trailingComments);
  return out;
}

}  // namespace albumcore::registry
