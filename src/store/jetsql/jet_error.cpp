#include "store/jetsql/jet_error.h"

#include <sqlite3.h>

#include <cctype>

namespace albumcore::store::jetsql {

void ThrowJet(uint16_t number, std::string detail) { throw com::ComError(com::JetError(number), std::move(detail)); }

namespace {
constexpr std::string_view kAtPosition = " at position ";
}  // namespace

std::string AtPosition(size_t pos) { return std::string(kAtPosition) + std::to_string(pos); }

std::optional<size_t> PositionIn(std::string_view message) {
  const size_t at = message.rfind(kAtPosition);
  if (at == std::string_view::npos) return std::nullopt;
  size_t pos = 0, i = at + kAtPosition.size();
  const size_t digits = i;
  for (; i < message.size() && std::isdigit(static_cast<unsigned char>(message[i])) && i - digits < 12; ++i)
    pos = pos * 10 + static_cast<size_t>(message[i] - '0');
  if (i == digits) return std::nullopt;
  return pos;
}

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// "[jet 3464] ..." as raised by the application functions.
int EmbeddedJetNumber(std::string_view message) {
  const auto at = message.find("[jet ");
  if (at == std::string_view::npos) return 0;
  int n = 0;
  for (size_t i = at + 5; i < message.size() && std::isdigit(static_cast<unsigned char>(message[i])); ++i) {
    n = n * 10 + (message[i] - '0');
    if (n > 65535) return 0;
  }
  return n;
}

}  // namespace

com::HRESULT MapSqliteError(int extendedCode, std::string_view message, FailingOperation op) {
  using namespace jeterr;
  if (const int n = EmbeddedJetNumber(message); n > 0) return com::JetError(static_cast<uint16_t>(n));
  switch (extendedCode) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_ROWID:
      return com::JetError(kDuplicateKey);
    case SQLITE_CONSTRAINT_NOTNULL:
      return com::JetError(kRequired);
    case SQLITE_CONSTRAINT_FOREIGNKEY:
      return com::JetError(op == FailingOperation::Delete ? kRelatedRecords : kRelatedRequired);
    case SQLITE_CONSTRAINT_CHECK:
      return com::JetError(kValidation);
    case SQLITE_BUSY_SNAPSHOT:
    case SQLITE_BUSY_RECOVERY:
      return com::JetError(kLockedByUser);
    default:
      break;
  }
  switch (extendedCode & 0xFF) {
    case SQLITE_CONSTRAINT:
      return com::JetError(kValidation);
    case SQLITE_BUSY:
      return com::JetError(kLockedByUser);
    case SQLITE_LOCKED:
      return com::JetError(kLocked);
    case SQLITE_CORRUPT:
      return com::JetError(kCorrupt);
    case SQLITE_NOTADB:
      return com::JetError(kBadFormat);
    case SQLITE_CANTOPEN:
      return com::JetError(kFileNotFound);
    case SQLITE_READONLY:
      return com::JetError(kReadOnly);
    case SQLITE_FULL:
      return com::JetError(kDiskFull);
    case SQLITE_IOERR:
      return com::JetError(kIoError);
    case SQLITE_NOMEM:
      return com::JetError(kResources);
    case SQLITE_TOOBIG:
      return com::JetError(kFieldTooSmall);
    case SQLITE_MISMATCH:
      return com::JetError(kTypeMismatch);
    case SQLITE_INTERRUPT:
    case SQLITE_ABORT:
      return com::JetError(kCanceled);
    case SQLITE_AUTH:  // only the adapter's authorizer refuses, and only writes
      return com::JetError(kReadOnly);
    case SQLITE_PERM:
      return com::JetError(kNoPermission);
    case SQLITE_RANGE:
      return com::JetError(kTooFewParameters);
    case SQLITE_ERROR:
      if (StartsWith(message, "no such table")) return com::JetError(kUnknownTable);
      // Jet asks for an unknown name as a parameter.
      if (StartsWith(message, "no such column")) return com::JetError(kTooFewParameters);
      if (StartsWith(message, "no such function") || StartsWith(message, "wrong number of arguments"))
        return com::JetError(kUndefinedFunction);
      if (StartsWith(message, "ambiguous column")) return com::JetError(kAmbiguousField);
      if (StartsWith(message, "table") && message.find("has no column named") != std::string_view::npos)
        return com::JetError(kUnknownInsertField);
      return com::JetError(kSyntax);
    default:
      return com::E_FAIL;
  }
}

void ThrowSqliteError(sqlite3* db, int rc, FailingOperation op) {
  const int ext = db != nullptr ? sqlite3_extended_errcode(db) : rc;
  std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  const com::HRESULT hr = MapSqliteError(ext != 0 ? ext : rc, message, op);
  // The tag was for MapSqliteError; the person reading the message gets the words.
  if (const auto at = message.find("[jet "); at != std::string::npos) {
    const auto end = message.find("] ", at);
    if (end != std::string::npos) message.erase(at, end + 2 - at);
  }
  throw com::ComError(hr, std::move(message));
}

}  // namespace albumcore::store::jetsql
