#include "store/catalogue/catalogue_session.h"

#include <cstdio>
#include <filesystem>

namespace albumcore::store::catalogue {

namespace fs = std::filesystem;

namespace {

// What the exception being handled says, for the log.
std::string CurrentFailure() {
  try {
    throw;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "an unknown failure";
  }
}

}  // namespace

com::HRESULT CatalogueSession::Open(const com::Bstr& moniker, const com::Bstr& uid, const com::Bstr& pwd,
                                    std::unique_ptr<CatalogueSession>* session) {
  return com::CallGuard([&]() -> com::HRESULT {
    auto& out = com::CheckOut(session);
    out.reset();
    if (moniker.isNull() || uid.isNull() || pwd.isNull()) return com::E_FAIL;
    auto engine = com::MakeObject<dao::DBEngine>();
    auto db = engine->OpenDatabase(moniker.str());
    if (!db) return com::E_FAIL;
    out.reset(new CatalogueSession(moniker.str(), std::move(engine), std::move(db)));
    return com::S_OK;
  });
}

CatalogueSession::CatalogueSession(std::string moniker, com::ComPtr<dao::DBEngine> engine,
                                   com::ComPtr<dao::Database> db)
    : moniker_(std::move(moniker)), engine_(std::move(engine)), database_(std::move(db)) {}

CatalogueSession::~CatalogueSession() { Close(); }

dao::Database& CatalogueSession::database() const {
  if (!database_) throw com::ComError(com::E_POINTER, "the catalogue session is closed");
  return *database_;
}

void CatalogueSession::Close() noexcept {
  if (!database_) return;
  try {
    // The file must be closed (and its write-ahead log folded in) before it
    // is copied and replaced.
    database_->Close();
  } catch (...) {
    std::fprintf(stderr, "closing %s failed: %s\n", moniker_.c_str(), CurrentFailure().c_str());
  }
  database_.reset();
  if (!engine_) return;
  const std::string compacted = CompactionPath(moniker_);
  try {
    std::error_code ignored;
    fs::remove(compacted, ignored);  // left over from an interrupted close
    engine_->CompactDatabase(moniker_, compacted);
    // rename() replaces the catalogue atomically: there is no moment without
    // a file at the moniker.
    fs::rename(compacted, moniker_);
  } catch (...) {
    // The catalogue stays as it was, uncompacted; Close cannot fail, so the
    // cause goes to the log.
    std::fprintf(stderr, "compacting %s on close failed, the file is kept as it was: %s\n", moniker_.c_str(),
                 CurrentFailure().c_str());
    std::error_code ignored;
    if (fs::is_regular_file(compacted, ignored)) fs::remove(compacted, ignored);
  }
  engine_.reset();
}

}  // namespace albumcore::store::catalogue
