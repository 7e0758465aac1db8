// LumLibFactory: the single factory object of the server process.
//
// One instance per process (the class registry hands out the same object to
// every activation). It opens and closes catalogues through the table of
// open libraries (library/library_table.h), reaps libraries whose clients
// are gone, and reads and writes values of the machine registry on behalf
// of clients.
//
// Threads: everything runs on the main loop (the compaction of a closed
// catalogue leaves it through the libraries' runLong) except the two registry
// operations, which the D-Bus binding runs on its worker thread, one at a
// time, so that waiting for the registry file never stalls the loop. They
// touch nothing but the factory's own registry store and failure log, which
// nothing else touches.
//
// Failure: the registry operations answer S_FALSE for every failure, as
// their contract says; the cause of each one that is not a plain "no" (a
// missing or mistyped value) goes to stderr: a malformed or unreadable file,
// an I/O error, a lock that stayed taken, an argument past the registry's
// limits. Repeats of one cause are logged once a minute.
#pragma once

#include <chrono>
#include <string>

#include "library/library_table.h"
#include "registry/registry_store.h"
#include "typelib/kiv_lib_factory.h"

namespace albumcore::server {

class LumLibFactory final : public com::ComObject, public typelib::IKivLibFactory {
 public:
  static constexpr std::string_view kClassName = "LumLibFactory";
  // How long a registry write waits for another process's write.
  static constexpr std::chrono::milliseconds kRegistryLockWait{2000};

  LumLibFactory(const std::string& registryPath, library::LibraryTableSettings libraries);

  com::HRESULT Open(const com::Bstr& bsDBMoniker, com::ComPtr<com::IUnknown>* ppLibrary) override;
  com::HRESULT OpenPassive(const com::Bstr& bsDBMoniker, com::ComPtr<com::IUnknown>* ppLibrary) override;
  com::HRESULT Close(const com::Bstr& bsDBMoniker) override;
  com::HRESULT CloseEx(const com::Bstr& bsDBMoniker) override;
  com::HRESULT ClosePassive(const com::Bstr& bsDBMoniker) override;
  com::HRESULT PauseWebSharesCleanup(com::VARIANT_BOOL Pause) override;
  com::HRESULT RegWriteToLocalMachine(const com::Bstr& bsKeyPath, const com::Bstr& bsValueName,
                                      const com::Variant& varValue) override;
  com::HRESULT RegReadFromLocalMachine(const com::Bstr& bsKeyPath, const com::Bstr& bsValueName,
                                       com::Variant* pvarValue) override;

  bool webSharesCleanupPaused() const { return cleanupPaused_; }
  // The idle tick's work: closes the libraries whose clients are gone, then
  // tells `done` whether any library is still open.
  void ReapAndCleanup(std::function<void(bool anyOpen)> done);
  library::LibraryTable& libraries() { return libraries_; }

 private:
  // S_FALSE, after logging the cause unless it is NotFound or WrongType.
  com::HRESULT Refused(std::string_view operation, const com::Bstr& keyPath, const com::Bstr& valueName,
                       registry::RegStatus status, const std::string& cause);

  registry::RegistryStore registry_;
  library::LibraryTable libraries_;
  bool cleanupPaused_ = false;
  // The last cause logged, when, and how many repeats were left out since.
  std::string lastCause_;
  std::chrono::steady_clock::time_point lastLoggedAt_;
  unsigned repeats_ = 0;
};

}  // namespace albumcore::server
