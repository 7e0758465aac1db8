// Relations between tables (DAO's Relation). SQLite cannot add a foreign key
// to an existing table, so an appended relation becomes triggers named after
// it: "rel_<name>" on deletes from the primary table (cascading when
// dbRelationDeleteCascade is set, refusing with 3200 while related rows
// exist otherwise), and, unless dbRelationDontEnforce is set, triggers that
// refuse rows of the foreign table without a related row (3201). The
// relation itself is recorded in a table of the file so Relations finds it
// by name.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/unknown.h"
#include "store/dao/session.h"
#include "store/dao/tabledef.h"

namespace albumcore::store::dao {

inline constexpr int dbRelationUnique = 0x1;
inline constexpr int dbRelationDontEnforce = 0x2;
inline constexpr int dbRelationUpdateCascade = 0x100;
inline constexpr int dbRelationDeleteCascade = 0x1000;

inline constexpr const char* kRelationTable = "MSysRelationships";

// The triggers that enforce an appended relation `name`: on deletes from the
// primary table, on inserts and on updates of the foreign table.
std::vector<std::string> RelationTriggerNames(std::string_view name);

class Relation final : public com::ComObject, public FieldOwner {
 public:
  static constexpr std::string_view kInterfaceName = "Relation";

  Relation(std::string name, std::string table, std::string foreignTable, int attributes)
      : name_(std::move(name)), table_(std::move(table)), foreignTable_(std::move(foreignTable)),
        attributes_(attributes) {}

  const std::string& Name() const { return name_; }
  const std::string& Table() const { return table_; }
  const std::string& ForeignTable() const { return foreignTable_; }
  int Attributes() const { return attributes_; }

  // A field of the primary table; put its ForeignName before appending it.
  com::ComPtr<FieldDef> CreateField(std::string_view name) const;
  FieldDefCollection Fields() { return FieldDefCollection(com::ComPtr<FieldOwner>(this)); }

  std::vector<com::ComPtr<FieldDef>> FieldList() override { return fields_; }
  void AppendField(const com::ComPtr<FieldDef>& field) override;

  bool Appended() const { return appended_; }
  void MarkAppended() { appended_ = true; }

 private:
  std::string name_;
  std::string table_;
  std::string foreignTable_;
  int attributes_;
  std::vector<com::ComPtr<FieldDef>> fields_;
  bool appended_ = false;
};

class RelationCollection {
 public:
  explicit RelationCollection(std::shared_ptr<Session> session) : session_(std::move(session)) {}
  com::ComPtr<Relation> Item(std::string_view name) const;  // 3265 when there is none
  int Count() const;
  std::vector<std::string> Names() const;
  // 3012 when a relation of that name, or a foreign key over the same
  // fields declared with the foreign table, exists.
  void Append(const com::ComPtr<Relation>& relation) const;
  void Delete(std::string_view name) const;
  void Refresh() const {}

 private:
  std::shared_ptr<Session> session_;
};

}  // namespace albumcore::store::dao
