#include "store/dao/change_probe.h"

#include <atomic>
#include <cstring>
#include <utility>

#include "store/dao/errors.h"

namespace albumcore::store::dao {

namespace {

// The WAL index: region 0 of the -shm file, 32 KiB, opening with two copies
// of a 48-byte header; the first field is the index format version.
constexpr int kWalIndexRegionSize = 32768;
constexpr uint32_t kWalIndexVersion = 3007000;
constexpr size_t kHeaderWords = 12;

bool StepInt(sqlite3* db, sqlite3_stmt*& stmt, const char* sql, int64_t& value) {
  if (stmt == nullptr && sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
    return false;
  if (sqlite3_step(stmt) != SQLITE_ROW) return false;
  value = sqlite3_column_int64(stmt, 0);
  return true;
}

}  // namespace

ChangeProbe::ChangeProbe(sqlite3* db) : db_(db) {
  sqlite3_rollback_hook(
      db, [](void* self) { static_cast<ChangeProbe*>(self)->NoteRollback(); }, this);
}

const volatile uint32_t* ChangeProbe::WalIndex() const noexcept {
  sqlite3_file* file = nullptr;
  if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || file == nullptr ||
      file->pMethods == nullptr || file->pMethods->iVersion < 2 || file->pMethods->xShmMap == nullptr)
    return nullptr;
  // The connection mapped the region when it first read the file in WAL
  // mode; asking again hands back that mapping.
  volatile void* region = nullptr;
  if (file->pMethods->xShmMap(file, 0, kWalIndexRegionSize, 0, &region) != SQLITE_OK) return nullptr;
  return static_cast<const volatile uint32_t*>(region);
}

bool ChangeProbe::ReadWalIndex(std::array<uint32_t, 12>& header) const noexcept {
  const volatile uint32_t* index = WalIndex();
  if (index == nullptr) return false;
  // A writer stores the second copy, then the first: two equal copies read
  // first-then-second make a whole header.
  std::array<uint32_t, kHeaderWords> second{};
  std::atomic_thread_fence(std::memory_order_acquire);
  for (size_t i = 0; i < kHeaderWords; ++i) header[i] = index[i];
  std::atomic_thread_fence(std::memory_order_acquire);
  for (size_t i = 0; i < kHeaderWords; ++i) second[i] = index[kHeaderWords + i];
  return header == second;
}

bool ChangeProbe::ReadPragmas(std::array<uint32_t, 12>& file) noexcept {
  // Both pragmas inside the one read transaction the first one opens.
  int64_t schema = 0, data = 0;
  const bool ok = StepInt(db_, schema_, "PRAGMA main.schema_version", schema) &&
                  StepInt(db_, data_, "PRAGMA main.data_version", data);
  if (data_ != nullptr) sqlite3_reset(data_);
  if (schema_ != nullptr) sqlite3_reset(schema_);
  file = {static_cast<uint32_t>(schema), static_cast<uint32_t>(data)};
  return ok;
}

bool ChangeProbe::WatchWalIndex() noexcept {
  watchWal_ = false;
  if (db_ == nullptr || sqlite3_db_readonly(db_, "main") != 0) return false;
  sqlite3_stmt* mode = nullptr;
  bool wal = sqlite3_prepare_v2(db_, "PRAGMA main.journal_mode", -1, &mode, nullptr) == SQLITE_OK &&
             sqlite3_step(mode) == SQLITE_ROW &&
             std::strcmp(reinterpret_cast<const char*>(sqlite3_column_text(mode, 0)), "wal") == 0;
  sqlite3_finalize(mode);
  int64_t schema = 0;
  // A read in WAL mode opens the log and maps the index.
  wal = wal && StepInt(db_, schema_, "PRAGMA main.schema_version", schema);
  if (schema_ != nullptr) sqlite3_reset(schema_);
  std::array<uint32_t, kHeaderWords> header{};
  watchWal_ = wal && ReadWalIndex(header) && header[0] == kWalIndexVersion;
  return watchWal_;
}

ChangeProbe::Reading ChangeProbe::Read() noexcept {
  Reading r;
  if (db_ == nullptr) {
    r.failure = ++failures_;
    return r;
  }
  r.changes = sqlite3_total_changes64(db_);
  r.rollbacks = rollbacks_;
  r.schemaEdits = schemaEdits_;
  if (!(watchWal_ ? ReadWalIndex(r.file) : ReadPragmas(r.file))) r.failure = ++failures_;
  return r;
}

std::optional<int64_t> ChangeProbe::OthersDataVersion() noexcept {
  if (db_ == nullptr) return std::nullopt;
  int64_t version = 0;
  const bool ok = StepInt(db_, data_, "PRAGMA main.data_version", version);
  if (data_ != nullptr) sqlite3_reset(data_);
  return ok ? std::optional<int64_t>(version) : std::nullopt;
}

int64_t ChangeProbe::SchemaVersion() {
  if (db_ == nullptr) ThrowJet(jeterr::kObjectClosed, "Object invalid or no longer set");
  int64_t version = 0;
  const bool ok = StepInt(db_, schema_, "PRAGMA main.schema_version", version);
  if (!ok) {
    const int rc = sqlite3_errcode(db_);
    if (schema_ != nullptr) sqlite3_reset(schema_);
    ThrowEngineError(db_, rc);
  }
  sqlite3_reset(schema_);
  return version;
}

void ChangeProbe::Release() noexcept {
  if (db_ != nullptr) sqlite3_rollback_hook(db_, nullptr, nullptr);
  db_ = nullptr;
  watchWal_ = false;
  sqlite3_finalize(std::exchange(schema_, nullptr));
  sqlite3_finalize(std::exchange(data_, nullptr));
}

}  // namespace albumcore::store::dao
