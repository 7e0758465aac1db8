// Reading the hive file (reg_file_format.h). One pass over the lines; a
// section's path is walked in a loop, never by recursion.
#include <cstdint>
#include <vector>

#include "registry/key_names.h"
#include "registry/reg_file_format.h"
#include "registry/reg_hex.h"

namespace albumcore::registry {

namespace {

constexpr std::string_view kMachineRoot = "HKEY_LOCAL_MACHINE";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = s[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    char p = prefix[i];
    if (p >= 'A' && p <= 'Z') p = static_cast<char>(p - 'A' + 'a');
    if (c != p) return false;
  }
  return true;
}

// A failure at one line of the file, carried out of the nested parsing steps.
struct LineError {
  size_t line;
  std::string what;
};

class Parser {
 public:
  Parser(std::string_view text, Hive& hive) : hive_(hive) {
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      lines_.push_back(TrimRight(text.substr(start, end - start)));
      start = end + 1;
    }
  }

  void Run() {
    if (lines_.empty()) return;
    if (lines_[0].substr(0, 2) == "\xFF\xFE") Fail(0, "the file is UTF-16; it must be saved as UTF-8");
    if (lines_[0] != kRegFileHeader) Fail(0, "expected the header \"" + std::string(kRegFileHeader) + "\"");
    RegKey* current = nullptr;
    std::vector<std::string> comments;
    for (next_ = 1; next_ < lines_.size();) {
      size_t index = next_++;
      std::string_view line = TrimLeft(lines_[index]);
      if (line.empty()) continue;
      if (line.front() == ';') {
        comments.emplace_back(lines_[index]);
      } else if (line.front() == '[') {
        current = &Section(index, line);
        current->comments.insert(current->comments.end(), comments.begin(), comments.end());
        comments.clear();
      } else if (line.front() == '"' || line.front() == '@') {
        if (current == nullptr) Fail(index, "a value before the first [key] line");
        RegValue value = Value(index, line);
        value.comments = std::move(comments);
        comments.clear();
        current->SetValue(std::move(value));
      } else {
        Fail(index, "expected a [key] line, a value line or a ; comment");
      }
    }
    hive_.trailingComments = std::move(comments);
  }

 private:
  [[noreturn]] static void Fail(size_t index, std::string what) { throw LineError{index + 1, std::move(what)}; }
  static std::string DataTooLong() { return "value data over " + std::to_string(kMaxValueDataBytes) + " bytes"; }

  RegKey& Section(size_t index, std::string_view line) {
    if (line.back() != ']') Fail(index, "a [key] line must end with ']'");
    std::string_view path = line.substr(1, line.size() - 2);
    if (!path.empty() && path.front() == '-') Fail(index, "key deletion entries are not supported");
    size_t slash = path.find('\\');
    std::string_view rootName = path.substr(0, slash);
    if (!SameName(rootName, kMachineRoot)) Fail(index, "only HKEY_LOCAL_MACHINE keys are supported");
    RegKey* key = &hive_.root();
    size_t depth = 0;
    while (slash != std::string_view::npos) {
      size_t start = slash + 1;
      slash = path.find('\\', start);
      std::string_view name = path.substr(start, slash == std::string_view::npos ? slash : slash - start);
      if (std::string problem = KeyNameProblem(name); !problem.empty()) Fail(index, std::move(problem));
      if (++depth > kMaxKeyDepth) Fail(index, "a key path deeper than " + std::to_string(kMaxKeyDepth) + " levels");
      key = &key->AddSubkey(name);
    }
    return *key;
  }

  // A quoted text starting at s[0] == '"'; `s` is left after the closing quote.
  static std::string Quoted(size_t index, std::string_view& s) {
    std::string text;
    for (size_t i = 1; i < s.size(); ++i) {
      char c = s[i];
      if (c == '"') {
        s.remove_prefix(i + 1);
        return text;
      }
      if (c == '\\') {
        if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) Fail(index, "bad escape (only \\\\ and \\\" are allowed)");
        c = s[++i];
      }
      text += c;
    }
    Fail(index, "missing closing quote");
  }

  RegValue Value(size_t index, std::string_view line) {
    RegValue value;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else {
      value.name = Quoted(index, line);
      if (std::string problem = ValueNameProblem(value.name); !problem.empty()) Fail(index, std::move(problem));
    }
    line = TrimLeft(line);
    if (line.empty() || line.front() != '=') Fail(index, "expected '=' after the value name");
    line = TrimLeft(line.substr(1));
    if (!line.empty() && line.front() == '"') {
      value.type = RegType::String;
      value.text = Quoted(index, line);
      if (!TrimLeft(line).empty()) Fail(index, "unexpected text after the closing quote");
      if (!StringDataFits(value.text)) Fail(index, DataTooLong());
      if (!IsValidUtf8(value.text)) Fail(index, "text is not valid UTF-8");
    } else if (StartsWithNoCase(line, "dword:")) {
      value.type = RegType::Dword;
      value.dword = Dword(index, line.substr(6));
    } else if (StartsWithNoCase(line, "hex")) {
      HexData(index, line, value);
    } else if (line == "-") {
      Fail(index, "value deletion entries are not supported");
    } else {
      Fail(index, "expected \"text\", dword: or hex: data");
    }
    return value;
  }

  static uint32_t Dword(size_t index, std::string_view digits) {
    if (digits.empty() || digits.size() > 8) Fail(index, "a dword needs 1 to 8 hex digits");
    uint32_t v = 0;
    for (char c : digits) {
      int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
      if (d < 0) Fail(index, "bad hex digit in dword");
      v = v * 16 + static_cast<uint32_t>(d);
    }
    return v;
  }

  // "hex:..." or "hex(N):...", continued on following lines while a line ends with '\'.
  void HexData(size_t index, std::string_view first, RegValue& value) {
    std::string_view rest = first.substr(3);
    int64_t type = 3;  // hex: is binary
    if (!rest.empty() && rest.front() == '(') {
      size_t close = rest.find(')');
      if (close == std::string_view::npos || close == 1 || close > 9) Fail(index, "bad hex(type)");
      type = Dword(index, rest.substr(1, close - 1));
      rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest.front() != ':') Fail(index, "expected ':' after hex");
    std::string raw(first);
    std::string list(rest.substr(1));
    while (!list.empty() && list.back() == '\\') {
      list.pop_back();
      if (next_ >= lines_.size()) Fail(index, "the hex data continues past the end of the file");
      std::string_view more = lines_[next_++];
      raw += '\n';
      raw += more;
      list += TrimLeft(more);
    }
    std::vector<uint8_t> bytes;
    if (!ParseHexByteList(list, bytes)) Fail(index, "bad hex data");
    if (bytes.size() > kMaxValueDataBytes) Fail(index, DataTooLong());
    if (type == 1) {
      if (auto text = DecodeUtf16Le(bytes)) {
        value.type = RegType::String;
        value.text = std::move(*text);
        return;
      }
    }
    value.type = RegType::Other;  // kept as written, including unpaired UTF-16 in hex(1)
    value.rawData = std::move(raw);
  }

  Hive& hive_;
  std::vector<std::string_view> lines_;
  size_t next_ = 0;
};

}  // namespace

bool ParseRegFile(std::string_view text, std::string_view sourceName, Hive& hive, std::string& error) {
  hive = Hive();
  try {
    Parser(text, hive).Run();
    return true;
  } catch (const LineError& e) {
    error = std::string(sourceName) + ":" + std::to_string(e.line) + ": " + e.what;
    return false;
  }
}

}  // namespace albumcore::registry
