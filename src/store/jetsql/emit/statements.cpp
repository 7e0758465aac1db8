// Data statements (SELECT, INSERT, UPDATE, DELETE) and the helpers every
// part of the emitter shares.
#include "store/jetsql/emit/emitter_state.h"

namespace albumcore::store::jetsql::emit {

namespace {

constexpr std::string_view kSelect = "SELECT ";

}  // namespace

Ty TyFromJet(JetType t) {
  switch (t) {
    case JetType::YesNo: return Ty::Bool;
    case JetType::Byte:
    case JetType::Integer:
    case JetType::Long:
    case JetType::Counter: return Ty::Integer;
    case JetType::Currency:
    case JetType::Single:
    case JetType::Double: return Ty::Real;
    case JetType::Date: return Ty::Date;
    case JetType::Text:
    case JetType::Memo:
    case JetType::Guid: return Ty::Text;
    case JetType::Binary: return Ty::Binary;
    case JetType::Unknown: return Ty::Unknown;
  }
  return Ty::Unknown;
}

JetType JetFromTy(Ty t) {
  switch (t) {
    case Ty::Bool: return JetType::YesNo;
    case Ty::Integer: return JetType::Long;
    case Ty::Real: return JetType::Double;
    case Ty::Date: return JetType::Date;
    case Ty::Text: return JetType::Memo;
    case Ty::Binary: return JetType::Binary;
    default: return JetType::Unknown;
  }
}


const Col* FindCol(const Source& s, std::string_view name) {
  for (const auto& c : s.columns)
    if (SameName(c.name, name)) return &c;
  return nullptr;
}

JetType JetTypeOf(const Col& c) { return c.jetType != JetType::Unknown ? c.jetType : JetFromTy(c.type); }

void Emitter::Run(const Statement& st) {
  for (const auto& p : st.parameters) {
    int64_t size = 0;
    const JetType t = JetTypeFromDeclared(p.type, false, &size);
    declared_.push_back(QueryParameter{p.name, t, p.size.value_or(size)});
    Parameter(p.name, 0);
  }
  std::visit([this](const auto& body) { Emit(body); }, st.body);
}


void Emitter::Emit(const SelectStmt& s) {
  if (s.into) return EmitSelectInto(s);
  out_.kind = StatementKind::Select;
  SelectResult result = EmitSelect(s, nullptr);
  out_.sql = std::move(result.sql);
  const bool updatable = !result.rowid.empty() && out_.sql.rfind(kSelect, 0) == 0;
  for (const auto& c : result.outputs)
    out_.columns.push_back(ResultColumn{c.name, JetTypeOf(c), c.size, updatable ? c.origin : std::string()});
  if (updatable) {
    out_.baseTable = std::move(result.baseTable);
    out_.keyedSql = std::string(kSelect) + result.rowid + ", " + out_.sql.substr(kSelect.size());
  }
}

void Emitter::Emit(const InsertStmt& ins) {
  out_.kind = StatementKind::Insert;
  auto table = catalog_.FindTable(ins.table, ins.externalFile.value_or(""));
  if (!table) UnknownTable(ins.table);
  std::string target = ins.externalFile ? QuoteIdentifier(AttachSchema(*ins.externalFile)) + "." : "";
  target += QuoteIdentifier(table->name);
  std::vector<const ColumnInfo*> columns;
  for (const auto& c : ins.columns) columns.push_back(&TargetColumn(*table, c));
  std::optional<SelectResult> sel;
  if (ins.select) {
    sel = EmitSelect(*ins.select, nullptr);
    // Jet appends by name: each output column goes to the field of that name.
    if (columns.empty())
      for (const auto& o : sel->outputs) columns.push_back(&TargetColumn(*table, o.name));
  } else if (columns.empty()) {
    for (const auto& c : table->columns) columns.push_back(&c);
  }
  if (columns.size() != (sel ? sel->outputs.size() : ins.values.size()))
    ThrowJet(jeterr::kValueCount, "Number of query values and destination fields are not the same");
  std::string list;
  for (size_t i = 0; i < columns.size(); ++i) {
    for (size_t j = 0; j < i; ++j)
      if (columns[j] == columns[i])
        ThrowJet(jeterr::kSyntaxInsert, "Duplicate output destination '" + columns[i]->name + "'");
    list += (i ? ", " : "") + QuoteIdentifier(columns[i]->name);
  }
  const std::string insert = "INSERT INTO " + target + " (" + list + ") ";
  if (!sel) {
    Scope scope;
    std::string values;
    for (size_t i = 0; i < columns.size(); ++i)
      values += (i ? ", " : "") + Assigned(Val(*ins.values[i], scope), columns[i]->type, columns[i]->size);
    out_.sql = insert + "VALUES (" + values + ")";
    return;
  }
  // The rows are checked as they are written: when a column needs it, the
  // SELECT becomes a table expression whose columns are named by position.
  std::string names, values;
  bool checked = false;
  for (size_t i = 0; i < columns.size(); ++i) {
    const Col& o = sel->outputs[i];
    Emitted v;
    v.sql = QuoteIdentifier("c" + std::to_string(i + 1));
    v.type = o.type;
    v.maxLength = o.maxLength;
    v.parameter = o.parameter;
    const std::string value = Assigned(v, columns[i]->type, columns[i]->size);
    checked = checked || value != v.sql;
    names += (i ? ", " : "") + v.sql;
    values += (i ? ", " : "") + value;
  }
  if (!checked) {
    out_.sql = insert + sel->sql;
  } else {
    out_.sql = "WITH \"jet_rows\" (" + names + ") AS (" + sel->sql + ") " + insert + "SELECT " + values +
               " FROM \"jet_rows\"";
  }
}

void Emitter::Emit(const UpdateStmt& up) {
  out_.kind = StatementKind::Update;
  if (up.target->kind == TableSource::Kind::Join) return EmitJoinedUpdate(up);
  if (up.target->kind != TableSource::Kind::Table)
    ThrowJet(jeterr::kNotSupported, "UPDATE of a query is not supported");
  Scope scope;
  EmitSource(*up.target, scope);
  const Source& src = scope.sources.front();
  if (!src.baseTable) ThrowJet(jeterr::kNotSupported, "UPDATE of a query is not supported");
  std::string sets;
  for (const auto& a : up.sets) {
    if (a.target.size() == 2 && !SameName(a.target[0], src.exposed))
      ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: '" + a.target[0] + "." + a.target[1] + "'");
    const Col* col = FindCol(src, a.target.back());
    if (col == nullptr) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: '" + a.target.back() + "'");
    if (!sets.empty()) sets += ", ";
    sets += QuoteIdentifier(col->name) + " = " + Assigned(Val(*a.value, scope), col->jetType, col->size);
  }
  out_.sql = "UPDATE " + src.tableSql + (src.aliased ? " AS " + QuoteIdentifier(src.exposed) : "") + " SET " + sets;
  if (up.where) out_.sql += " WHERE " + Cond(*up.where, scope).sql;
}

// UPDATE a INNER JOIN b ON ... SET a.x = b.y WHERE ...: the fields set
// belong to one table. The join, the new values and the WHERE are worked out
// in a derived table that carries the target's rowid; SQLite's UPDATE ...
// FROM then changes the rows it names. So any join (LEFT, RIGHT, nested)
// means what it meant in the SELECT, and every value is read before any is
// written.
void Emitter::EmitJoinedUpdate(const UpdateStmt& up) {
  Scope scope;
  const std::string from = EmitSource(*up.target, scope);
  const Source* target = nullptr;
  std::string values, sets;
  for (size_t i = 0; i < up.sets.size(); ++i) {
    const Assignment& a = up.sets[i];
    const Source* owner = nullptr;
    const Col* col = nullptr;
    for (const auto& src : scope.sources) {
      if (a.target.size() == 2 && !SameName(src.exposed, a.target[0])) continue;
      if (const Col* c = FindCol(src, a.target.back())) {
        if (owner != nullptr)
          ThrowJet(jeterr::kAmbiguousField, "The specified field '" + a.target.back() +
                                                "' could refer to more than one table listed in the FROM clause");
        owner = &src;
        col = c;
      }
    }
    if (owner == nullptr) {
      const std::string name = a.target.size() == 2 ? a.target[0] + "." + a.target[1] : a.target[0];
      ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: '" + name + "'");
    }
    if (target != nullptr && owner != target)
      ThrowJet(jeterr::kNotSupported, "UPDATE over a join can change the fields of one table only");
    if (!owner->baseTable) ThrowJet(jeterr::kNotSupported, "UPDATE of a query is not supported");
    target = owner;
    const std::string value = "jet_v" + std::to_string(i + 1);
    values += ", " + Assigned(Val(*a.value, scope), col->jetType, col->size) + " AS " + value;
    sets += (i ? ", " : "") + QuoteIdentifier(col->name) + " = jet_update." + value;
  }
  if (target == nullptr) ThrowJet(jeterr::kSyntaxUpdate, "UPDATE needs a field to set");
  std::string rows = "SELECT " + target->qualifier + ".rowid AS jet_rowid" + values + " FROM " + from;
  if (up.where) rows += " WHERE " + Cond(*up.where, scope).sql;
  out_.sql = "UPDATE " + target->tableSql + " AS jet_target SET " + sets + " FROM (" + rows +
             ") AS jet_update WHERE jet_target.rowid = jet_update.jet_rowid";
}

void Emitter::Emit(const DeleteStmt& del) {
  out_.kind = StatementKind::Delete;
  Scope scope;
  std::string from;
  for (const auto& s : del.from) from += (from.empty() ? "" : ", ") + EmitSource(*s, scope);
  const Source* target = nullptr;
  if (del.targetQualifier) {
    for (const auto& s : scope.sources)
      if (SameName(s.exposed, *del.targetQualifier)) target = &s;
  } else if (del.from.size() == 1 && del.from[0]->kind == TableSource::Kind::Table) {
    target = &scope.sources.front();
  }
  if (target == nullptr || !target->baseTable)
    ThrowJet(jeterr::kDeleteTarget, "Specify the table containing the records you want to delete");
  const std::string where = del.where ? " WHERE " + Cond(*del.where, scope).sql : "";
  if (del.from.size() == 1 && del.from[0]->kind == TableSource::Kind::Table) {
    out_.sql = "DELETE FROM " + target->tableSql + (target->aliased ? " AS " + QuoteIdentifier(target->exposed) : "") + where;
  } else {
    out_.sql = "DELETE FROM " + target->tableSql + " WHERE rowid IN (SELECT " + QuoteIdentifier(target->exposed) +
               ".rowid FROM " + from + where + ")";
  }
}

void Emitter::UnknownTable(const std::string& name) {
  ThrowJet(jeterr::kUnknownTable,
           "The engine cannot find the input table or query '" + name + "'. Make sure it exists and that its name is "
           "spelled correctly");
}

const ColumnInfo& Emitter::TargetColumn(const TableInfo& table, const std::string& name) {
  const ColumnInfo* c = table.FindColumn(name);
  if (c == nullptr)
    ThrowJet(jeterr::kUnknownInsertField, "The INSERT INTO statement contains the following unknown field name: '" +
                                              name + "'");
  return *c;
}

std::string Emitter::AttachSchema(const std::string& file) {
  for (const auto& a : out_.attachments)
    if (a.file == file) return a.schema;
  if (out_.attachments.size() >= 8) ThrowJet(jeterr::kNotSupported, "Too many external databases in one statement");
  Attachment a;
  a.file = file;
  a.schema = "jet_ext" + std::to_string(out_.attachments.size() + 1);
  out_.attachments.push_back(a);
  return a.schema;
}

}  // namespace albumcore::store::jetsql::emit
