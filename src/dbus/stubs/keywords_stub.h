// IKivKeywords on the bus.
#pragma once

#include "IKivKeywords_adaptor.h"
#include "dbus/stubs/call_values.h"
#include "typelib/kiv_keywords.h"

namespace albumcore::dbus {

class KeywordsStub final : public Stub, public ::com::orvane::KIVALBUMCORELib::IKivKeywords_adaptor {
 public:
  KeywordsStub(sdbus::IObject& object, ServerBinding& binding, com::ComPtr<typelib::IKivKeywords> target)
      : Stub(object, binding), IKivKeywords_adaptor(object), target_(std::move(target)) {}

 private:
  using Pair = std::tuple<uint32_t, WireVariant, WireVariant>;

  uint32_t Connect(const sdbus::ObjectPath&, const int32_t&, const sdbus::ObjectPath&) override {
    return RefuseLifecycle("IKivKeywords.Connect");
  }
  uint32_t Disconnect() override { return RefuseLifecycle("IKivKeywords.Disconnect"); }
  std::tuple<uint32_t, sdbus::ObjectPath> _NewEnum() override {
    sdbus::ObjectPath path("/");
    const com::HRESULT hr = com::CallGuard([&] {
      com::ComPtr<com::IUnknown> enumerator;
      const com::HRESULT made = target_->_NewEnum(&enumerator);
      path = CallValues(binding_, Caller()).Path(enumerator);
      return made;
    });
    return {Wire(hr), path};
  }
  uint32_t ResetKeywordsCache() override {
    return Wire(com::CallGuard([&] { return target_->ResetKeywordsCache(); }));
  }
  std::tuple<uint32_t, int32_t> Count() override {
    int32_t count = 0;
    const com::HRESULT hr = com::CallGuard([&] { return target_->Count(&count); });
    return {Wire(hr), count};
  }
  std::tuple<uint32_t, int32_t> EnumKeywordIDs(const int32_t& lIndex) override {
    int32_t id = 0;
    const com::HRESULT hr = com::CallGuard([&] { return target_->EnumKeywordIDs(lIndex, &id); });
    return {Wire(hr), id};
  }
  std::tuple<uint32_t, std::string> KeywordName(const int32_t& lKeywordID) override {
    com::Bstr name;
    const com::HRESULT hr = com::CallGuard([&] { return target_->KeywordName(lKeywordID, &name); });
    return {Wire(hr), name.str()};
  }
  Pair GetAllKeywords() override {
    return Listing([&](com::Variant* ids, com::Variant* names) { return target_->GetAllKeywords(ids, names); });
  }
  uint32_t IsInCollection(const int32_t& lKeywordID) override {
    return Wire(com::CallGuard([&] { return target_->IsInCollection(lKeywordID); }));
  }
  uint32_t Add(const int32_t& lKeywordID) override {
    return Wire(com::CallGuard([&] { return target_->Add(lKeywordID); }));
  }
  uint32_t Remove(const int32_t& lKeywordID) override {
    return Wire(com::CallGuard([&] { return target_->Remove(lKeywordID); }));
  }
  std::tuple<uint32_t, int32_t> Create(const std::string& bstrName) override {
    int32_t id = 0;
    const com::HRESULT hr = com::CallGuard([&] { return target_->Create(bstrName, &id); });
    return {Wire(hr), id};
  }
  uint32_t Destroy(const int32_t& lKeywordID) override {
    return Wire(com::CallGuard([&] { return target_->Destroy(lKeywordID); }));
  }
  uint32_t DestroyMultiple(const WireVariant& KeywordsIDs) override {
    return Wire(com::CallGuard([&] {
      CallValues values(binding_, Caller());
      return target_->DestroyMultiple(values.In(KeywordsIDs));
    }));
  }
  uint32_t Rename(const int32_t& lKeywordID, const std::string& bstrNewName) override {
    return Wire(com::CallGuard([&] { return target_->Rename(lKeywordID, bstrNewName); }));
  }
  uint32_t IsAssigned(const int32_t& lKeywordID) override {
    return Wire(com::CallGuard([&] { return target_->IsAssigned(lKeywordID); }));
  }
  std::tuple<uint32_t, int32_t> FindKeyword(const std::string& bstrName) override {
    int32_t id = 0;
    const com::HRESULT hr = com::CallGuard([&] { return target_->FindKeyword(bstrName, &id); });
    return {Wire(hr), id};
  }
  uint32_t Bind(const WireVariant& ItemIDs, const WireVariant& KeywordsIDs) override {
    return Wire(com::CallGuard([&] {
      CallValues values(binding_, Caller());
      return target_->Bind(values.In(ItemIDs), values.In(KeywordsIDs));
    }));
  }
  uint32_t UnBind(const WireVariant& ItemIDs, const WireVariant& KeywordsIDs) override {
    return Wire(com::CallGuard([&] {
      CallValues values(binding_, Caller());
      return target_->UnBind(values.In(ItemIDs), values.In(KeywordsIDs));
    }));
  }
  Pair GetBindingInfo(const WireVariant& ItemIDs) override {
    return Listing([&](com::Variant* items, com::Variant* keywords) {
      CallValues values(binding_, Caller());
      return target_->GetBindingInfo(values.In(ItemIDs), items, keywords);
    });
  }
  uint32_t AreAssigned(const WireVariant& KeywordsIDs) override {
    return Wire(com::CallGuard([&] {
      CallValues values(binding_, Caller());
      return target_->AreAssigned(values.In(KeywordsIDs));
    }));
  }
  Pair GetAllAssignedKeywords(const std::string& bstrFilter, const WireVariant& pIDs) override {
    return Listing([&](com::Variant* ids, com::Variant* names) {
      *ids = CallValues(binding_, Caller()).In(pIDs);
      return target_->GetAllAssignedKeywords(bstrFilter, ids, names);
    });
  }

  // A call answering two parallel arrays: its status, then both, as the
  // object left them (empty when the arguments could not be read or an
  // answer cannot travel; the status says which).
  template <class Call>
  Pair Listing(Call&& call) {
    WireVariant first = CallValues::Empty();
    WireVariant second = CallValues::Empty();
    const com::HRESULT hr = com::CallGuard([&] {
      com::Variant a;
      com::Variant b;
      const com::HRESULT answered = call(&a, &b);
      CallValues values(binding_, Caller());
      WireVariant wireA = values.Out(a);
      WireVariant wireB = values.Out(b);
      first = std::move(wireA);
      second = std::move(wireB);
      return answered;
    });
    return {Wire(hr), std::move(first), std::move(second)};
  }

  com::ComPtr<typelib::IKivKeywords> target_;
};

}  // namespace albumcore::dbus
