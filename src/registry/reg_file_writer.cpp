// Writing the hive file (reg_file_format.h), without recursion.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "registry/key_names.h"
#include "registry/limits.h"
#include "registry/reg_file_format.h"
#include "registry/reg_hex.h"

namespace albumcore::registry {

namespace {

// Everything is appended to the one output string: a hive near its size
// limit is formatted on every write, and copies of whole values add up.
void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' || text[i] == '"') {
      out.append(text.data() + start, i - start);
      out += '\\';
      start = i;  // the character itself goes out with the next run
    }
  }
  out.append(text.data() + start, text.size() - start);
  out += '"';
}

void AppendValueLine(std::string& out, const RegValue& value) {
  const size_t lineStart = out.size();
  if (value.name.empty()) {
    out += '@';
  } else {
    AppendQuoted(out, value.name);
  }
  out += '=';
  switch (value.type) {
    case RegType::String: {
      if (!HasControlCharacter(value.text)) {
        AppendQuoted(out, value.text);
        break;
      }
      std::vector<uint8_t> bytes = EncodeUtf16Le(value.text);
      // A reader drops one trailing null, so a text that ends in one gets
      // an extra null to keep it.
      if (value.text.back() == '\0') bytes.insert(bytes.end(), {0, 0});
      // Hex lines are wrapped counting from the start of the line.
      std::string line = out.substr(lineStart) + "hex(1):";
      out.resize(lineStart);
      out += FormatHexLines(std::move(line), bytes);
      break;
    }
    case RegType::Dword: {
      char digits[9];
      std::snprintf(digits, sizeof digits, "%08x", value.dword);
      out += "dword:";
      out += digits;
      break;
    }
    case RegType::Other: out += value.rawData; break;
  }
  out += '\n';
}

void AppendComments(std::string& out, const std::vector<std::string>& comments) {
  for (const std::string& c : comments) {
    out += c;
    out += '\n';
  }
}

void AppendSection(std::string& out, const RegKey& key, const std::string& path) {
  AppendComments(out, key.comments);
  out += '[';
  out += path;
  out += "]\n";
  for (const RegValue& v : key.values()) {
    AppendComments(out, v.comments);
    AppendValueLine(out, v);
  }
  out += '\n';
}

}  // namespace

std::optional<std::string> FormatRegFile(const Hive& hive, size_t maxBytes) {
  std::string out;
  // One allocation for any file within the limit (pages not written are
  // never touched), instead of a copy at every doubling.
  out.reserve(std::min(maxBytes, kMaxHiveFileBytes) + 1);
  out += kRegFileHeader;
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
