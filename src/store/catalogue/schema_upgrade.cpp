#include "store/catalogue/schema_upgrade.h"

#include "store/dao/querydef.h"
#include "store/dao/recordset.h"
#include "store/dao/relation.h"
#include "store/dao/tabledef.h"

namespace albumcore::store::catalogue {

namespace {

using com::ComPtr;
using dao::FieldDef;

// Engine field types.
constexpr int kLong = 4;
constexpr int kDate = 8;
constexpr int kText = 10;
constexpr int kMemo = 12;
constexpr int kAutoIncrement = 0x10;
constexpr int kCascadeDelete = 0x1000;

struct StoredQuery {
  const char* name;
  const char* sql;
};

constexpr StoredQuery kMemoQueries[] = {
    {"EnumItemUserFieldsMemo", "SELECT * FROM AssignedFieldsMemo WHERE ItemID = [item_id];"},
    {"AssignUserFieldMemo", "INSERT INTO AssignedFieldsMemo ( ItemID, FieldID ) SELECT [item_id], [varFieldID];"},
    {"RemoveUserFieldMemo", "DELETE * FROM AssignedFieldsMemo WHERE ItemID = [item_id] AND FieldID = [varFieldID];"},
    {"SetFieldValueMemo",
     "UPDATE AssignedFieldsMemo SET FieldValue = [varFieldValue] WHERE ItemID = [item_id] AND FieldID = "
     "[varFieldID];"},
};

constexpr StoredQuery kDeviceQueries[] = {
    {"AddDeviceItem", "INSERT INTO DeviceItems ( ItemID, AlbumID ) SELECT [item_id], [album_id];"},
    {"RemoveDeviceItem", "DELETE * FROM DeviceItems WHERE AlbumID = [album_id] AND ItemID = [item_id];"},
    {"GetDeviceItemRecord", "SELECT * FROM DeviceItems WHERE ID=[item_id];"},
};

constexpr const char* kSetAlbumType = "UPDATE Albums SET AlbumType = 0;";
constexpr const char* kWidenFileUniqueId = "ALTER TABLE AlbumItems ALTER COLUMN FileUniqueID TEXT(255);";

// Runs one step; a refusal (the object exists) or any other failure skips it.
template <class Step>
void Attempt(Step&& step) noexcept {
  try {
    step();
  } catch (...) {
  }
}

bool HasTable(dao::Database& db, const char* name) {
  try {
    db.TableDefs(name);
    return true;
  } catch (const com::ComError&) {
    return false;
  }
}

ComPtr<FieldDef> Field(dao::TableDef& table, const char* name, int type, bool required, int64_t size = 0) {
  auto field = table.CreateField(name, type, size);
  field->SetRequired(required);
  if (type == kText || type == kMemo) field->SetAllowZeroLength(true);
  return field;
}

void CreateQueries(dao::Database& db, const auto& queries) {
  for (const auto& q : queries) Attempt([&] { db.CreateQueryDef(q.name, q.sql); });
}

void AddColumn(dao::Database& db, const char* table, ComPtr<FieldDef> (*make)(dao::TableDef&)) {
  auto def = db.TableDefs(table);
  def->Fields().Append(make(*def));
}

}  // namespace

void ConnectTimeUpgrade(dao::Database& db) noexcept {
  Attempt([&] {
    if (HasTable(db, "AssignedFieldsMemo")) return;
    auto table = db.CreateTableDef("AssignedFieldsMemo");
    table->Fields().Append(Field(*table, "ItemID", kLong, true));
    table->Fields().Append(Field(*table, "FieldID", kLong, true));
    table->Fields().Append(Field(*table, "FieldValue", kMemo, false));
    db.TableDefs().Append(table);
    CreateQueries(db, kMemoQueries);
  });
}

void OpenTimeUpgrade(dao::Database& db) noexcept {
  Attempt([&] {
    if (HasTable(db, "DeviceItems")) return;
    auto table = db.CreateTableDef("DeviceItems");
    auto id = Field(*table, "ID", kLong, true);
    id->SetAttributes(kAutoIncrement);
    table->Fields().Append(id);
    table->Fields().Append(Field(*table, "ItemID", kLong, true));
    table->Fields().Append(Field(*table, "AlbumID", kLong, true));
    table->Fields().Append(Field(*table, "TranscodedPath", kMemo, false));
    table->Fields().Append(Field(*table, "BackupPath", kMemo, false));
    table->Fields().Append(Field(*table, "SyncDate", kDate, false));
    db.TableDefs().Append(table);
  });
  Attempt([&] {
    AddColumn(db, "AudioItem", [](dao::TableDef& t) { return Field(t, "AlbumArtist", kText, false, 255); });
  });
  Attempt([&] { AddColumn(db, "Albums", [](dao::TableDef& t) { return Field(t, "AlbumIcon", kMemo, false); }); });
  Attempt([&] {
    auto relation = db.CreateRelation("Rel1", "AlbumItems", "DeviceItems", kCascadeDelete);
    auto field = relation->CreateField("ItemID");
    field->SetForeignName("ItemID");
    relation->Fields().Append(field);
    db.Relations().Append(relation);
  });
  Attempt([&] {
    AddColumn(db, "Albums", [](dao::TableDef& t) {
      auto field = Field(t, "AlbumType", kLong, false);
      field->SetDefaultValue(com::Variant(0));
      return field;
    });
    db.Execute(kSetAlbumType);
  });
  Attempt([&] { db.Execute(kWidenFileUniqueId); });
  CreateQueries(db, kDeviceQueries);
}

com::HRESULT OpenDatabaseVersion(dao::Database& db, int32_t* version) {
  return com::CallGuard([&]() -> com::HRESULT {
    int32_t& out = com::CheckOut(version);
    out = 1;
    auto misc = db.OpenRecordset("Misc", dao::dbOpenTable);
    if (misc->IsEOF()) return com::S_FALSE;
    out = misc->Fields("Version").Value().ToI4();
    return com::S_OK;
  });
}

}  // namespace albumcore::store::catalogue
