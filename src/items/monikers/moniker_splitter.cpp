#include "items/monikers/moniker_splitter.h"

#include "items/monikers/moniker_protocols.h"

namespace albumcore::items::monikers {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

struct Protocol {
  std::string_view name;
  std::string_view delimiter;  // empty: none
};

// Plain loops: the standard find_first_of/find_last_of test each byte
// against the set through a call, ten times slower on long paths.
size_t FirstColonOrSeparator(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == ':' || IsSeparator(text[i])) return i;
  return std::string_view::npos;
}
size_t LastSeparator(std::string_view text) {
  for (size_t i = text.size(); i-- > 0;)
    if (IsSeparator(text[i])) return i;
  return std::string_view::npos;
}

// The protocol at the start of `text`. A "::" protocol name holds no colon
// or separator, so its delimiter is the first of those characters: one
// look, however long the text.
Protocol FindProtocol(std::string_view text) {
  const size_t stop = FirstColonOrSeparator(text);
  if (stop != std::string_view::npos && stop > 0 && text[stop] == ':' && text.substr(stop).starts_with(kProtocolDelimiter))
    return {text.substr(0, stop), kProtocolDelimiter};
  if (stop != std::string_view::npos && text[stop] == ':' && IsOneColonProtocol(text.substr(0, stop)))
    return {text.substr(0, stop), kOneColonDelimiter};
  return {};
}

}  // namespace

void MonikerSplitter::Split(std::string_view text, uint32_t flags) {
  protocol_.clear();
  delimiter_ = {};
  if (flags & kSplitProtocol) {
    const Protocol found = FindProtocol(text);
    if (!found.delimiter.empty()) {
      protocol_.assign(found.name);
      delimiter_ = found.delimiter;
      text.remove_prefix(found.name.size() + found.delimiter.size());
    }
  }
  root_ = directory_ = name_ = extension_ = {};
  if (!(flags & (kSplitAll & ~kSplitProtocol))) {  // the protocol alone: no need to read the path
    path_.clear();
    return;
  }
  path_.assign(text);

  size_t fileBegin = 0;
  if (text.size() >= 2 && IsAsciiLetter(text[0]) && text[1] == ':') {
    root_ = {0, 2};
    fileBegin = 2;
  }
  if (const size_t lastSeparator = LastSeparator(text);
      lastSeparator != std::string_view::npos && lastSeparator >= fileBegin) {
    directory_ = {fileBegin, lastSeparator + 1 - fileBegin};
    fileBegin = lastSeparator + 1;
  }
  const std::string_view file = text.substr(fileBegin);
  if (const size_t dot = file.rfind('.'); dot != std::string_view::npos && dot > 0 && dot + 1 < file.size()) {
    name_ = {fileBegin, dot};
    extension_ = {fileBegin + dot + 1, file.size() - dot - 1};
  } else {
    name_ = {fileBegin, file.size()};
  }

  // Parts not asked for are not held.
  if (!(flags & kSplitRoot)) root_ = {};
  if (!(flags & kSplitDirectory)) directory_ = {};
  if (!(flags & kSplitName)) name_ = {};
  if (!(flags & kSplitExtension)) extension_ = {};
}

std::string MonikerSplitter::Compose(uint32_t flags) const {
  std::string out;
  out.reserve(protocol_.size() + delimiter_.size() + path_.size() + 1);
  if ((flags & kSplitProtocol) && !protocol_.empty()) {
    out += protocol_;
    out += flags == kSplitProtocol ? kOneColonDelimiter : delimiter_;
  }
  if (flags & kSplitRoot) out += GetRoot();
  if (flags & kSplitDirectory) {
    std::string_view directory = GetPath();
    if (!(flags & (kSplitName | kSplitExtension))) {
      size_t end = directory.size();
      while (end > 0 && IsSeparator(directory[end - 1])) --end;
      if (end > 0) directory = directory.substr(0, end);
    }
    out += directory;
  }
  if (flags & kSplitName) out += GetName();
  if ((flags & kSplitExtension) && extension_.size > 0) {
    if (flags & (kSplitAll & ~kSplitExtension)) out += '.';
    out += GetExtension();
  }
  return out;
}

bool MonikerSplitter::SetProtocol(std::string_view name) {
  if (name.find_first_of(":/\\") != std::string_view::npos) return false;
  protocol_.assign(name);
  if (name.empty())
    delimiter_ = {};
  else if (delimiter_.empty() || (delimiter_ == kOneColonDelimiter && !IsOneColonProtocol(name)))
    delimiter_ = kProtocolDelimiter;
  return true;
}

}  // namespace albumcore::items::monikers
