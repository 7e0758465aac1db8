// Bringing a catalogue made by an earlier version, or from an earlier
// template, to the current layout.
//
// The layout is declared once: catalogue.sql and stored_queries.sql, which
// the build embeds (schema/declared_layout.h). Nothing compares version
// numbers: the upgrade compares the file with that declaration and, one step
// per object that differs, makes each declared object what it declares
// (upgrade_steps.h):
//   - a table is created when missing, and rebuilt from its declaration when
//     its columns, keys or options differ (a size, a collation, a key, a
//     missing column), rows copied by column name and columns the file has
//     beyond the declared ones kept after them; its declared indexes are
//     created or replaced;
//   - a trigger is created, or replaced when its text differs;
//   - a relation is recorded in the relation registry;
//   - a stored query is created when missing (an existing one is kept).
// What the declaration does not name (a user's column, index, trigger or
// query) is kept. An object already as declared is not touched, so the
// upgrade is safe to repeat, and on an up-to-date file it costs two reads
// of the schema. Each step runs in its own transaction: a failed step leaves
// its object as it was, the other steps go on, and the next upgrade tries it
// again.
//
//   ConnectTimeUpgrade  run by every library connect: the memo user fields
//                       (table AssignedFieldsMemo and its four queries).
//   OpenTimeUpgrade     run once per open by the factory: every declared
//                       object, tables first, then triggers, relations and
//                       stored queries.
//
// Both return what they did and what failed, and write each failure to
// stderr; the library's connect and the factory's open carry on whatever
// the result. They must run outside a transaction of the caller (tables
// that others refer to cannot be rebuilt inside one). Main thread only.
#pragma once

#include <string>
#include <vector>

#include "com/hresult.h"
#include "store/dao/database.h"

namespace albumcore::store::catalogue {

struct UpgradeFailure {
  std::string step;  // "table AlbumItems", "stored query AddDeviceItem", ...
  com::HRESULT status;
  std::string detail;
};

struct UpgradeReport {
  std::vector<std::string> done;  // the steps that changed the file
  std::vector<UpgradeFailure> failed;
  bool ok() const { return failed.empty(); }
};

UpgradeReport ConnectTimeUpgrade(dao::Database& db) noexcept;
UpgradeReport OpenTimeUpgrade(dao::Database& db) noexcept;

// The version the catalogue records in Misc: S_OK with it, or S_FALSE with
// 1 when Misc has no row; E_POINTER for a null `version`.
com::HRESULT OpenDatabaseVersion(dao::Database& db, int32_t* version);

}  // namespace albumcore::store::catalogue
