#include "store/catalogue/file_schema.h"

#include "store/dao/one_shot_statement.h"
#include "store/dao/stored_queries.h"
#include "store/jetsql/ascii.h"

namespace albumcore::store::catalogue {

namespace {

std::string Key(std::string_view type, std::string_view name) { return std::string(type) + ":" + jetsql::Upper(name); }

}  // namespace

FileSchema FileSchema::Read(sqlite3* db) {
  FileSchema schema;
  dao::OneShotStatement objects(db,
                                "SELECT type, name, tbl_name, sql FROM sqlite_schema WHERE sql IS NOT NULL ORDER BY rowid");
  while (objects.Step()) {
    FileObject object{objects.Text(0), objects.Text(1), objects.Text(2), objects.Text(3)};
    schema.byKey_[Key(object.type, object.name)] = schema.objects_.size();
    schema.objects_.push_back(std::move(object));
  }
  for (const auto& name : dao::StoredQueryNames(db)) schema.queries_.insert(jetsql::Upper(name));
  return schema;
}

const FileObject* FileSchema::Find(std::string_view type, std::string_view name) const {
  auto it = byKey_.find(Key(type, name));
  return it == byKey_.end() ? nullptr : &objects_[it->second];
}

std::vector<const FileObject*> FileSchema::OfTable(std::string_view type, std::string_view table) const {
  std::vector<const FileObject*> out;
  for (const auto& object : objects_)
    if (object.type == type && jetsql::IEquals(object.table, table)) out.push_back(&object);
  return out;
}

bool FileSchema::HasQuery(std::string_view name) const { return queries_.contains(jetsql::Upper(name)); }

}  // namespace albumcore::store::catalogue
