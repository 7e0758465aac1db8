// Emits SQLite SQL for a parsed Jet statement, resolving names against the
// schema (internal to the translator; see translator.h for the contract).
#pragma once

#include "store/jetsql/ast.h"
#include "store/jetsql/schema.h"
#include "store/jetsql/translator.h"

namespace albumcore::store::jetsql {

Translation EmitStatement(const Statement& statement, SchemaCatalog& catalog);

// SQLite literal forms used by the emitter, exposed for tests.
std::string QuoteIdentifier(std::string_view name);
std::string QuoteString(std::string_view text);
std::string FormatReal(double value);

}  // namespace albumcore::store::jetsql
