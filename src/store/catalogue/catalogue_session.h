// The database session of one library: one engine and one open catalogue.
//
// Open() checks the identity the library was given (moniker, user and
// password must be set, E_FAIL otherwise), creates the engine and opens the
// file; engine failures come back as their Jet statuses. Close() lets go of
// the database and compacts the file: the catalogue is written compacted to
// a sibling "<moniker>1", which then replaces the catalogue in one rename.
// A compaction that fails is logged to stderr and leaves the catalogue as it
// was; a process killed at any point leaves either the old or the compacted
// file at the moniker, never neither.
//
// Runs on the main thread; the session is not shared between threads.
#pragma once

#include <memory>
#include <string>

#include "com/text.h"
#include "store/dao/database.h"
#include "store/dao/engine.h"

namespace albumcore::store::catalogue {

class CatalogueSession {
 public:
  static com::HRESULT Open(const com::Bstr& moniker, const com::Bstr& uid, const com::Bstr& pwd,
                           std::unique_ptr<CatalogueSession>* session);
  ~CatalogueSession();
  CatalogueSession(const CatalogueSession&) = delete;
  CatalogueSession& operator=(const CatalogueSession&) = delete;

  // The open database; E_POINTER (raised) once closed.
  dao::Database& database() const;
  const std::string& moniker() const { return moniker_; }

  // Releases the database and compacts the file. Never fails.
  void Close() noexcept;

  // Path of the compacted sibling: the moniker followed by "1".
  static std::string CompactionPath(const std::string& moniker) { return moniker + "1"; }

 private:
  CatalogueSession(std::string moniker, com::ComPtr<dao::DBEngine> engine, com::ComPtr<dao::Database> db);

  std::string moniker_;
  com::ComPtr<dao::DBEngine> engine_;
  com::ComPtr<dao::Database> database_;
};

}  // namespace albumcore::store::catalogue
