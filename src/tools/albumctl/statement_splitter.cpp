#include "statement_splitter.h"

namespace albumcore::tools {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v' || c == '\n'; }

bool IsComment(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  return line.substr(i, 2) == "--";
}

bool IsEmpty(std::string_view line) {
  for (char c : line)
    if (!IsBlank(c)) return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

void StatementSplitter::Append(char c) {
  if (!started_ && !IsBlank(c)) {
    started_ = true;
    start_ = line_;
  }
  text_ += c;
}

void StatementSplitter::End(std::vector<ScriptStatement>& out) {
  if (started_) out.push_back({std::string(Trim(text_)), start_});
  text_.clear();
  started_ = false;
}

std::vector<ScriptStatement> StatementSplitter::AddLine(std::string_view line) {
  ++line_;
  std::vector<ScriptStatement> out;
  if (closing_ == 0) {
    if (IsComment(line)) return out;
    if (end_ == StatementEnd::SemicolonOrEmptyLine && IsEmpty(line)) {
      End(out);
      return out;
    }
  }
  for (char c : line) {
    if (closing_ != 0) {
      if (c == closing_) closing_ = 0;  // "" and '' close and open again
    } else if (c == '"' || c == '\'') {
      closing_ = c;
    } else if (c == '[') {
      closing_ = ']';
    } else if (c == ';') {
      End(out);
      continue;
    }
    Append(c);
  }
  if (end_ == StatementEnd::LineEnd && closing_ == 0) End(out);
  else Append('\n');
  return out;
}

std::optional<ScriptStatement> StatementSplitter::Finish() {
  std::vector<ScriptStatement> out;
  End(out);
  closing_ = 0;
  if (out.empty()) return std::nullopt;
  return std::move(out.front());
}

std::vector<ScriptStatement> SplitScript(std::string_view script) {
  auto split = [&](StatementEnd end, bool& endedBySemicolon) {
    StatementSplitter splitter(end);
    std::vector<ScriptStatement> all;
    for (size_t at = 0; at <= script.size();) {
      size_t next = script.find('\n', at);
      if (next == std::string_view::npos) next = script.size();
      auto ended = splitter.AddLine(script.substr(at, next - at));
      if (!ended.empty() && end == StatementEnd::Semicolon) endedBySemicolon = true;
      for (auto& s : ended) all.push_back(std::move(s));
      at = next + 1;
    }
    if (auto last = splitter.Finish()) all.push_back(std::move(*last));
    return all;
  };
  bool semicolons = false;
  auto statements = split(StatementEnd::Semicolon, semicolons);
  if (semicolons) return statements;
  return split(StatementEnd::LineEnd, semicolons);
}

}  // namespace albumcore::tools
