// Splits Jet SQL typed at a terminal or read from a script into statements.
//
// A statement ends at a ";" outside string literals ("..." and '...') and
// bracketed names. A script that holds no such ";" at all is one statement
// per line. At a terminal a statement also ends at an empty line, so a
// statement without ";" runs after a second Enter. A line whose first
// characters are "--" (outside a literal) is a comment. A line break inside
// a literal belongs to it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace albumcore::tools {

struct ScriptStatement {
  std::string text;  // without the ";" and the blanks around it
  int line = 0;      // where it starts, counted from 1
};

enum class StatementEnd {
  Semicolon,              // a script that uses ";"
  LineEnd,                // a script without any ";"
  SemicolonOrEmptyLine,   // a person at a terminal
};

class StatementSplitter {
 public:
  explicit StatementSplitter(StatementEnd end) : end_(end) {}

  // Takes one line, without its line break; returns the statements it ends.
  std::vector<ScriptStatement> AddLine(std::string_view line);
  // The statement left unfinished at the end of the input, if any.
  std::optional<ScriptStatement> Finish();
  // Something was typed that no statement end has taken yet.
  bool pending() const { return started_; }

 private:
  void Append(char c);
  void End(std::vector<ScriptStatement>& out);

  StatementEnd end_;
  std::string text_;
  bool started_ = false;  // text_ holds more than blanks
  int start_ = 0;
  int line_ = 0;
  char closing_ = 0;  // the character that ends the open literal or name
};

// Every statement of a script, ended by ";" when it uses any, else by lines.
std::vector<ScriptStatement> SplitScript(std::string_view script);

}  // namespace albumcore::tools
