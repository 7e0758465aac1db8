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
  // The registry operations wait on the registry file (its lock, the disk),
  // so they run on the binding's worker and reply when done; the factory
  // touches nothing but its registry store in them.
  void RegWriteToLocalMachine(sdbus::Result<uint32_t>&& result, std::string bsKeyPath, std::string bsValueName,
                              WireVariant varValue) override {
    auto call = std::make_shared<RegistryCall>(std::move(bsKeyPath), std::move(bsValueName));
    const com::HRESULT decoded = DecodeArgument(varValue, /*keepText=*/true, call->value);
    if (com::Failed(decoded)) return result.returnResults(Wire(decoded));
    auto reply = std::make_shared<sdbus::Result<uint32_t>>(std::move(result));
    auto work = [call, target = target_] {
      call->hr = target->RegWriteToLocalMachine(call->key, call->name, call->value);
    };
    auto complete = [call, reply] { reply->returnResults(Wire(call->hr)); };
    if (!binding_.work().Submit(Caller(), call->bytes(), work, complete)) reply->returnResults(Wire(com::S_FALSE));
  }

  void RegReadFromLocalMachine(sdbus::Result<uint32_t, WireVariant>&& result, std::string bsKeyPath,
                               std::string bsValueName, WireVariant pvarValue) override {
    auto call = std::make_shared<RegistryCall>(std::move(bsKeyPath), std::move(bsValueName));
    const com::HRESULT decoded = DecodeArgument(pvarValue, /*keepText=*/false, call->value);
    if (com::Failed(decoded)) return result.returnResults(Wire(decoded), EncodeVariant(com::Variant(), nullptr));
    auto reply = std::make_shared<sdbus::Result<uint32_t, WireVariant>>(std::move(result));
    auto work = [call, target = target_] {
      call->hr = target->RegReadFromLocalMachine(call->key, call->name, &call->value);
    };
    auto complete = [call, reply] {
      // What a read answers is a number, a string or nothing, which always encodes.
      reply->returnResults(Wire(call->hr), EncodeVariant(call->value, nullptr));
    };
    if (!binding_.work().Submit(Caller(), call->bytes(), work, complete)) {
      reply->returnResults(Wire(com::S_FALSE), EncodeVariant(com::Variant(), nullptr));
    }
  }

  // One registry call on its way through the worker.
  struct RegistryCall {
    RegistryCall(std::string k, std::string n) : key(std::move(k)), name(std::move(n)) {}
    size_t bytes() const {
      return key.str().size() + name.str().size() + (value.vt() == com::VT_BSTR ? value.bstr().str().size() : 0);
    }
    com::Bstr key;
    com::Bstr name;
    com::Variant value;
    com::HRESULT hr = com::S_FALSE;
  };

  // What of a VARIANT the registry operations look at: a number, or a
  // string (its text to write it, only its type to read one). Anything
  // else reads and writes nothing, so it goes on as VT_EMPTY, which does
  // the same, and a large array a client sent is not held while it waits.
  com::HRESULT DecodeArgument(const WireVariant& wire, bool keepText, com::Variant& out) {
    return com::CallGuard([&] {
      auto marshaller = binding_.MarshallerFor(Caller());
      com::Variant value = DecodeVariant(wire, marshaller.get());
      if (value.vt() == com::VT_I4) {
        out = std::move(value);
      } else if (value.vt() == com::VT_BSTR) {
        out = keepText ? std::move(value) : com::Variant("");
      }
    });
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
