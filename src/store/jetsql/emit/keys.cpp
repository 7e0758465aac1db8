// Keys and defaults of schema statements: PRIMARY KEY, UNIQUE and FOREIGN
// KEY clauses (with the checks Jet makes on what a key references), DEFAULT
// values, and the triggers that keep Nulls out of an index.
#include "store/jetsql/emit/emitter_state.h"

#include "store/jetsql/emitter.h"

namespace albumcore::store::jetsql::emit {

namespace {

std::string NameList(const std::vector<std::string>& names) {
  std::string s;
  for (const auto& n : names) s += (s.empty() ? "" : ", ") + QuoteIdentifier(n);
  return s;
}

bool SameNames(std::vector<std::string> a, std::vector<std::string> b) {
  if (a.size() != b.size()) return false;
  for (const auto& x : a) {
    bool found = false;
    for (auto& y : b) {
      if (!y.empty() && SameName(x, y)) {
        y.clear();
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  return true;
}

[[noreturn]] void NoUniqueIndex(const std::string& table) {
  ThrowJet(jeterr::kNoUniqueIndex,
           "No unique index found for the referenced field of the primary table '" + table + "'.");
}

}  // namespace

std::string Emitter::DefaultSql(const Expr& e) {
  switch (e.kind) {
    case ExprKind::Null: return "NULL";
    case ExprKind::Integer: return std::to_string(e.integer);
    case ExprKind::Real:
    case ExprKind::Date: return FormatReal(e.real);
    case ExprKind::Bool: return e.integer != 0 ? "-1" : "0";
    case ExprKind::String: return QuoteString(e.text);
    case ExprKind::Unary: {
      const Expr& operand = *e.args[0];
      const bool number = operand.kind == ExprKind::Integer || operand.kind == ExprKind::Real;
      if (number && e.op == Op::Pos) return DefaultSql(operand);
      if (number && e.op == Op::Neg) {
        const std::string digits = DefaultSql(operand);
        return digits[0] == '-' ? digits.substr(1) : "-" + digits;
      }
      break;
    }
    default:
      break;
  }
  ThrowJet(jeterr::kSyntaxDdl, "Syntax error in field definition: DEFAULT needs a constant value");
}

Emitter::Reference Emitter::Referenced(const Constraint& k, size_t count, const std::string& table,
                                      const CreateTableStmt* creating) {
  Reference r{k.referencedTable, {}};
  std::vector<std::string>& referenced = r.columns;
  if (creating != nullptr && SameName(k.referencedTable, table)) {
    // A table that references itself: the key is in its own definition.
    referenced = k.referencedColumns;
    if (referenced.empty()) {
      for (const auto& c : creating->columns)
        if (c.Has(Constraint::Kind::PrimaryKey)) referenced.push_back(c.name);
      for (const auto& key : creating->constraints)
        if (key.kind == Constraint::Kind::PrimaryKey) referenced = key.columns;
      const ColumnDef* counter = CounterOf(*creating);
      if (referenced.empty() && counter != nullptr) referenced = {counter->name};
    }
    if (referenced.empty()) NoUniqueIndex(table);
  } else {
    auto target = catalog_.FindTable(k.referencedTable);
    if (!target) UnknownTable(k.referencedTable);
    for (const auto& name : k.referencedColumns) {
      const ColumnInfo* c = target->FindColumn(name);
      if (c == nullptr) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: '" + name + "'");
      referenced.push_back(c->name);
    }
    if (referenced.empty()) {
      for (const auto& c : target->columns)
        if (c.primaryKey) referenced.push_back(c.name);
    }
    bool unique = false;
    for (const auto& key : target->uniqueKeys) unique = unique || SameNames(key, referenced);
    if (referenced.empty() || !unique) NoUniqueIndex(target->name);
    r.table = target->name;
  }
  if (referenced.size() != count)
    ThrowJet(jeterr::kSyntaxConstraint, "The key and the fields it references differ in number");
  return r;
}

std::string Emitter::KeySql(const Constraint& k, const std::vector<std::string>& columns, const std::string& table,
                            const CreateTableStmt* creating) {
  std::string sql = k.name.empty() ? "" : "CONSTRAINT " + QuoteIdentifier(k.name) + " ";
  const std::string list = columns.empty() ? "" : " (" + NameList(columns) + ")";
  switch (k.kind) {
    case Constraint::Kind::PrimaryKey: return sql + "PRIMARY KEY" + list;
    case Constraint::Kind::Unique: return sql + "UNIQUE" + list;
    case Constraint::Kind::NotNull: return sql + "NOT NULL";
    case Constraint::Kind::ForeignKey: break;
  }
  const Reference r = Referenced(k, columns.empty() ? 1 : columns.size(), table, creating);
  if (!columns.empty()) sql += "FOREIGN KEY" + list + " ";
  sql += "REFERENCES " + QuoteIdentifier(r.table) + " (" + NameList(r.columns) + ")";
  if (!k.onDelete.empty()) sql += " ON DELETE " + k.onDelete;
  if (!k.onUpdate.empty()) sql += " ON UPDATE " + k.onUpdate;
  return sql;
}

void Emitter::GuardAgainstNulls(const std::string& index, const std::string& table,
                                const std::vector<std::string>& columns, bool primary) {
  static constexpr std::string_view kMessage = "Index or primary key cannot contain a Null value.";
  std::string anyNull, newNull;
  for (const auto& c : columns) {
    anyNull += (anyNull.empty() ? "" : " OR ") + QuoteIdentifier(c) + " IS NULL";
    newNull += (newNull.empty() ? "" : " OR ") + std::string("NEW.") + QuoteIdentifier(c) + " IS NULL";
  }
  const std::string tableSql = QuoteIdentifier(table);
  out_.before.push_back("SELECT jet_fail(" + std::to_string(jeterr::kNullInIndex) + ", " +
                        QuoteString(std::string(kMessage)) + ") FROM " + tableSql + " WHERE " + anyNull + " LIMIT 1");
  const std::string prefix(primary ? kPrimaryIndexGuardPrefix : kRequiredIndexGuardPrefix);
  const std::string body = " WHEN " + newNull + " BEGIN SELECT RAISE(ABORT, " +
                           QuoteString(JetErrorTag(jeterr::kNullInIndex) + std::string(kMessage)) + "); END";
  out_.after.push_back("CREATE TRIGGER " + QuoteIdentifier(prefix + index + "_ins") + " BEFORE INSERT ON " + tableSql +
                       body);
  out_.after.push_back("CREATE TRIGGER " + QuoteIdentifier(prefix + index + "_upd") + " BEFORE UPDATE OF " +
                       NameList(columns) + " ON " + tableSql + body);
}

}  // namespace albumcore::store::jetsql::emit
