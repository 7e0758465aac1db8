// The one place SQLite failures become Jet statuses for adapter operations
// (the numbers themselves are jetsql/jet_error.h's one table).
#pragma once

#include <cstdint>
#include <string>

#include "store/jetsql/jet_error.h"

struct sqlite3;

namespace albumcore::store::dao {


using jetsql::ThrowJet;
namespace jeterr = jetsql::jeterr;

// Names of the CHECK constraints the adapter declares, so that their failure
// reports the Jet error of the rule rather than a generic validation error.
inline constexpr const char* kZeroLengthCheckPrefix = "azl_";
inline constexpr const char* kRequiredCheckPrefix = "req_";

// Raises the Jet status for the connection's last error.
[[noreturn]] void ThrowEngineError(sqlite3* db, int rc,
                                   jetsql::FailingOperation op = jetsql::FailingOperation::Other);

}  // namespace albumcore::store::dao
