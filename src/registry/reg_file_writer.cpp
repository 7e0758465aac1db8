// Writing the hive file (reg_file_format.h), without recursion.
#include <cstdint>
#include <cstdio>
#include <utility>

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

void AppendSection(std::string& out, const RegKey& key, const std::string& path) {
  AppendComments(out, key.comments);
  out += "[" + path + "]\n";
  for (const RegValue& v : key.values()) {
    AppendComments(out, v.comments);
    out += ValueLine(v) + "\n";
  }
  out += "\n";
}

}  // namespace

std::optional<std::string> FormatRegFile(const Hive& hive, size_t maxBytes) {
  std::string out(kRegFileHeader);
  out += "\n\n";
  std::string path = "HKEY_LOCAL_MACHINE";
  const RegKey& root = hive.root();
  if (!root.values().empty() || !root.comments.empty()) AppendSection(out, root, path);

  // Depth first, a key before its subkeys, with an explicit stack of
  // (key, next subkey) and one path string grown and cut as it descends.
  std::vector<std::pair<const RegKey*, size_t>> stack{{&root, 0}};
  while (!stack.empty()) {
    auto& [key, next] = stack.back();
    if (next == key->subkeys().size()) {
      if (stack.size() > 1) path.resize(path.size() - key->name().size() - 1);
      stack.pop_back();
      continue;
    }
    const RegKey& child = key->subkeys()[next++];
    path += '\\';
    path += child.name();
    AppendSection(out, child, path);
    if (out.size() > maxBytes) return std::nullopt;
    stack.emplace_back(&child, 0);
  }
  AppendComments(out, hive.trailingComments);
  if (out.size() > maxBytes) return std::nullopt;
  return out;
}

std::string FormatRegFile(const Hive& hive) { return *FormatRegFile(hive, SIZE_MAX); }

}  // namespace albumcore::registry
