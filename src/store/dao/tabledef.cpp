#include "store/dao/tabledef.h"

#include <sqlite3.h>

#include "store/dao/errors.h"
#include "store/dao/one_shot_statement.h"
#include "store/dao/system_tables.h"
#include "store/jetsql/jet_values.h"
#include "store/jetsql/sqlite_catalog.h"
#include "store/jetsql/sql_quoting.h"

namespace albumcore::store::dao {

using com::ComPtr;
using jetsql::JetType;


namespace {

const char* DeclaredType(int type) {
  switch (type) {
    case dbBoolean: return "YESNO INTEGER";
    case dbByte: return "BYTE INTEGER";
    case dbInteger: return "SHORT INTEGER";
    case dbLong: return "INTEGER";
    case dbCurrency: return "CURRENCY DOUBLE";
    case dbSingle: return "SINGLE REAL";
    case dbDouble: return "DOUBLE";
    case dbDate: return "DATETIME DOUBLE";
    case dbText: return "TEXT";
    case dbLongBinary: return "LONGBINARY BLOB";
    case dbMemo: return "LONGTEXT";
    case dbGUID: return "GUID TEXT";
    default: return nullptr;
  }
}

int DataTypeOf(JetType t) {
  switch (t) {
    case JetType::YesNo: return dbBoolean;
    case JetType::Byte: return dbByte;
    case JetType::Integer: return dbInteger;
    case JetType::Long:
    case JetType::Counter: return dbLong;
    case JetType::Currency: return dbCurrency;
    case JetType::Single: return dbSingle;
    case JetType::Double: return dbDouble;
    case JetType::Date: return dbDate;
    case JetType::Text: return dbText;
    case JetType::Binary: return dbLongBinary;
    case JetType::Memo: return dbMemo;
    case JetType::Guid: return dbGUID;
    case JetType::Unknown: break;
  }
  return dbMemo;
}

bool IsText(int type) { return type == dbText || type == dbMemo; }

// A default value as SQLite text: numbers and Yes/No as numbers, anything
// else as a text literal (quotes around it dropped).
std::string DefaultLiteral(const com::Variant& v) {
  switch (v.vt()) {
    case com::VT_BOOL: return v.boolVal() ? "-1" : "0";
    case com::VT_I2: case com::VT_I4: case com::VT_UI1: case com::VT_I8: case com::VT_UI4: case com::VT_R8:
    case com::VT_DATE:
      return jetsql::NumberText(v.ToDouble());
    default: break;
  }
  std::string text = v.ToString();
  if (auto n = jetsql::ParseNumberText(text)) return jetsql::NumberText(*n);
  if (text == "Yes" || text == "True" || text == "On") return "-1";
  if (text == "No" || text == "False" || text == "Off") return "0";
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
    text = text.substr(1, text.size() - 2);
  return jetsql::QuoteString(text);
}

bool TableExists(sqlite3* db, std::string_view name) {
  return jetsql::SqliteSchemaCatalog::ReadTable(db, "main", name) != nullptr;
}

}  // namespace

// ---- FieldDef ----------------------------------------------------------------

void FieldDef::CheckChangeable() const {
  if (appended_) ThrowJet(jeterr::kInvalidOperation, "Invalid operation: field '" + name_ + "' is part of a table.");
}
void FieldDef::SetAttributes(int attributes) { CheckChangeable(); attributes_ = attributes; }
void FieldDef::SetRequired(bool required) { CheckChangeable(); required_ = required; }
void FieldDef::SetAllowZeroLength(bool allow) { CheckChangeable(); allowZeroLength_ = allow; }
void FieldDef::SetDefaultValue(const com::Variant& value) { CheckChangeable(); default_ = value; }
void FieldDef::SetForeignName(std::string_view name) { CheckChangeable(); foreignName_ = std::string(name); }
void FieldDef::SetCaseSensitive(bool caseSensitive) { CheckChangeable(); caseSensitive_ = caseSensitive; }

ComPtr<FieldDef> FieldDef::FromSchema(const std::string& name, int type, int64_t size, bool required,
                                      bool allowZeroLength, bool autoIncrement) {
  auto f = com::MakeObject<FieldDef>(name, type, size);
  f->required_ = required;
  f->allowZeroLength_ = allowZeroLength;
  f->attributes_ = autoIncrement ? dbAutoIncrField : 0;
  f->appended_ = true;
  return f;
}

std::string FieldDef::ColumnDefinition(bool addingToExisting) const {
  const char* declared = DeclaredType(type_);
  if (declared == nullptr) ThrowJet(jeterr::kInvalidFieldType, "Invalid field data type for '" + name_ + "'.");
  const std::string quoted = jetsql::QuoteIdentifier(name_);
  std::string def = quoted + " " + declared;
  if (type_ == dbText) def += "(" + std::to_string(size_ > 0 ? size_ : 255) + ")";
  if ((attributes_ & dbAutoIncrField) != 0) {
    if (type_ != dbLong) ThrowJet(jeterr::kInvalidFieldType, "Only a Long field can be auto-increment.");
    if (addingToExisting) ThrowJet(jeterr::kNotSupported, "An auto-increment field cannot be added to a table.");
    return def + " PRIMARY KEY AUTOINCREMENT NOT NULL";
  }
  const bool hasDefault = !default_.isEmpty() && !default_.isNull();
  if (required_) {
    if (!addingToExisting || hasDefault) {
      def += " NOT NULL";
    } else {
      def += " CONSTRAINT " + jetsql::QuoteIdentifier(kRequiredCheckPrefix + name_) + " CHECK (" + quoted + " IS NOT NULL)";
    }
  }
  if (hasDefault) def += " DEFAULT " + DefaultLiteral(default_);
  if (IsText(type_)) {
    if (!caseSensitive_) def += " COLLATE JETNOCASE";
    if (!allowZeroLength_)
      def += " CONSTRAINT " + jetsql::QuoteIdentifier(kZeroLengthCheckPrefix + name_) + " CHECK (" + quoted + " <> '')";
  }
  return def;
}

// ---- FieldDefCollection ------------------------------------------------------

int FieldDefCollection::Count() const { return static_cast<int>(owner_->FieldList().size()); }

ComPtr<FieldDef> FieldDefCollection::Item(std::string_view name) const {
  for (auto& f : owner_->FieldList())
    if (jetsql::SameName(f->Name(), name)) return f;
  ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: " + std::string(name));
}

ComPtr<FieldDef> FieldDefCollection::Item(int index) const {
  auto list = owner_->FieldList();
  if (index < 0 || static_cast<size_t>(index) >= list.size())
    ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: " + std::to_string(index));
  return list[static_cast<size_t>(index)];
}

void FieldDefCollection::Append(const ComPtr<FieldDef>& field) const {
  if (!field) ThrowJet(jeterr::kInvalidArgument, "Invalid argument.");
  for (auto& f : owner_->FieldList())
    if (jetsql::SameName(f->Name(), field->Name()))
      ThrowJet(jeterr::kFieldExists, "Field '" + field->Name() + "' is already defined.");
  owner_->AppendField(field);
}

// ---- TableDef ------------------------------------------------------------------

ComPtr<FieldDef> TableDef::CreateField(std::string_view name, int type, int64_t size) const {
  return com::MakeObject<FieldDef>(std::string(name), type, size);
}

std::vector<ComPtr<FieldDef>> TableDef::FieldList() {
  if (!existing_) return pending_;
  sqlite3* db = session_->db();
  auto table = jetsql::SqliteSchemaCatalog::ReadTable(db, "main", name_);
  if (!table) ThrowJet(jeterr::kObjectNotFound, "Could not find object '" + name_ + "'.");
  std::string ddl;
  {
    OneShotStatement s(db, "SELECT sql FROM sqlite_schema WHERE type = 'table' AND name = ?1");
    s.Bind(1, table->name);
    if (s.Step()) ddl = s.Text(0);
  }
  std::vector<ComPtr<FieldDef>> fields;
  for (const auto& c : table->columns) {
    const bool zeroLengthBarred = ddl.find(kZeroLengthCheckPrefix + c.name) != std::string::npos;
    const bool requiredByCheck = ddl.find(kRequiredCheckPrefix + c.name) != std::string::npos;
    fields.push_back(FieldDef::FromSchema(c.name, DataTypeOf(c.type), c.type == JetType::Text ? c.size : 0,
                                          c.notNull || requiredByCheck, !zeroLengthBarred,
                                          c.type == JetType::Counter));
  }
  return fields;
}

void TableDef::AppendField(const ComPtr<FieldDef>& field) {
  if (!existing_) {
    field->ColumnDefinition(false);  // refuses a bad type now, as the engine would
    pending_.push_back(field);
    return;
  }
  session_->Exec("ALTER TABLE " + jetsql::QuoteIdentifier(name_) + " ADD COLUMN " + field->ColumnDefinition(true));
  session_->ForgetStatements();
  field->MarkAppended();
}

void TableDef::Create() {
  if (existing_) ThrowJet(jeterr::kTableExists, "Table '" + name_ + "' already exists.");
  if (TableExists(session_->db(), name_)) ThrowJet(jeterr::kTableExists, "Table '" + name_ + "' already exists.");
  if (pending_.empty()) ThrowJet(jeterr::kNoFieldDefined, "No field defined--cannot append TableDef.");
  std::string ddl = "CREATE TABLE " + jetsql::QuoteIdentifier(name_) + " (";
  for (size_t i = 0; i < pending_.size(); ++i) ddl += (i ? ", " : "") + pending_[i]->ColumnDefinition(false);
  session_->Exec(ddl + ")");
  for (auto& f : pending_) f->MarkAppended();
  pending_.clear();
  existing_ = true;
}

// ---- TableDefCollection --------------------------------------------------------

ComPtr<TableDef> TableDefCollection::Item(std::string_view name) const {
  auto table = jetsql::SqliteSchemaCatalog::ReadTable(session_->db(), "main", name);
  if (!table || IsSystemTable(table->name))
    ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: " + std::string(name));
  return com::MakeObject<TableDef>(session_, table->name, true);
}

std::vector<std::string> TableDefCollection::Names() const {
  std::vector<std::string> names;
  OneShotStatement s(session_->db(), "SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name");
  while (s.Step()) {
    std::string name = s.Text(0);
    if (!IsSystemTable(name)) names.push_back(std::move(name));
  }
  return names;
}

int TableDefCollection::Count() const { return static_cast<int>(Names().size()); }

void TableDefCollection::Append(const ComPtr<TableDef>& table) const {
  if (!table) ThrowJet(jeterr::kInvalidArgument, "Invalid argument.");
  table->Create();
}

void TableDefCollection::Delete(std::string_view name) const {
  auto table = Item(name);
  session_->Exec("DROP TABLE " + jetsql::QuoteIdentifier(table->Name()));
}

}  // namespace albumcore::store::dao
