// Jet error numbers raised by the translator and the mapping of SQLite
// failures to them. Every failure travels as com::ComError carrying
// JetError(n), so a client sees a stable engine status.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "com/error.h"
#include "com/hresult.h"

struct sqlite3;

namespace albumcore::store::jetsql {

// The Jet error numbers this component raises or maps to.
namespace jeterr {
inline constexpr uint16_t kDuplicateKey = 3022;        // duplicate value in index or primary key
inline constexpr uint16_t kFileNotFound = 3024;        // could not find file
inline constexpr uint16_t kDiskFull = 3026;
inline constexpr uint16_t kReadOnly = 3027;
inline constexpr uint16_t kResources = 3035;           // system resource exceeded
inline constexpr uint16_t kIoError = 3043;
inline constexpr uint16_t kCorrupt = 3049;
inline constexpr uint16_t kCanceled = 3059;
inline constexpr uint16_t kTooFewParameters = 3061;
inline constexpr uint16_t kSyntax = 3075;              // syntax error in query expression
inline constexpr uint16_t kUnknownTable = 3078;
inline constexpr uint16_t kAmbiguousField = 3079;
inline constexpr uint16_t kUndefinedFunction = 3085;
inline constexpr uint16_t kUnknownInsertField = 3127;
inline constexpr uint16_t kDeleteTarget = 3128;        // specify the table to delete from
inline constexpr uint16_t kInvalidStatement = 3129;    // expected DELETE, INSERT, SELECT, UPDATE...
inline constexpr uint16_t kSyntaxFrom = 3131;
inline constexpr uint16_t kSyntaxInsert = 3134;
inline constexpr uint16_t kSyntaxSelect = 3141;        // reserved word or punctuation in SELECT
inline constexpr uint16_t kTrailingText = 3142;        // characters after end of statement
inline constexpr uint16_t kSyntaxUpdate = 3144;
inline constexpr uint16_t kFieldTooSmall = 3163;
inline constexpr uint16_t kRelatedRecords = 3200;      // cannot delete: related records exist
inline constexpr uint16_t kRelatedRequired = 3201;     // cannot add/change: related record required
inline constexpr uint16_t kLocked = 3218;
inline constexpr uint16_t kNotSupported = 3251;
inline constexpr uint16_t kLockedByUser = 3260;
inline constexpr uint16_t kItemNotFound = 3265;
inline constexpr uint16_t kSyntaxDdl = 3290;           // syntax error in CREATE/ALTER/DROP
inline constexpr uint16_t kRequired = 3314;            // field cannot contain Null
inline constexpr uint16_t kValidation = 3317;
inline constexpr uint16_t kValueCount = 3346;          // number of values and fields differ
inline constexpr uint16_t kBadFormat = 3343;           // unrecognized database format
inline constexpr uint16_t kTypeMismatch = 3464;        // data type mismatch in criteria expression
inline constexpr uint16_t kNoPermission = 3033;
}  // namespace jeterr

[[noreturn]] void ThrowJet(uint16_t number, std::string detail);

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
