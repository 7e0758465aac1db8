#include "store/catalogue/catalogue_session.h"

#include <cstdio>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>

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

// The files whose compaction is under way, each with the number of
// compactions queued for it.
class PendingCompactions {
 public:
  static PendingCompactions& Instance() {
    static PendingCompactions instance;
    return instance;
  }
  void Begin(const std::string& path) {
    std::lock_guard lock(mutex_);
    ++pending_[path];
  }
  void End(const std::string& path) {
    std::lock_guard lock(mutex_);
    if (--pending_[path] == 0) pending_.erase(path);
    done_.notify_all();
  }
  void WaitFor(const std::string& path) {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return !pending_.contains(path); });
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  std::map<std::string, int> pending_;
};

void Compact(const std::string& moniker, dao::DBEngine& engine) noexcept {
  const std::string compacted = CatalogueSession::CompactionPath(moniker);
  try {
    std::error_code ignored;
    fs::remove(compacted, ignored);  // left over from an interrupted close
    engine.CompactDatabase(moniker, compacted);
    // rename() replaces the catalogue atomically: there is no moment without
    // a file at the moniker.
    fs::rename(compacted, moniker);
  } catch (...) {
    // The catalogue stays as it was, uncompacted; closing cannot fail, so
    // the cause goes to the log.
    std::fprintf(stderr, "compacting %s on close failed, the file is kept as it was: %s\n", moniker.c_str(),
                 CurrentFailure().c_str());
    std::error_code ignored;
    if (fs::is_regular_file(compacted, ignored)) fs::remove(compacted, ignored);
  }
}

}  // namespace

com::HRESULT CatalogueSession::Open(const com::Bstr& moniker, const com::Bstr& uid, const com::Bstr& pwd,
                                    std::unique_ptr<CatalogueSession>* session, const dao::SqlLimits& limits) {
  return com::CallGuard([&]() -> com::HRESULT {
    auto& out = com::CheckOut(session);
    out.reset();
    if (moniker.isNull() || uid.isNull() || pwd.isNull()) return com::E_FAIL;
    PendingCompactions::Instance().WaitFor(moniker.str());
    auto engine = com::MakeObject<dao::DBEngine>();
    engine->SetLimits(limits);
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
  if (std::function<void()> compaction = Release()) compaction();
}

std::function<void()> CatalogueSession::Release() noexcept {
  if (!database_) return {};
  try {
    // The file must be closed (and its write-ahead log folded in) before it
    // is copied and replaced.
    database_->Close();
  } catch (...) {
    std::fprintf(stderr, "closing %s failed: %s\n", moniker_.c_str(), CurrentFailure().c_str());
  }
  database_.reset();
  if (!engine_) return {};
  PendingCompactions::Instance().Begin(moniker_);
  // The job owns what it uses; the engine is used by it alone from now on.
  // The file counts as under compaction until the job is gone, run or not,
  // so that a job dropped unrun never holds an open back.
  // The count ends as soon as the compaction is done, on the thread that
  // ran it: the closure itself may be destroyed much later, on a loop that
  // may be waiting in Open for this very file.
  struct Job {
    std::string moniker;
    com::ComPtr<dao::DBEngine> engine;
    std::atomic<bool> ended{false};
    void Finish() noexcept {
      if (!ended.exchange(true)) PendingCompactions::Instance().End(moniker);
    }
    ~Job() { Finish(); }
  };
  auto job = std::make_shared<Job>();  // made in place: a moved-from Job would end the count too
  job->moniker = moniker_;
  job->engine = std::move(engine_);
  return [job] {
    Compact(job->moniker, *job->engine);
    job->Finish();
  };
}

}  // namespace albumcore::store::catalogue
