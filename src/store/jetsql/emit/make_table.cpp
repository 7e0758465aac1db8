// SELECT ... INTO table [IN "file"] FROM ...: a new table with one field per
// result column, typed as the translator types the column (a counter becomes
// a Long: the new table has no key), then filled by the query.
#include "store/jetsql/emit/emitter_state.h"

namespace albumcore::store::jetsql::emit {

namespace {

// The DDL type word of a Jet type; empty for a column of no known type,
// which then keeps each value as it comes.
std::string_view TypeWord(JetType type) {
  switch (type) {
    case JetType::YesNo: return "YESNO";
    case JetType::Byte: return "BYTE";
    case JetType::Integer: return "SHORT";
    case JetType::Long:
    case JetType::Counter: return "LONG";
    case JetType::Currency: return "CURRENCY";
    case JetType::Single: return "SINGLE";
    case JetType::Double: return "DOUBLE";
    case JetType::Date: return "DATETIME";
    case JetType::Text: return "TEXT";
    case JetType::Binary: return "LONGBINARY";
    case JetType::Memo: return "MEMO";
    case JetType::Guid: return "GUID";
    case JetType::Unknown: break;
  }
  return {};
}

}  // namespace

void Emitter::EmitSelectInto(const SelectStmt& s) {
  out_.kind = StatementKind::SelectInto;
  const IntoTarget& into = *s.into;
  if (catalog_.FindTable(into.table, into.externalFile.value_or("")))
    ThrowJet(jeterr::kTableExists, "Table '" + into.table + "' already exists.");
  SelectResult rows = EmitSelect(s, nullptr);
  std::string fields, names;
  for (size_t i = 0; i < rows.outputs.size(); ++i) {
    const Col& c = rows.outputs[i];
    for (size_t j = 0; j < i; ++j)
      if (SameName(rows.outputs[j].name, c.name))
        ThrowJet(jeterr::kFieldExists, "Field '" + c.name + "' is defined more than once in the new table.");
    ColumnDef def;
    def.name = c.name;
    def.type = TypeWord(JetTypeOf(c));
    std::string field = def.type.empty() ? QuoteIdentifier(c.name) : ColumnSql(def);
    // Text compared ignoring case goes on doing so in the new table.
    if (c.collation == kNoCaseCollation && field.find(" COLLATE ") == std::string::npos) field += " COLLATE JETNOCASE";
    fields += (i ? ", " : "") + field;
    names += (i ? ", " : "") + QuoteIdentifier(c.name);
  }
  const std::string table =
      (into.externalFile ? QuoteIdentifier(AttachSchema(*into.externalFile)) + "." : "") + QuoteIdentifier(into.table);
  out_.before.push_back("CREATE TABLE " + table + " (" + fields + ")");
  out_.sql = "INSERT INTO " + table + " (" + names + ") " + rows.sql;
}

}  // namespace albumcore::store::jetsql::emit
