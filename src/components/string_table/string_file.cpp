#include "components/string_table/string_file.h"

#include <algorithm>
#include <pugixml.hpp>
#include <unordered_set>

#include "com/text.h"

namespace albumcore::components {

namespace {

constexpr std::string_view kRootElement = "strings";
constexpr std::string_view kSectionElement = "section";
constexpr std::string_view kStringElement = "string";
constexpr const char* kNameAttribute = "name";
constexpr const char* kKeyAttribute = "key";

class Parser {
 public:
  Parser(std::string_view path, std::string_view text) : path_(path), text_(text) {}

  StringFileContents Run() {
    pugi::xml_document doc;
    // A string holding only blanks (a separator, say) keeps them.
    const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata_single;
    const pugi::xml_parse_result parsed = doc.load_buffer(text_.data(), text_.size(), options, pugi::encoding_utf8);
    if (!parsed) {
      errorOffset_ = static_cast<size_t>(std::max<ptrdiff_t>(parsed.offset, 0));
      Problem(errorOffset_, std::string("not well-formed XML: ") + parsed.description());
    }
    const pugi::xml_node root = doc.document_element();
    if (!root) {
      if (parsed) Problem(0, "no <strings> element");
      return std::move(out_);
    }
    if (std::string_view(root.name()) != kRootElement) {
      Problem(root, "the outer element must be <strings>, not <" + std::string(root.name()) + ">");
      return std::move(out_);
    }
    for (pugi::xml_node section = root.first_child(); section; section = section.next_sibling()) {
      if (section.type() != pugi::node_element) continue;
      if (std::string_view(section.name()) != kSectionElement) {
        Problem(section, "<" + std::string(section.name()) + "> skipped: only <section> belongs in <strings>");
        continue;
      }
      ReadSection(section);
    }
    if (!parsed) DropUnfinishedLast();
    return std::move(out_);
  }

 private:
  void ReadSection(const pugi::xml_node& section) {
    const std::string_view name = section.attribute(kNameAttribute).value();
    if (!ValidName(section, "section name", name, /*pointAllowed=*/false)) return;
    for (pugi::xml_node entry = section.first_child(); entry; entry = entry.next_sibling()) {
      if (entry.type() != pugi::node_element) continue;
      if (std::string_view(entry.name()) != kStringElement) {
        Problem(entry, "<" + std::string(entry.name()) + "> skipped: only <string> belongs in <section>");
        continue;
      }
      const std::string_view key = entry.attribute(kKeyAttribute).value();
      if (!ValidName(entry, "key", key, /*pointAllowed=*/true)) continue;
      std::string reference = std::string(name) + kSectionSeparator + std::string(key);
      if (!seen_.insert(reference).second) {
        Problem(entry, "\"" + reference + "\" defined again; the first text is kept");
        continue;
      }
      out_.entries.emplace_back(std::move(reference), entry.child_value());
      lastEntryNode_ = entry;
    }
  }

  bool ValidName(const pugi::xml_node& node, std::string_view what, std::string_view name, bool pointAllowed) {
    std::string fault;
    if (name.empty()) fault = "has no " + std::string(what);
    else if (com::Utf16Length(name) > kMaxStringNameUnits)
      fault = std::string(what) + " longer than " + std::to_string(kMaxStringNameUnits) + " characters";
    else if (!pointAllowed && name.find(kSectionSeparator) != std::string_view::npos)
      fault = std::string(what) + " \"" + std::string(name) + "\" holds a point";
    if (fault.empty()) return true;
    Problem(node, "<" + std::string(node.name()) + "> skipped: " + fault);
    return false;
  }

  // When the file breaks off, the last entry read may have lost the end of
  // its text: keep it only if its element was closed before the fault.
  void DropUnfinishedLast() {
    if (!lastEntryNode_ || out_.entries.empty()) return;
    const size_t start = static_cast<size_t>(lastEntryNode_.offset_debug());
    const size_t tagEnd = text_.find('>', start);
    const bool selfClosed = tagEnd != std::string_view::npos && tagEnd > 0 && text_[tagEnd - 1] == '/';
    const size_t close = text_.find("</string", start);
    const bool closed = selfClosed ? tagEnd < errorOffset_ : close != std::string_view::npos && close < errorOffset_;
    if (closed) return;
    Problem(start, "\"" + out_.entries.back().first + "\" dropped: the file breaks off inside it");
    out_.entries.pop_back();
  }

  void Problem(const pugi::xml_node& node, const std::string& what) {
    Problem(static_cast<size_t>(std::max<ptrdiff_t>(node.offset_debug(), 0)), what);
  }
  void Problem(size_t offset, const std::string& what) {
    out_.problems.push_back(std::string(path_) + ":" + std::to_string(LineOfOffset(text_, offset)) + ": " + what);
  }

  std::string_view path_;
  std::string_view text_;
  size_t errorOffset_ = 0;
  pugi::xml_node lastEntryNode_;
  std::unordered_set<std::string> seen_;
  StringFileContents out_;
};

}  // namespace

size_t LineOfOffset(std::string_view text, size_t offset) {
  const std::string_view before = text.substr(0, std::min(offset, text.size()));
  return 1 + static_cast<size_t>(std::count(before.begin(), before.end(), '\n'));
}

StringFileContents ParseStringFile(std::string_view path, std::string_view text) {
  return Parser(path, text).Run();
}

}  // namespace albumcore::components
