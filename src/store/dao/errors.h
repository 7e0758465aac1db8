// Jet error numbers the adapter raises beyond the translator's, and the one
// place SQLite failures become Jet statuses for adapter operations.
#pragma once

#include <cstdint>
#include <string>

#include "store/jetsql/jet_error.h"

struct sqlite3;

namespace albumcore::store::dao {

namespace daoerr {
inline constexpr uint16_t kInvalidArgument = 3001;
inline constexpr uint16_t kTableExists = 3010;          // table already exists
inline constexpr uint16_t kObjectNotFound = 3011;       // could not find object
inline constexpr uint16_t kObjectExists = 3012;         // object already exists
inline constexpr uint16_t kUpdateWithoutEdit = 3020;    // Update or CancelUpdate without AddNew or Edit
inline constexpr uint16_t kNoCurrentRecord = 3021;
inline constexpr uint16_t kRecordDeleted = 3167;
inline constexpr uint16_t kFieldExists = 3191;          // field defined more than once
inline constexpr uint16_t kDatabaseExists = 3204;
inline constexpr uint16_t kInvalidOperation = 3219;
inline constexpr uint16_t kInvalidFieldType = 3259;
inline constexpr uint16_t kNoFieldDefined = 3264;
inline constexpr uint16_t kZeroLength = 3315;           // field cannot be a zero-length string
inline constexpr uint16_t kObjectClosed = 3420;         // object invalid or no longer set
inline constexpr uint16_t kConversion = 3421;           // data type conversion error
}  // namespace daoerr

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
