#include "store/jetsql/ascii.h"
#include "store/jetsql/parser.h"

#include <algorithm>
#include <cctype>

#include "store/jetsql/jet_error.h"
#include "store/jetsql/lexer.h"

namespace albumcore::store::jetsql {

namespace {

// Words that end a name or an expression where an alias could follow.
bool IsReserved(std::string_view w) {
  static constexpr std::string_view kWords[] = {
      "SELECT", "FROM",  "WHERE",   "GROUP", "BY",     "HAVING", "ORDER",  "UNION",    "ON",    "AS",
      "INNER",  "LEFT",  "RIGHT",   "OUTER", "JOIN",   "AND",    "OR",     "NOT",      "XOR",   "EQV",
      "IMP",    "MOD",   "LIKE",    "BETWEEN", "IN",   "IS",     "NULL",   "ASC",      "DESC",  "INTO",
      "VALUES", "SET",   "TOP",     "DISTINCT", "DISTINCTROW", "EXISTS", "ALL", "WITH",  "PARAMETERS",
      "INSERT", "UPDATE", "DELETE", "CREATE", "ALTER", "DROP",   "TABLE",  "INDEX", "TRANSFORM", "PIVOT"};
  return std::any_of(std::begin(kWords), std::end(kWords), [&](std::string_view k) { return IEquals(k, w); });
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text), tokens_(Tokenize(text)) {}

  Statement Run() {
    Statement st;
    if (IsKw("PARAMETERS")) ParseParameters(st);
    if (IsKw("SELECT") || IsSymbol("(")) {
      st.body = ParseSelect(true, true);
    } else if (IsKw("TRANSFORM")) {
      st.body = ParseTransform();
    } else if (IsKw("INSERT")) {
      st.body = ParseInsert();
    } else if (IsKw("UPDATE")) {
      st.body = ParseUpdate();
    } else if (IsKw("DELETE")) {
      st.body = ParseDelete();
    } else if (IsKw("CREATE")) {
      Next();
      if (IsKw("TABLE")) st.body = ParseCreateTable();
      else st.body = ParseCreateIndex();
    } else if (IsKw("ALTER")) {
      st.body = ParseAlter();
    } else if (IsKw("DROP")) {
      st.body = ParseDrop();
    } else {
      ThrowJet(jeterr::kInvalidStatement,
               "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'");
    }
    while (IsSymbol(";")) Next();
    if (Peek().kind != TokenKind::End) Fail(jeterr::kTrailingText, "Characters found after end of SQL statement");
    return st;
  }

 private:
  // ---- token helpers ----
  const Token& Peek(size_t ahead = 0) const {
    const size_t i = std::min(pos_ + ahead, tokens_.size() - 1);
    return tokens_[i];
  }
  const Token& Next() {
    const Token& t = tokens_[pos_];
    if (pos_ + 1 < tokens_.size()) ++pos_;
    return t;
  }
  bool IsKw(std::string_view kw, size_t ahead = 0) const {
    const Token& t = Peek(ahead);
    return t.kind == TokenKind::Identifier && IEquals(t.text, kw);
  }
  bool IsSymbol(std::string_view s, size_t ahead = 0) const {
    const Token& t = Peek(ahead);
    return t.kind == TokenKind::Symbol && t.text == s;
  }
  bool AcceptKw(std::string_view kw) {
    if (!IsKw(kw)) return false;
    Next();
    return true;
  }
  bool AcceptSymbol(std::string_view s) {
    if (!IsSymbol(s)) return false;
    Next();
    return true;
  }
  [[noreturn]] void Fail(uint16_t number, std::string_view what) const {
    const Token& t = Peek();
    std::string near =
        t.kind == TokenKind::End ? "end of statement" : "'" + std::string(text_.substr(t.pos - offset_, 40)) + "'";
    ThrowJet(number, std::string(what) + " near " + near + AtPosition(t.pos));
  }
  void ExpectKw(std::string_view kw, uint16_t number) {
    if (!AcceptKw(kw)) Fail(number, "Expected " + std::string(kw));
  }
  void ExpectSymbol(std::string_view s, uint16_t number) {
    if (!AcceptSymbol(s)) Fail(number, "Expected '" + std::string(s) + "'");
  }
  // A name: bracketed, or a bare word that is not reserved.
  bool IsName(size_t ahead = 0) const {
    const Token& t = Peek(ahead);
    return t.kind == TokenKind::BracketName || (t.kind == TokenKind::Identifier && !IsReserved(t.text));
  }
  std::string ParseName(uint16_t number) {
    if (!IsName()) Fail(number, "Expected a name");
    return Next().text;
  }

  struct DepthGuard {
    explicit DepthGuard(Parser& p) : parser(p) {
      if (++parser.depth_ > kMaxNesting) parser.Fail(jeterr::kSyntax, "Expression too complex");
    }
    ~DepthGuard() { --parser.depth_; }
    Parser& parser;
  };

  // ---- expressions ----
  ExprPtr MakeBinary(Op op, ExprPtr a, ExprPtr b, size_t pos) {
    auto e = std::make_unique<Expr>();
    e->kind = ExprKind::Binary;
    e->op = op;
    e->pos = pos;
    e->height = 1 + std::max(a->height, b->height);
    if (e->height > kMaxExpressionHeight) ThrowJet(jeterr::kSyntax, "Expression too complex" + AtPosition(pos));
    e->args.push_back(std::move(a));
    e->args.push_back(std::move(b));
    return e;
  }

  static int Height(const std::vector<ExprPtr>& args) {
    int h = 0;
    for (const auto& a : args) h = std::max(h, a->height);
    return h + 1;
  }

  ExprPtr ParseExpr() {
    DepthGuard guard(*this);
    return ParseImp();
  }

  template <class Sub>
  ExprPtr LeftAssoc(Sub sub, std::initializer_list<std::pair<std::string_view, Op>> ops, bool keywords) {
    ExprPtr left = (this->*sub)();
    while (true) {
      bool matched = false;
      for (const auto& [text, op] : ops) {
        if (keywords ? IsKw(text) : IsSymbol(text)) {
          const size_t pos = Next().pos;
          ExprPtr right = (this->*sub)();
          left = MakeBinary(op, std::move(left), std::move(right), pos);
          matched = true;
          break;
        }
      }
      if (!matched) return left;
    }
  }

  ExprPtr ParseImp() { return LeftAssoc(&Parser::ParseEqv, {{"IMP", Op::Imp}}, true); }
  ExprPtr ParseEqv() { return LeftAssoc(&Parser::ParseXor, {{"EQV", Op::Eqv}}, true); }
  ExprPtr ParseXor() { return LeftAssoc(&Parser::ParseOr, {{"XOR", Op::Xor}}, true); }
  ExprPtr ParseOr() { return LeftAssoc(&Parser::ParseAnd, {{"OR", Op::Or}}, true); }
  ExprPtr ParseAnd() { return LeftAssoc(&Parser::ParseNot, {{"AND", Op::And}}, true); }

  ExprPtr ParseNot() {
    if (IsKw("NOT")) {
      DepthGuard guard(*this);
      const size_t pos = Next().pos;
      auto e = std::make_unique<Expr>();
      e->kind = ExprKind::Unary;
      e->op = Op::Not;
      e->pos = pos;
      e->args.push_back(ParseNot());
      e->height = e->args[0]->height + 1;
      return e;
    }
    return ParseComparison();
  }

  ExprPtr ParseComparison() {
    ExprPtr left = ParseConcat();
    while (true) {
      const Token& t = Peek();
      if (t.kind == TokenKind::Symbol) {
        static constexpr std::pair<std::string_view, Op> kOps[] = {
            {"=", Op::Eq}, {"<>", Op::Ne}, {"<", Op::Lt}, {"<=", Op::Le}, {">", Op::Gt}, {">=", Op::Ge}};
        bool matched = false;
        for (const auto& [text, op] : kOps) {
          if (t.text == text) {
            const size_t pos = Next().pos;
            left = IsQuantifier() ? ParseQuantified(op, std::move(left), pos)
                                  : MakeBinary(op, std::move(left), ParseConcat(), pos);
            matched = true;
            break;
          }
        }
        if (matched) continue;
        return left;
      }
      const size_t pos = t.pos;
      bool negated = false;
      if (IsKw("NOT") && (IsKw("LIKE", 1) || IsKw("BETWEEN", 1) || IsKw("IN", 1))) {
        Next();
        negated = true;
      }
      auto e = std::make_unique<Expr>();
      e->pos = pos;
      e->negated = negated;
      e->args.push_back(std::move(left));
      if (AcceptKw("LIKE")) {
        e->kind = ExprKind::Like;
        e->args.push_back(ParseConcat());
      } else if (AcceptKw("BETWEEN")) {
        e->kind = ExprKind::Between;
        e->args.push_back(ParseConcat());
        ExpectKw("AND", jeterr::kSyntax);
        e->args.push_back(ParseConcat());
      } else if (AcceptKw("IN")) {
        ExpectSymbol("(", jeterr::kSyntax);
        if (IsKw("SELECT")) {
          e->kind = ExprKind::InSelect;
          e->select = std::make_unique<SelectStmt>(ParseSelect(false));
        } else {
          e->kind = ExprKind::InList;
          do {
            e->args.push_back(ParseExpr());
          } while (AcceptSymbol(","));
        }
        ExpectSymbol(")", jeterr::kSyntax);
      } else if (AcceptKw("IS")) {
        e->kind = ExprKind::IsNull;
        e->negated = AcceptKw("NOT");
        ExpectKw("NULL", jeterr::kSyntax);
      } else {
        if (negated) Fail(jeterr::kSyntax, "Syntax error (missing operator)");
        return std::move(e->args[0]);
      }
      e->height = Height(e->args);
      if (e->height > kMaxExpressionHeight) Fail(jeterr::kSyntax, "Expression too complex");
      left = std::move(e);
    }
  }

  // > ALL (SELECT ...), = ANY (SELECT ...), <> SOME (SELECT ...)
  bool IsQuantifier() const {
    return (IsKw("ALL") || IsKw("ANY") || IsKw("SOME")) && IsSymbol("(", 1) && IsKw("SELECT", 2);
  }

  ExprPtr ParseQuantified(Op op, ExprPtr value, size_t pos) {
    auto e = std::make_unique<Expr>();
    e->kind = ExprKind::Quantified;
    e->op = op;
    e->pos = pos;
    e->all = IsKw("ALL");
    Next();
    Next();  // (
    e->select = std::make_unique<SelectStmt>(ParseSelect(false));
    ExpectSymbol(")", jeterr::kSyntax);
    e->args.push_back(std::move(value));
    e->height = Height(e->args);
    if (e->height > kMaxExpressionHeight) Fail(jeterr::kSyntax, "Expression too complex");
    return e;
  }

  ExprPtr ParseConcat() { return LeftAssoc(&Parser::ParseAdd, {{"&", Op::Concat}}, false); }
  ExprPtr ParseAdd() { return LeftAssoc(&Parser::ParseMod, {{"+", Op::Add}, {"-", Op::Sub}}, false); }
  ExprPtr ParseMod() { return LeftAssoc(&Parser::ParseIntDiv, {{"MOD", Op::Mod}}, true); }
  ExprPtr ParseIntDiv() { return LeftAssoc(&Parser::ParseMul, {{"\\", Op::IntDiv}}, false); }
  ExprPtr ParseMul() { return LeftAssoc(&Parser::ParseUnary, {{"*", Op::Mul}, {"/", Op::Div}}, false); }

  ExprPtr MakeUnary(Op op, size_t pos, ExprPtr operand) {
    auto e = std::make_unique<Expr>();
    e->kind = ExprKind::Unary;
    e->op = op;
    e->pos = pos;
    e->height = operand->height + 1;
    e->args.push_back(std::move(operand));
    return e;
  }

  ExprPtr ParseUnary() {
    if (IsSymbol("-") || IsSymbol("+")) {
      DepthGuard guard(*this);
      const Op op = Peek().text == "-" ? Op::Neg : Op::Pos;
      const size_t pos = Next().pos;
      return MakeUnary(op, pos, ParseUnary());
    }
    return ParsePow();
  }

  ExprPtr ParsePowOperand() {
    if (IsSymbol("-") || IsSymbol("+")) {
      DepthGuard guard(*this);
      const Op op = Peek().text == "-" ? Op::Neg : Op::Pos;
      const size_t pos = Next().pos;
      return MakeUnary(op, pos, ParsePowOperand());
    }
    return ParsePrimary();
  }

  ExprPtr ParsePow() {
    ExprPtr left = ParsePrimary();
    while (IsSymbol("^")) {
      const size_t pos = Next().pos;
      left = MakeBinary(Op::Pow, std::move(left), ParsePowOperand(), pos);
    }
    return left;
  }

  ExprPtr ParsePrimary() {
    const Token& t = Peek();
    auto e = std::make_unique<Expr>();
    e->pos = t.pos;
    switch (t.kind) {
      case TokenKind::Integer:
        e->kind = ExprKind::Integer;
        e->integer = t.integer;
        Next();
        return e;
      case TokenKind::Real:
        e->kind = ExprKind::Real;
        e->real = t.real;
        Next();
        return e;
      case TokenKind::String:
        e->kind = ExprKind::String;
        e->text = t.text;
        Next();
        return e;
      case TokenKind::Date:
        e->kind = ExprKind::Date;
        e->real = t.real;
        Next();
        return e;
      case TokenKind::BracketName:
        return ParseNameExpr();
      case TokenKind::Symbol:
        if (t.text == "(") {
          DepthGuard guard(*this);
          Next();
          if (IsKw("SELECT")) {
            e->kind = ExprKind::Subquery;
            e->select = std::make_unique<SelectStmt>(ParseSelect(false));
          } else {
            e = ParseExpr();
            e->parenthesized = true;
          }
          ExpectSymbol(")", jeterr::kSyntax);
          return e;
        }
        Fail(jeterr::kSyntax, "Syntax error (missing operand)");
      case TokenKind::Identifier: {
        if (t.text.starts_with("@@")) {
          if (!IEquals(t.text, "@@IDENTITY")) Fail(jeterr::kSyntax, "Syntax error in query expression");
          Next();
          e->kind = ExprKind::Identity;
          return e;
        }
        static constexpr std::pair<std::string_view, bool> kBools[] = {
            {"TRUE", true}, {"YES", true}, {"ON", true}, {"FALSE", false}, {"NO", false}, {"OFF", false}};
        if (IsSymbol("(", 1)) {
          if (IsKw("EXISTS")) {
            DepthGuard guard(*this);
            Next();
            Next();
            e->kind = ExprKind::Exists;
            e->select = std::make_unique<SelectStmt>(ParseSelect(false));
            ExpectSymbol(")", jeterr::kSyntax);
            return e;
          }
          // Left( and Right( are functions; only these words are not.
          if (!IsKw("NOT") && !IsKw("SELECT") && !IsKw("IN")) return ParseCall();
        }
        if (IsKw("NULL")) {
          Next();
          e->kind = ExprKind::Null;
          return e;
        }
        for (const auto& [word, value] : kBools) {
          if (IsKw(word)) {
            Next();
            e->kind = ExprKind::Bool;
            e->integer = value ? -1 : 0;
            return e;
          }
        }
        if (IsReserved(t.text)) Fail(jeterr::kSyntax, "Syntax error (missing operator)");
        return ParseNameExpr();
      }
      case TokenKind::End:
        Fail(jeterr::kSyntax, "Syntax error (missing operand)");
    }
    Fail(jeterr::kSyntax, "Syntax error");
  }

  ExprPtr ParseCall() {
    DepthGuard guard(*this);
    auto e = std::make_unique<Expr>();
    e->kind = ExprKind::Call;
    e->pos = Peek().pos;
    e->text = Next().text;
    Next();  // (
    if (IsSymbol("*") && IsSymbol(")", 1)) {
      Next();
      e->star = true;
    } else if (!IsSymbol(")")) {
      do {
        e->args.push_back(ParseExpr());
      } while (AcceptSymbol(","));
    }
    ExpectSymbol(")", jeterr::kSyntax);
    e->height = Height(e->args);
    return e;
  }

  // name, name.name, name.*, with either part bracketed.
  ExprPtr ParseNameExpr() {
    auto e = std::make_unique<Expr>();
    e->kind = ExprKind::Name;
    e->pos = Peek().pos;
    e->parts.push_back(Next().text);
    while (IsSymbol(".")) {
      Next();
      if (IsSymbol("*")) {
        Next();
        e->kind = ExprKind::Star;
        return e;
      }
      if (Peek().kind != TokenKind::BracketName && Peek().kind != TokenKind::Identifier)
        Fail(jeterr::kSyntax, "Syntax error in name");
      e->parts.push_back(Next().text);
      if (e->parts.size() > 3) Fail(jeterr::kSyntax, "Syntax error in name");
    }
    return e;
  }

  // ---- SELECT ----
  // `statement`: the statement itself, where SELECT ... INTO may make a table.
  SelectStmt ParseSelect(bool topLevel, bool statement = false) {
    DepthGuard guard(*this);
    SelectStmt s;
    while (true) {
      if (IsSymbol("(") && !topLevel) Fail(jeterr::kSyntaxSelect, "Syntax error in SELECT");
      bool parenthesized = false;
      if (IsSymbol("(")) {
        // (SELECT ...) UNION (SELECT ...)
        Next();
        parenthesized = true;
      }
      s.cores.push_back(ParseCore(statement && s.cores.empty() ? &s.into : nullptr));
      if (parenthesized) ExpectSymbol(")", jeterr::kSyntaxSelect);
      if (!AcceptKw("UNION")) break;
      s.unionAll.push_back(AcceptKw("ALL"));
    }
    if (IsKw("ORDER")) {
      Next();
      ExpectKw("BY", jeterr::kSyntaxSelect);
      do {
        OrderItem item;
        item.expr = ParseExpr();
        if (AcceptKw("DESC")) item.descending = true;
        else AcceptKw("ASC");
        s.orderBy.push_back(std::move(item));
      } while (AcceptSymbol(","));
    }
    return s;
  }

  SelectCore ParseCore(std::optional<IntoTarget>* into) {
    SelectCore c;
    c.pos = Peek().pos;
    ExpectKw("SELECT", jeterr::kSyntaxSelect);
    while (true) {
      if (AcceptKw("DISTINCT")) c.distinct = true;
      else if (AcceptKw("DISTINCTROW")) c.distinctRow = true;
      else if (AcceptKw("ALL")) {}
      else if (IsKw("TOP")) {
        Next();
        const Token& n = Peek();
        if (n.kind == TokenKind::Integer && n.integer > 0) c.top = static_cast<double>(n.integer);
        else if (n.kind == TokenKind::Real && n.real > 0) c.top = n.real;
        else Fail(jeterr::kSyntaxSelect, "TOP needs a positive number");
        Next();
        if (AcceptKw("PERCENT")) c.topPercent = true;
      } else {
        break;
      }
    }
    do {
      SelectItem item;
      if (IsSymbol("*")) {
        auto e = std::make_unique<Expr>();
        e->kind = ExprKind::Star;
        e->pos = Next().pos;
        item.expr = std::move(e);
      } else {
        item.expr = ParseExpr();
        if (AcceptKw("AS")) item.alias = ParseName(jeterr::kSyntaxSelect);
      }
      c.items.push_back(std::move(item));
    } while (AcceptSymbol(","));
    if (IsKw("INTO")) {
      if (into == nullptr) Fail(jeterr::kSyntaxSelect, "SELECT INTO is valid only as a statement of its own");
      Next();
      IntoTarget target;
      target.table = ParseName(jeterr::kSyntaxSelect);
      target.externalFile = ParseExternalFile();
      *into = std::move(target);
    }
    if (AcceptKw("FROM")) c.from = ParseFromList();
    if (AcceptKw("WHERE")) c.where = ParseExpr();
    if (IsKw("GROUP")) {
      Next();
      ExpectKw("BY", jeterr::kSyntaxSelect);
      do {
        c.groupBy.push_back(ParseExpr());
      } while (AcceptSymbol(","));
    }
    if (AcceptKw("HAVING")) c.having = ParseExpr();
    return c;
  }

  std::vector<SourcePtr> ParseFromList() {
    std::vector<SourcePtr> out;
    do {
      out.push_back(ParseJoined());
    } while (AcceptSymbol(","));
    return out;
  }

  std::optional<JoinType> AcceptJoin() {
    JoinType type;
    if (IsKw("INNER") && IsKw("JOIN", 1)) type = JoinType::Inner, Next();
    else if (IsKw("LEFT") || IsKw("RIGHT")) {
      type = IsKw("LEFT") ? JoinType::Left : JoinType::Right;
      Next();
      AcceptKw("OUTER");
      if (!IsKw("JOIN")) Fail(jeterr::kSyntaxFrom, "Syntax error in JOIN operation");
    } else if (IsKw("JOIN")) {
      Fail(jeterr::kSyntaxFrom, "Syntax error in JOIN operation");
    } else {
      return std::nullopt;
    }
    Next();  // JOIN
    return type;
  }

  SourcePtr ParseJoined() {
    DepthGuard guard(*this);
    SourcePtr left = ParseSourcePrimary();
    while (auto type = AcceptJoin()) {
      auto j = std::make_unique<TableSource>();
      j->kind = TableSource::Kind::Join;
      j->pos = left->pos;
      j->join = *type;
      j->left = std::move(left);
      j->right = ParseSourcePrimary();
      if (!AcceptKw("ON")) Fail(jeterr::kSyntaxFrom, "Syntax error in JOIN operation");
      j->on = ParseExpr();
      left = std::move(j);
    }
    return left;
  }

  // IN "file" after a table name.
  std::optional<std::string> ParseExternalFile() {
    if (!IsKw("IN") || Peek(1).kind != TokenKind::String) return std::nullopt;
    Next();
    return Next().text;
  }

  void ParseExternal(TableSource& t) {
    if (auto file = ParseExternalFile()) t.externalFile = std::move(file);
  }

  void ParseAlias(TableSource& t) {
    if (AcceptKw("AS")) t.alias = ParseName(jeterr::kSyntaxFrom);
    else if (IsName()) t.alias = Next().text;
  }

  static bool IsSavedSelect(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && text.size() - start > 6 && IEquals(text.substr(start, 6), "SELECT") &&
           std::isspace(static_cast<unsigned char>(text[start + 6]));
  }

  SourcePtr ParseSourcePrimary() {
    auto t = std::make_unique<TableSource>();
    t->pos = Peek().pos;
    if (IsSymbol("(")) {
      DepthGuard guard(*this);
      Next();
      if (IsKw("SELECT")) {
        t->kind = TableSource::Kind::Derived;
        t->derived = std::make_unique<SelectStmt>(ParseSelect(false));
        ExpectSymbol(")", jeterr::kSyntaxFrom);
        ParseAlias(*t);
        return t;
      }
      SourcePtr inner = ParseJoined();
      ExpectSymbol(")", jeterr::kSyntaxFrom);
      return inner;
    }
    if (Peek().kind == TokenKind::BracketName && IsSavedSelect(Peek().text)) {
      // [SELECT ...]. AS q: how Jet saves a derived table.
      const Token& saved = Next();
      t->kind = TableSource::Kind::Derived;
      Parser inner(saved.text, saved.pos + 1, depth_);
      t->derived = std::make_unique<SelectStmt>(inner.ParseSelect(false));
      if (inner.Peek().kind != TokenKind::End) inner.Fail(jeterr::kSyntaxFrom, "Syntax error in FROM clause");
      AcceptSymbol(".");
      ParseAlias(*t);
      return t;
    }
    if (!IsName()) Fail(jeterr::kSyntaxFrom, "Syntax error in FROM clause");
    t->kind = TableSource::Kind::Table;
    t->name = Next().text;
    if (IsSymbol(".") && (Peek(1).kind == TokenKind::BracketName || Peek(1).kind == TokenKind::Identifier)) {
      Fail(jeterr::kSyntaxFrom, "Qualified table names are not supported");
    }
    ParseExternal(*t);
    ParseAlias(*t);
    if (!t->externalFile) ParseExternal(*t);
    return t;
  }

  // ---- INSERT / UPDATE / DELETE ----
  InsertStmt ParseInsert() {
    Next();
    ExpectKw("INTO", jeterr::kSyntaxInsert);
    InsertStmt ins;
    ins.table = ParseName(jeterr::kSyntaxInsert);
    ins.externalFile = ParseExternalFile();
    if (AcceptSymbol("(")) {
      do {
        std::string name = ParseName(jeterr::kSyntaxInsert);
        // t.c is accepted; the qualifier must be the target and is dropped.
        if (AcceptSymbol(".")) name = ParseName(jeterr::kSyntaxInsert);
        ins.columns.push_back(std::move(name));
      } while (AcceptSymbol(","));
      ExpectSymbol(")", jeterr::kSyntaxInsert);
    }
    if (AcceptKw("VALUES")) {
      ExpectSymbol("(", jeterr::kSyntaxInsert);
      do {
        ins.values.push_back(ParseExpr());
      } while (AcceptSymbol(","));
      ExpectSymbol(")", jeterr::kSyntaxInsert);
    } else if (IsKw("SELECT") || IsSymbol("(")) {
      ins.select = std::make_unique<SelectStmt>(ParseSelect(true));
    } else {
      Fail(jeterr::kSyntaxInsert, "Syntax error in INSERT INTO statement");
    }
    return ins;
  }

  UpdateStmt ParseUpdate() {
    Next();
    UpdateStmt up;
    up.target = ParseJoined();
    ExpectKw("SET", jeterr::kSyntaxUpdate);
    do {
      Assignment a;
      a.pos = Peek().pos;
      a.target.push_back(ParseName(jeterr::kSyntaxUpdate));
      if (AcceptSymbol(".")) a.target.push_back(ParseName(jeterr::kSyntaxUpdate));
      ExpectSymbol("=", jeterr::kSyntaxUpdate);
      a.value = ParseExpr();
      up.sets.push_back(std::move(a));
    } while (AcceptSymbol(","));
    if (AcceptKw("WHERE")) up.where = ParseExpr();
    return up;
  }

  DeleteStmt ParseDelete() {
    Next();
    DeleteStmt del;
    AcceptKw("DISTINCTROW");
    if (AcceptSymbol("*")) {
    } else if (IsName() && IsSymbol(".", 1) && IsSymbol("*", 2)) {
      del.targetQualifier = Next().text;
      Next();
      Next();
    }
    ExpectKw("FROM", jeterr::kDeleteTarget);
    del.from = ParseFromList();
    if (AcceptKw("WHERE")) del.where = ParseExpr();
    return del;
  }

  // ---- DDL ----
  static bool IsCounterType(std::string_view type) {
    return type == "COUNTER" || type == "AUTOINCREMENT" || type == "IDENTITY";
  }

  int64_t ParseSignedInteger(uint16_t number) {
    const bool negative = AcceptSymbol("-");
    if (Peek().kind != TokenKind::Integer) Fail(number, "Expected a whole number");
    const int64_t v = Next().integer;
    return negative ? -v : v;
  }

  ColumnDef ParseColumnDef(bool requireType) {
    ColumnDef c;
    c.pos = Peek().pos;
    c.name = ParseName(jeterr::kSyntaxDdl);
    if (Peek().kind == TokenKind::Identifier && !IsKw("NOT") && !IsKw("PRIMARY") && !IsKw("CONSTRAINT")) {
      c.type = Upper(Next().text);
      // Two-word types: LONG BINARY, LONG TEXT, DOUBLE PRECISION.
      if (Peek().kind == TokenKind::Identifier && (IsKw("BINARY") || IsKw("TEXT") || IsKw("PRECISION") || IsKw("VARYING")))
        c.type += " " + Upper(Next().text);
      if (AcceptSymbol("(")) {
        if (IsCounterType(c.type)) {
          // COUNTER(seed, step)
          c.seed = ParseSignedInteger(jeterr::kSyntaxDdl);
          if (AcceptSymbol(",")) c.step = ParseSignedInteger(jeterr::kSyntaxDdl);
        } else {
          if (Peek().kind != TokenKind::Integer || Peek().integer < 0) Fail(jeterr::kSyntaxDdl, "Bad field size");
          c.size = Next().integer;
        }
        ExpectSymbol(")", jeterr::kSyntaxDdl);
      }
    } else if (requireType) {
      Fail(jeterr::kSyntaxDdl, "Field definition needs a type");
    }
    while (true) {
      if (IsKw("NOT") && IsKw("NULL", 1)) {
        Next();
        Next();
        c.notNull = true;
      } else if (AcceptKw("NULL")) {
      } else if (IsKw("WITH") && (IsKw("COMPRESSION", 1) || IsKw("COMP", 1))) {
        Next();  // text compression changes nothing here
        Next();
      } else if (AcceptKw("DEFAULT")) {
        if (c.defaultValue) Fail(jeterr::kSyntaxDdl, "DEFAULT given twice");
        c.defaultValue = ParseUnary();
      } else if (IsKw("CONSTRAINT") || IsKw("PRIMARY") || IsKw("UNIQUE") || IsKw("REFERENCES")) {
        Constraint k = ParseConstraint(true);
        if (k.kind == Constraint::Kind::NotNull) c.notNull = true;
        else c.constraints.push_back(std::move(k));
      } else {
        break;
      }
    }
    return c;
  }

  // [CONSTRAINT name] PRIMARY KEY | UNIQUE | NOT NULL | REFERENCES t [(cols)]
  // after a column; with (columns) and FOREIGN KEY (cols) REFERENCES ... at
  // table level.
  Constraint ParseConstraint(bool columnLevel) {
    Constraint k;
    if (AcceptKw("CONSTRAINT")) k.name = ParseName(jeterr::kSyntaxConstraint);
    if (IsKw("PRIMARY") && IsKw("KEY", 1)) {
      Next();
      Next();
      k.kind = Constraint::Kind::PrimaryKey;
    } else if (AcceptKw("UNIQUE")) {
      k.kind = Constraint::Kind::Unique;
    } else if (IsKw("NOT") && IsKw("NULL", 1)) {
      Next();
      Next();
      k.kind = Constraint::Kind::NotNull;
    } else if (!columnLevel && IsKw("FOREIGN") && IsKw("KEY", 1)) {
      Next();
      Next();
      k.kind = Constraint::Kind::ForeignKey;
      if (IsKw("NO") && IsKw("INDEX", 1)) Next(), Next();
      k.columns = ParseNameList(jeterr::kSyntaxConstraint);
      if (!IsKw("REFERENCES")) Fail(jeterr::kSyntaxConstraint, "Expected REFERENCES");
    } else if (columnLevel && IsKw("REFERENCES")) {
      k.kind = Constraint::Kind::ForeignKey;
    } else {
      Fail(jeterr::kSyntaxConstraint, "Syntax error in CONSTRAINT clause");
    }
    if (k.kind == Constraint::Kind::ForeignKey) {
      ExpectKw("REFERENCES", jeterr::kSyntaxConstraint);
      k.referencedTable = ParseName(jeterr::kSyntaxConstraint);
      if (IsSymbol("(")) k.referencedColumns = ParseNameList(jeterr::kSyntaxConstraint);
      while (IsKw("ON") && (IsKw("DELETE", 1) || IsKw("UPDATE", 1))) {
        Next();  // ON
        const bool onDelete = IsKw("DELETE");
        Next();
        std::string& action = onDelete ? k.onDelete : k.onUpdate;
        if (AcceptKw("CASCADE")) action = "CASCADE";
        else if (IsKw("SET") && IsKw("NULL", 1)) Next(), Next(), action = "SET NULL";
        else if (IsKw("NO") && IsKw("ACTION", 1)) Next(), Next(), action = "NO ACTION";
        else Fail(jeterr::kSyntaxConstraint, "Expected CASCADE or SET NULL");
      }
    } else if (!columnLevel) {
      k.columns = ParseNameList(jeterr::kSyntaxConstraint);
    }
    return k;
  }

  std::vector<std::string> ParseNameList(uint16_t number = jeterr::kSyntaxDdl) {
    std::vector<std::string> names;
    ExpectSymbol("(", number);
    do {
      names.push_back(ParseName(number));
    } while (AcceptSymbol(","));
    ExpectSymbol(")", number);
    return names;
  }

  CreateTableStmt ParseCreateTable() {
    Next();
    CreateTableStmt ct;
    ct.table = ParseName(jeterr::kSyntaxDdl);
    ExpectSymbol("(", jeterr::kSyntaxDdl);
    do {
      if (IsKw("CONSTRAINT") || IsKw("PRIMARY") || IsKw("UNIQUE") || IsKw("FOREIGN") || IsKw("NOT")) {
        ct.constraints.push_back(ParseConstraint(false));
      } else {
        ct.columns.push_back(ParseColumnDef(true));
      }
    } while (AcceptSymbol(","));
    ExpectSymbol(")", jeterr::kSyntaxDdl);
    return ct;
  }

  // ---- TRANSFORM ----
  TransformStmt ParseTransform() {
    Next();
    TransformStmt t;
    t.value = ParseExpr();
    if (AcceptKw("AS")) ParseName(jeterr::kSyntaxTransform);  // names the value; no column shows it
    if (!IsKw("SELECT")) Fail(jeterr::kSyntaxTransform, "Syntax error in TRANSFORM statement");
    t.select = ParseSelect(true);
    if (t.select.cores.size() != 1 || t.select.cores[0].groupBy.empty())
      Fail(jeterr::kSyntaxTransform, "TRANSFORM needs one SELECT with GROUP BY");
    ExpectKw("PIVOT", jeterr::kSyntaxTransform);
    // Above comparisons, so that IN starts the list of columns.
    {
      DepthGuard guard(*this);
      t.pivot = ParseConcat();
    }
    if (AcceptKw("IN")) {
      ExpectSymbol("(", jeterr::kSyntaxTransform);
      do {
        t.columns.push_back(ParseExpr());
      } while (AcceptSymbol(","));
      ExpectSymbol(")", jeterr::kSyntaxTransform);
    }
    return t;
  }

  AlterTableStmt ParseAlter() {
    Next();
    ExpectKw("TABLE", jeterr::kSyntaxDdl);
    AlterTableStmt at;
    at.table = ParseName(jeterr::kSyntaxDdl);
    if (AcceptKw("ALTER")) {
      AcceptKw("COLUMN");
      at.action = AlterTableStmt::Action::AlterColumn;
      at.column = ParseColumnDef(true);
    } else if (AcceptKw("ADD")) {
      AcceptKw("COLUMN");
      at.action = AlterTableStmt::Action::AddColumn;
      at.column = ParseColumnDef(true);
    } else if (AcceptKw("DROP")) {
      AcceptKw("COLUMN");
      at.action = AlterTableStmt::Action::DropColumn;
      at.column.name = ParseName(jeterr::kSyntaxDdl);
    } else {
      Fail(jeterr::kSyntaxDdl, "Syntax error in ALTER TABLE statement");
    }
    return at;
  }

  DropStmt ParseDrop() {
    Next();
    DropStmt d;
    if (AcceptKw("TABLE")) {
      d.name = ParseName(jeterr::kSyntaxDdl);
    } else if (AcceptKw("INDEX")) {
      d.index = true;
      d.name = ParseName(jeterr::kSyntaxDdl);
      if (AcceptKw("ON")) d.table = ParseName(jeterr::kSyntaxDdl);
    } else {
      Fail(jeterr::kSyntaxDdl, "Syntax error in DROP statement");
    }
    return d;
  }

  CreateIndexStmt ParseCreateIndex() {
    CreateIndexStmt ci;
    ci.unique = AcceptKw("UNIQUE");
    ExpectKw("INDEX", jeterr::kSyntaxDdl);
    ci.name = ParseName(jeterr::kSyntaxDdl);
    ExpectKw("ON", jeterr::kSyntaxDdl);
    ci.table = ParseName(jeterr::kSyntaxDdl);
    ExpectSymbol("(", jeterr::kSyntaxDdl);
    do {
      std::string name = ParseName(jeterr::kSyntaxDdl);
      bool desc = AcceptKw("DESC");
      if (!desc) AcceptKw("ASC");
      ci.columns.emplace_back(std::move(name), desc);
    } while (AcceptSymbol(","));
    ExpectSymbol(")", jeterr::kSyntaxDdl);
    if (AcceptKw("WITH")) {
      do {
        if (AcceptKw("PRIMARY")) ci.primary = true;
        else if (IsKw("DISALLOW") && IsKw("NULL", 1)) Next(), Next(), ci.disallowNull = true;
        else if (IsKw("IGNORE") && IsKw("NULL", 1)) Next(), Next(), ci.ignoreNull = true;
        else Fail(jeterr::kSyntaxDdl, "Syntax error in CREATE INDEX statement");
      } while (!IsSymbol(";") && Peek().kind != TokenKind::End);
    }
    return ci;
  }

  void ParseParameters(Statement& st) {
    Next();
    do {
      ParameterDecl p;
      if (Peek().kind != TokenKind::BracketName && Peek().kind != TokenKind::Identifier)
        Fail(jeterr::kSyntax, "Syntax error in PARAMETERS declaration");
      p.name = Next().text;
      if (Peek().kind != TokenKind::Identifier) Fail(jeterr::kSyntax, "Syntax error in PARAMETERS declaration");
      p.type = Upper(Next().text);
      if (AcceptSymbol("(")) {
        if (Peek().kind != TokenKind::Integer) Fail(jeterr::kSyntax, "Syntax error in PARAMETERS declaration");
        p.size = Next().integer;
        ExpectSymbol(")", jeterr::kSyntax);
      }
      st.parameters.push_back(std::move(p));
    } while (AcceptSymbol(","));
    ExpectSymbol(";", jeterr::kSyntax);
  }

  // A statement inside another's text: [SELECT ...]. AS q. Its positions
  // count from `offset` in the outer text and its nesting adds to `depth`.
  Parser(std::string_view text, size_t offset, int depth)
      : text_(text), tokens_(Tokenize(text)), offset_(offset), depth_(depth) {
    for (auto& t : tokens_) t.pos += offset;
  }

  std::string_view text_;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  size_t offset_ = 0;  // of text_ in the statement
  int depth_ = 0;
};

}  // namespace

Statement ParseStatement(std::string_view text) {
  Parser p(text);
  return p.Run();
}

}  // namespace albumcore::store::jetsql
