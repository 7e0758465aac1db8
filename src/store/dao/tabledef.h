// Table and field definitions (DAO's TableDef and Field of a TableDef or a
// Relation). A TableDef from CreateTableDef collects fields until it is
// appended to TableDefs, which creates the table; a TableDef read from the
// file adds a column when a field is appended to its Fields.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/unknown.h"
#include "com/variant.h"
#include "store/dao/session.h"

namespace albumcore::store::dao {

enum DataType : int {
  dbBoolean = 1,
  dbByte = 2,
  dbInteger = 3,
  dbLong = 4,
  dbCurrency = 5,
  dbSingle = 6,
  dbDouble = 7,
  dbDate = 8,
  dbText = 10,
  dbLongBinary = 11,
  dbMemo = 12,
  dbGUID = 15,
};

inline constexpr int dbAutoIncrField = 0x10;

class FieldDef final : public com::ComObject {
 public:
  static constexpr std::string_view kInterfaceName = "Field";

  FieldDef(std::string name, int type, int64_t size) : name_(std::move(name)), type_(type), size_(size) {}

  const std::string& Name() const { return name_; }
  int Type() const { return type_; }
  int64_t Size() const { return size_; }
  int Attributes() const { return attributes_; }
  bool Required() const { return required_; }
  bool AllowZeroLength() const { return allowZeroLength_; }
  const com::Variant& DefaultValue() const { return default_; }
  const std::string& ForeignName() const { return foreignName_; }
  // Text and memo fields compare ignoring case, as Jet's do, unless set.
  bool CaseSensitive() const { return caseSensitive_; }

  // Setters raise 3219 once the field is part of a table.
  void SetAttributes(int attributes);
  void SetRequired(bool required);
  void SetAllowZeroLength(bool allow);
  void SetDefaultValue(const com::Variant& value);
  void SetForeignName(std::string_view name);
  void SetCaseSensitive(bool caseSensitive);

  // The column definition for CREATE TABLE, or for ALTER TABLE ADD COLUMN
  // (where SQLite wants a default for NOT NULL and no key).
  std::string ColumnDefinition(bool addingToExisting) const;

  // A field read from an existing table.
  static com::ComPtr<FieldDef> FromSchema(const std::string& name, int type, int64_t size, bool required,
                                         bool allowZeroLength, bool autoIncrement);
  void MarkAppended() { appended_ = true; }

 private:
  void CheckChangeable() const;

  std::string name_;
  int type_;
  int64_t size_;
  int attributes_ = 0;
  bool required_ = false;
  bool allowZeroLength_ = false;
  bool caseSensitive_ = false;
  com::Variant default_;
  std::string foreignName_;
  bool appended_ = false;
};

// What holds a Fields collection: a TableDef or a Relation.
class FieldOwner : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "FieldOwner";
  virtual std::vector<com::ComPtr<FieldDef>> FieldList() = 0;
  virtual void AppendField(const com::ComPtr<FieldDef>& field) = 0;
};

class FieldDefCollection {
 public:
  explicit FieldDefCollection(com::ComPtr<FieldOwner> owner) : owner_(std::move(owner)) {}
  int Count() const;
  com::ComPtr<FieldDef> Item(std::string_view name) const;  // 3265 when unknown
  com::ComPtr<FieldDef> Item(int index) const;
  void Append(const com::ComPtr<FieldDef>& field) const;  // 3191 when the name exists
  void Refresh() const {}

 private:
  com::ComPtr<FieldOwner> owner_;
};

class TableDef final : public com::ComObject, public FieldOwner {
 public:
  static constexpr std::string_view kInterfaceName = "TableDef";

  TableDef(std::shared_ptr<Session> session, std::string name, bool existing)
      : session_(std::move(session)), name_(std::move(name)), existing_(existing) {}

  const std::string& Name() const { return name_; }
  bool Appended() const { return existing_; }
  com::ComPtr<FieldDef> CreateField(std::string_view name, int type = 0, int64_t size = 0) const;
  FieldDefCollection Fields() { return FieldDefCollection(com::ComPtr<FieldOwner>(this)); }

  std::vector<com::ComPtr<FieldDef>> FieldList() override;
  void AppendField(const com::ComPtr<FieldDef>& field) override;

  // Creates the table (from TableDefCollection::Append).
  void Create();

 private:
  std::shared_ptr<Session> session_;
  std::string name_;
  bool existing_;
  std::vector<com::ComPtr<FieldDef>> pending_;
};

class TableDefCollection {
 public:
  explicit TableDefCollection(std::shared_ptr<Session> session) : session_(std::move(session)) {}
  com::ComPtr<TableDef> Item(std::string_view name) const;  // 3265 when there is none
  int Count() const;
  std::vector<std::string> Names() const;  // user tables only
  // Creates the table; 3010 when it exists, 3264 without fields.
  void Append(const com::ComPtr<TableDef>& table) const;
  void Delete(std::string_view name) const;
  void Refresh() const {}

 private:
  std::shared_ptr<Session> session_;
};

}  // namespace albumcore::store::dao
