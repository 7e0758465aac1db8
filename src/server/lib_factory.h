// LumLibFactory: the single factory object of the server process.
//
// One instance per process (the class registry hands out the same object to
// every activation). It reads and writes values of the machine registry on
// behalf of clients; opening catalogues arrives with the catalogue store.
// Runs on the main thread only.
#pragma once

#include "registry/registry_store.h"
#include "typelib/kiv_lib_factory.h"

namespace albumcore::server {

class LumLibFactory final : public com::ComObject, public typelib::IKivLibFactory {
 public:
  static constexpr std::string_view kClassName = "LumLibFactory";

  explicit LumLibFactory(registry::RegistryStore& registry);

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

 private:
  registry::RegistryStore& registry_;
  bool cleanupPaused_ = false;
};

}  // namespace albumcore::server
