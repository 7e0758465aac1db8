// The steps of the upgrade (schema_upgrade.h): for each declared object that
// a catalogue file does not hold as declared, one step that makes it so.
// Each planning function compares one declared object with the file's
// snapshot and returns no step when the object is already as declared.
//
// A step runs in a transaction of its own (a table rebuild in the one
// RebuildTable opens), so a failure leaves its object as it was; it raises
// ComError with the engine's status and a detail naming what went wrong.
// Steps hold references to the declared layout, which must outlive them.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "store/catalogue/file_schema.h"
#include "store/dao/database.h"
#include "store/schema/declared_layout.h"

namespace albumcore::store::catalogue {

struct UpgradeStep {
  std::string title;  // "table AlbumItems", "trigger ...", "relation ...", "stored query ..."
  std::function<void(dao::Database&)> run;
};

// Creates a missing table with its declared indexes; rebuilds a table whose
// columns, keys or options differ from the declaration, keeping the rows,
// the columns the file has beyond the declared ones, its own triggers and
// undeclared indexes; creates or replaces declared indexes that differ.
std::optional<UpgradeStep> TableStep(const schema::DeclaredLayout& layout, const schema::DeclaredObject& table,
                                     const FileSchema& file);

// Creates a missing trigger or replaces one whose text differs, provided its
// body compiles against the file (every table and column it names exists).
std::optional<UpgradeStep> TriggerStep(const schema::DeclaredObject& trigger, const FileSchema& file);

// The name of a relation the layout records (a row of the relation registry).
std::string RelationName(const schema::DeclaredRow& relation);

// Records a declared relation in the relation registry and drops the
// triggers an appended relation of that name left behind, once the declared
// foreign table carries the relation's foreign key.
std::optional<UpgradeStep> RelationStep(sqlite3* sqlite, const schema::DeclaredLayout& layout,
                                        const schema::DeclaredRow& relation, const FileSchema& file);

// Creates a missing stored query; an existing one is left as it is.
std::optional<UpgradeStep> QueryStep(const schema::DeclaredQuery& query, const FileSchema& file);

}  // namespace albumcore::store::catalogue
