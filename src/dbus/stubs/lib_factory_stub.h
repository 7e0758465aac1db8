// IKivLibFactory on the bus.
#pragma once

#include "IKivLibFactory_adaptor.h"
#include "dbus/server_binding.h"
#include "typelib/kiv_lib_factory.h"

namespace albumcore::dbus {

class LibFactoryStub final : public Stub, public ::com::orvane::KIVALBUMCORELib::IKivLibFactory_adaptor {
 public:
  LibFactoryStub(sdbus::IObject& object, ServerBinding& binding, com::ComPtr<typelib::IKivLibFactory> target)
      : Stub(object, binding), IKivLibFactory_adaptor(object), target_(std::move(target)) {}

 private:
  std::tuple<uint32_t, sdbus::ObjectPath> Open(const std::string& bsDBMoniker) override {
    return OpenWith(&typelib::IKivLibFactory::Open, bsDBMoniker);
  }
  std::tuple<uint32_t, sdbus::ObjectPath> OpenPassive(const std::string& bsDBMoniker) override {
    return OpenWith(&typelib::IKivLibFactory::OpenPassive, bsDBMoniker);
  }
  uint32_t Close(const std::string& bsDBMoniker) override {
    return Wire(com::CallGuard([&] { return target_->Close(bsDBMoniker); }));
  }
  uint32_t CloseEx(const std::string& bsDBMoniker) override {
    return Wire(com::CallGuard([&] { return target_->CloseEx(bsDBMoniker); }));
  }
  uint32_t ClosePassive(const std::string& bsDBMoniker) override {
    return Wire(com::CallGuard([&] { return target_->ClosePassive(bsDBMoniker); }));
  }
  uint32_t PauseWebSharesCleanup(const bool& pause) override {
    return Wire(com::CallGuard(
        [&] { return target_->PauseWebSharesCleanup(pause ? com::VARIANT_TRUE : com::VARIANT_FALSE); }));
  }
  uint32_t RegWriteToLocalMachine(const std::string& bsKeyPath, const std::string& bsValueName,
                                  const WireVariant& varValue) override {
    return Wire(com::CallGuard([&] {
      auto marshaller = binding_.MarshallerFor(Caller());
      return target_->RegWriteToLocalMachine(bsKeyPath, bsValueName, DecodeVariant(varValue, marshaller.get()));
    }));
  }
  std::tuple<uint32_t, WireVariant> RegReadFromLocalMachine(const std::string& bsKeyPath,
                                                            const std::string& bsValueName,
                                                            const WireVariant& pvarValue) override {
    WireVariant out = EncodeVariant(com::Variant(), nullptr);
    const com::HRESULT hr = com::CallGuard([&] {
      auto marshaller = binding_.MarshallerFor(Caller());
      com::Variant value = DecodeVariant(pvarValue, marshaller.get());
      const com::HRESULT read = target_->RegReadFromLocalMachine(bsKeyPath, bsValueName, &value);
      out = EncodeVariant(value, marshaller.get());
      return read;
    });
    return {Wire(hr), out};
  }

  using OpenMethod = com::HRESULT (typelib::IKivLibFactory::*)(const com::Bstr&, com::ComPtr<com::IUnknown>*);
  std::tuple<uint32_t, sdbus::ObjectPath> OpenWith(OpenMethod method, const std::string& moniker) {
    sdbus::ObjectPath path("/");
    const com::HRESULT hr = com::CallGuard([&] {
      com::ComPtr<com::IUnknown> library;
      const com::HRESULT opened = ((*target_).*method)(moniker, &library);
      path = binding_.HandOut(library, Caller());
      return opened;
    });
    return {Wire(hr), path};
  }

  com::ComPtr<typelib::IKivLibFactory> target_;
};

}  // namespace albumcore::dbus
