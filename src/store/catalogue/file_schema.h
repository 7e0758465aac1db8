// What a catalogue file holds now, read in two queries so that the upgrade
// can compare it with the declared layout cheaply: every table, index and
// trigger with its CREATE text, and the names of the stored queries.
//
// A snapshot: it does not follow later changes. Names are looked up ignoring
// ASCII case, as SQLite and Jet compare them. Reading raises the engine's
// status (ComError).
#pragma once

#include <sqlite3.h>

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace albumcore::store::catalogue {

struct FileObject {
  std::string type;   // "table", "index", "trigger", "view"
  std::string name;
  std::string table;  // the table an index or trigger belongs to
  std::string sql;
};

class FileSchema {
 public:
  static FileSchema Read(sqlite3* db);

  // nullptr when the file has no such object.
  const FileObject* Find(std::string_view type, std::string_view name) const;
  // The objects of one type that belong to `table`, in creation order.
  std::vector<const FileObject*> OfTable(std::string_view type, std::string_view table) const;
  bool HasQuery(std::string_view name) const;

 private:
  std::vector<FileObject> objects_;
  std::map<std::string, size_t> byKey_;  // type + folded name -> objects_ index
  std::set<std::string> queries_;        // folded names
};

}  // namespace albumcore::store::catalogue
