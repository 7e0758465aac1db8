// Jet error numbers raised by the translator and the mapping of SQLite
// failures to them. Every failure travels as com::ComError carrying
// JetError(n), so a client sees a stable engine status.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "com/error.h"
#include "com/hresult.h"

struct sqlite3;

namespace albumcore::store::jetsql {

// Every Jet error number the engine layer (translator and adapter) raises or
// maps to, in one table, in numeric order.
namespace jeterr {
// Run-time errors of the expression service (Jet's functions).
inline constexpr uint16_t kInvalidProcedureCall = 5;
inline constexpr uint16_t kOverflow = 6;
inline constexpr uint16_t kOutOfMemory = 7;
inline constexpr uint16_t kDivisionByZero = 11;
inline constexpr uint16_t kInvalidUseOfNull = 94;
// Engine errors.
inline constexpr uint16_t kInvalidArgument = 3001;
inline constexpr uint16_t kTableExists = 3010;         // table already exists
inline constexpr uint16_t kObjectNotFound = 3011;      // could not find object
inline constexpr uint16_t kObjectExists = 3012;        // object already exists
inline constexpr uint16_t kUpdateWithoutEdit = 3020;   // Update or CancelUpdate without AddNew or Edit
inline constexpr uint16_t kNoCurrentRecord = 3021;
inline constexpr uint16_t kDuplicateKey = 3022;        // duplicate value in index or primary key
inline constexpr uint16_t kFileNotFound = 3024;        // could not find file
inline constexpr uint16_t kDiskFull = 3026;
inline constexpr uint16_t kReadOnly = 3027;            // database or object is read-only
inline constexpr uint16_t kNoPermission = 3033;
inline constexpr uint16_t kResources = 3035;           // system resource exceeded
inline constexpr uint16_t kIoError = 3043;
inline constexpr uint16_t kNullInIndex = 3058;         // index or primary key cannot contain a Null value
inline constexpr uint16_t kCorrupt = 3049;
inline constexpr uint16_t kCanceled = 3059;
inline constexpr uint16_t kTooFewParameters = 3061;
inline constexpr uint16_t kCannotExecuteSelect = 3065; // cannot execute a select query
inline constexpr uint16_t kUnknownField = 3070;        // does not recognize ... as a valid field name
inline constexpr uint16_t kSyntax = 3075;              // syntax error in query expression
inline constexpr uint16_t kUnknownTable = 3078;
inline constexpr uint16_t kAmbiguousField = 3079;
inline constexpr uint16_t kUndefinedFunction = 3085;
inline constexpr uint16_t kNotAggregated = 3122;       // expression not part of an aggregate function
inline constexpr uint16_t kUnknownInsertField = 3127;
inline constexpr uint16_t kDeleteTarget = 3128;        // specify the table to delete from
inline constexpr uint16_t kInvalidStatement = 3129;    // expected DELETE, INSERT, SELECT, UPDATE...
inline constexpr uint16_t kSyntaxFrom = 3131;
inline constexpr uint16_t kSyntaxInsert = 3134;
inline constexpr uint16_t kSyntaxSelect = 3141;        // reserved word or punctuation in SELECT
inline constexpr uint16_t kTrailingText = 3142;        // characters after end of statement
inline constexpr uint16_t kSyntaxTransform = 3143;
inline constexpr uint16_t kSyntaxUpdate = 3144;
inline constexpr uint16_t kFieldTooSmall = 3163;
inline constexpr uint16_t kRecordDeleted = 3167;
inline constexpr uint16_t kNoUniqueIndex = 3173;       // no unique index on the referenced fields
inline constexpr uint16_t kTooManyFields = 3190;
inline constexpr uint16_t kFieldExists = 3191;         // field defined more than once
inline constexpr uint16_t kRelatedRecords = 3200;      // cannot delete: related records exist
inline constexpr uint16_t kRelatedRequired = 3201;     // cannot add/change: related record required
inline constexpr uint16_t kDatabaseExists = 3204;
inline constexpr uint16_t kLocked = 3218;
inline constexpr uint16_t kInvalidOperation = 3219;
inline constexpr uint16_t kQueryTimeout = 3234;        // query timeout expired
inline constexpr uint16_t kNotSupported = 3251;
inline constexpr uint16_t kInvalidFieldType = 3259;
inline constexpr uint16_t kLockedByUser = 3260;
inline constexpr uint16_t kNoFieldDefined = 3264;
inline constexpr uint16_t kItemNotFound = 3265;
inline constexpr uint16_t kPrimaryKeyExists = 3283;
inline constexpr uint16_t kSyntaxConstraint = 3289;    // syntax error in CONSTRAINT clause
inline constexpr uint16_t kSyntaxDdl = 3290;           // syntax error in CREATE/ALTER/DROP
inline constexpr uint16_t kSubqueryFields = 3306;      // subquery can return more than one field
inline constexpr uint16_t kUnionColumns = 3307;        // union parts differ in column count
inline constexpr uint16_t kRequired = 3314;            // field cannot contain Null
inline constexpr uint16_t kZeroLength = 3315;          // field cannot be a zero-length string
inline constexpr uint16_t kValidation = 3317;
inline constexpr uint16_t kBadFormat = 3343;           // unrecognized database format
inline constexpr uint16_t kValueCount = 3346;          // number of values and fields differ
inline constexpr uint16_t kObjectClosed = 3420;        // object invalid or no longer set
inline constexpr uint16_t kConversion = 3421;          // data type conversion error
inline constexpr uint16_t kTypeMismatch = 3464;        // data type mismatch in criteria expression
}  // namespace jeterr

[[noreturn]] void ThrowJet(uint16_t number, std::string detail);

// Where in the Jet text a syntax error lies, as the translator's messages
// say it: " at position N", N a byte offset from 0. PositionIn() reads it
// back from a message (the last one it holds).
std::string AtPosition(size_t pos);
std::optional<size_t> PositionIn(std::string_view message);

// Failures raised inside SQLite (application functions, RAISE in triggers)
// carry their number as this tag at the start of the message;
// MapSqliteError() reads it back.
inline std::string JetErrorTag(uint16_t number) { return "[jet " + std::to_string(number) + "] "; }

// What the statement was doing when SQLite failed; a foreign-key failure of a
// DELETE means related records exist, of anything else that one is missing.
enum class FailingOperation { Other, Delete };

// The Jet status for an SQLite result code (extended codes preferred) and its
// message. Runtime errors of the jet_ functions carry "[jet NNNN]" in their
// message and map to that number.
com::HRESULT MapSqliteError(int extendedCode, std::string_view message,
                            FailingOperation op = FailingOperation::Other);

// Raises the mapped status for the connection's last error.
[[noreturn]] void ThrowSqliteError(sqlite3* db, int rc, FailingOperation op = FailingOperation::Other);

}  // namespace albumcore::store::jetsql
