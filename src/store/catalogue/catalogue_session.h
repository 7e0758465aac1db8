// The database session of one library: one engine and one open catalogue.
//
// Open() checks the identity the library was given (moniker, user and
// password must be set, E_FAIL otherwise), creates the engine with the
// given limits and opens the file; engine failures come back as their Jet
// statuses. Close() lets go of the database and compacts the file: the
// catalogue is written compacted to a sibling "<moniker>1", which then
// replaces the catalogue in one rename. A compaction that fails is logged
// to stderr and leaves the catalogue as it was; a process killed at any
// point leaves either the old or the compacted file at the moniker, never
// neither.
//
// Release() lets go of the database and hands the compaction back, to run
// on any thread (a large catalogue takes seconds). Until it has run, Open()
// of the same file waits for it: a session opened on the old file would
// lose its writes to the rename.
//
// Runs on the main thread; the session is not shared between threads.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "com/text.h"
#include "store/dao/database.h"
#include "store/dao/engine.h"
#include "store/dao/sql_limits.h"

namespace albumcore::store::catalogue {

class CatalogueSession {
 public:
  static com::HRESULT Open(const com::Bstr& moniker, const com::Bstr& uid, const com::Bstr& pwd,
                           std::unique_ptr<CatalogueSession>* session, const dao::SqlLimits& limits = {});
  ~CatalogueSession();
  CatalogueSession(const CatalogueSession&) = delete;
  CatalogueSession& operator=(const CatalogueSession&) = delete;

  // The open database; E_POINTER (raised) once closed.
  dao::Database& database() const;
  const std::string& moniker() const { return moniker_; }

  dao::DBEngine& engine() const { return *engine_; }

  // Releases the database and compacts the file. Never fails.
  void Close() noexcept;
  // Releases the database; the compaction of the file is returned (empty
  // when already released). It never fails and may run on any thread.
  std::function<void()> Release() noexcept;

  // Path of the compacted sibling: the moniker followed by "1".
  static std::string CompactionPath(const std::string& moniker) { return moniker + "1"; }

 private:
  CatalogueSession(std::string moniker, com::ComPtr<dao::DBEngine> engine, com::ComPtr<dao::Database> db);

  std::string moniker_;
  com::ComPtr<dao::DBEngine> engine_;
  com::ComPtr<dao::Database> database_;
};

}  // namespace albumcore::store::catalogue
