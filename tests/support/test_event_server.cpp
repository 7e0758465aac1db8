// A server built from the product's binding library, serving two
// single-instance classes of an IKivAlbumCoreEvents source with a test
// interface to echo values, fire events on demand and tell the binding's
// counts: "Test.EventSource", exported while clients hold it, and
// "Test.Pinned", pinned for the life of the server as the catalogue server
// pins its factory. "Test.Keywords" and "Test.UserFields" are the product's
// library-wide keyword and user-field collections, connected to the
// catalogue file ALBUMCORE_TEST_CATALOGUE names (opened on first use).
//
//   albumcore_test_server            (bus from DBUS_SESSION_BUS_ADDRESS)
#include <cstdio>
#include <cstdlib>

#include "ITestSource_adaptor.h"
#include "com/guid.h"
#include "dbus/server_host.h"
#include "store/dao/engine.h"
#include "tagging/keywords/lum_keywords_library.h"
#include "tagging/user_fields/user_fields_library.h"
#include "typelib/album_core_liveness.h"

namespace albumcore::testing {

using com::HRESULT;
using dbus::WireVariant;

class EventSource final : public com::ComObject, public com::IConnectionPointContainer {
 public:
  static constexpr std::string_view kInterfaceName = "ITestSource";

  EventSource() : point_(com::MakeObject<typelib::AlbumCoreEventsPoint>()) {}

  HRESULT FindConnectionPoint(std::string_view name, com::ComPtr<com::IConnectionPoint>* point) override {
    if (point == nullptr) return com::E_POINTER;
    if (name != typelib::IKivAlbumCoreEvents::kInterfaceName) return com::E_NOINTERFACE;
    *point = point_;
    return com::S_OK;
  }

  typelib::AlbumCoreEventsPoint& events() { return *point_; }

 private:
  com::ComPtr<typelib::AlbumCoreEventsPoint> point_;
};

class TestSourceStub final : public dbus::Stub, public ::com::orvane::AlbumCore9Test::ITestSource_adaptor {
 public:
  TestSourceStub(sdbus::IObject& object, dbus::ServerBinding& binding, com::ComPtr<EventSource> target)
      : Stub(object, binding), ITestSource_adaptor(object), target_(std::move(target)) {}

 private:
  std::tuple<uint32_t, WireVariant> Echo(const WireVariant& value) override { return EchoStatus(0, value); }

  std::tuple<uint32_t, WireVariant> EchoStatus(const uint32_t& status, const WireVariant& value) override {
    WireVariant out = dbus::EncodeVariant(com::Variant(), nullptr);
    HRESULT hr = com::CallGuard([&] {
      auto marshaller = binding_.MarshallerFor(Caller());
      out = dbus::EncodeVariant(dbus::DecodeVariant(value, marshaller.get()), marshaller.get());
      return static_cast<HRESULT>(status);
    });
    return {Wire(hr), out};
  }

  uint32_t FireItemAdded(const int32_t& albumId, const int32_t& count) override {
    HRESULT last = com::S_OK;
    for (int32_t i = 0; i < count; ++i) {
      last = target_->events().Fire([&](typelib::IKivAlbumCoreEvents& s) { return s.OnItemAdded(albumId, i); });
    }
    return Wire(last);
  }

  // Every event once, with arguments derived from its slot number.
  uint32_t FireEveryEvent() override {
    auto& p = target_->events();
    int32_t n = 0;
    com::Variant value = com::Variant(com::SafeArray::FromVector<uint8_t>(com::VT_UI1, {1, 2, 3}));
#define KIV_FIRE_TEST(name, params, args) \
  ++n;                                   \
  p.Fire([&](typelib::IKivAlbumCoreEvents& s) { return FireWith(s, &typelib::IKivAlbumCoreEvents::name, n, value); });
    KIV_ALBUM_CORE_EVENTS_ONE_WAY(KIV_FIRE_TEST)
#undef KIV_FIRE_TEST
    return Wire(com::S_OK);
  }

  void ProbeAlive(sdbus::Result<uint32_t>&& result) override {
    auto reply = std::make_shared<sdbus::Result<uint32_t>>(std::move(result));
    typelib::ProbeSinksAlive(target_->events().Sinks(),
                             [reply](HRESULT hr) { reply->returnResults(static_cast<uint32_t>(hr)); });
  }

  uint32_t ExportedCount() override { return static_cast<uint32_t>(binding_.ExportedCountForTesting()); }
  uint32_t ClientCount() override { return static_cast<uint32_t>(binding_.ClientCountForTesting()); }
  uint32_t ReferenceCount() override {
    return static_cast<uint32_t>(binding_.ReferenceCountForTesting(dbusObject_.getObjectPath()));
  }

  // Arguments for any event: argument i of the event in slot n is n * 100 + i
  // as an integer, "event <that number>" as a text, and `value` as a VARIANT.
  template <class P>
  static decltype(auto) ArgFor(int32_t v, const com::Variant& value) {
    if constexpr (std::is_same_v<P, const com::Bstr&>) {
      return com::Bstr("event " + std::to_string(v));
    } else if constexpr (std::is_same_v<P, const com::Variant&>) {
      return (value);
    } else if constexpr (std::is_same_v<P, const com::Variant*>) {
      return &value;
    } else {
      return static_cast<P>(v);
    }
  }
  template <class... P, size_t... I>
  static HRESULT FireWithIndexes(typelib::IKivAlbumCoreEvents& sink, HRESULT (typelib::IKivAlbumCoreEvents::*m)(P...),
                                 int32_t slot, const com::Variant& value, std::index_sequence<I...>) {
    return (sink.*m)(ArgFor<P>(slot * 100 + static_cast<int32_t>(I), value)...);
  }
  template <class... P>
  static HRESULT FireWith(typelib::IKivAlbumCoreEvents& sink, HRESULT (typelib::IKivAlbumCoreEvents::*m)(P...),
                          int32_t slot, const com::Variant& value) {
    return FireWithIndexes(sink, m, slot, value, std::index_sequence_for<P...>{});
  }

  com::ComPtr<EventSource> target_;
};

}  // namespace albumcore::testing

namespace {

// A library-wide collection of class T connected to the test catalogue.
template <class T>
albumcore::com::ComPtr<albumcore::com::IUnknown> MakeConnected(
    albumcore::com::ComPtr<albumcore::store::dao::Database>& catalogue) {
  namespace ac = albumcore;
  if (!catalogue) {
    const char* path = std::getenv("ALBUMCORE_TEST_CATALOGUE");
    if (path == nullptr) throw ac::com::ComError(ac::com::E_FAIL, "ALBUMCORE_TEST_CATALOGUE is not set");
    catalogue = ac::com::MakeObject<ac::store::dao::DBEngine>()->OpenDatabase(path);
  }
  auto collection = ac::com::MakeObject<T>();
  ac::com::ThrowIfFailed(collection->Connect(catalogue.get(), 0, nullptr));
  return ac::com::ComPtr<ac::com::IUnknown>(collection);
}

}  // namespace

int main() {
  namespace ac = albumcore;
  try {
    ac::com::ComPtr<ac::store::dao::Database> catalogue;
    ac::dbus::ServerHost host("com.orvane.AlbumCore9Test", false);
    auto makeSource = [] { return ac::com::ComPtr<ac::com::IUnknown>(ac::com::MakeObject<ac::testing::EventSource>()); };
    host.classes().Register({"TestEventSource", *ac::com::Guid::Parse("{0D7C1E2A-3B4F-4A5B-9C6D-7E8F90A1B2C3}"),
                             "Test.EventSource", "TestEventSource Class", true, makeSource});
    host.classes().Register({"TestPinned", *ac::com::Guid::Parse("{0D7C1E2A-3B4F-4A5B-9C6D-7E8F90A1B2C4}"),
                             "Test.Pinned", "TestPinned Class", true, makeSource});
    host.classes().Register({"TestKeywords", *ac::com::Guid::Parse("{0D7C1E2A-3B4F-4A5B-9C6D-7E8F90A1B2C5}"),
                             "Test.Keywords", "TestKeywords Class", true, [&catalogue] {
                               return MakeConnected<ac::tagging::keywords::LumKeywordsLibrary>(catalogue);
                             }});
    host.classes().Register({"TestUserFields", *ac::com::Guid::Parse("{0D7C1E2A-3B4F-4A5B-9C6D-7E8F90A1B2C6}"),
                             "Test.UserFields", "TestUserFields Class", true, [&catalogue] {
                               return MakeConnected<ac::tagging::LumUserFieldsLibrary>(catalogue);
                             }});
    host.binding().AddInterface<ac::testing::EventSource, ac::testing::TestSourceStub>();
    ac::com::ComPtr<ac::com::IUnknown> pinned;
    ac::com::ThrowIfFailed(host.classes().CreateInstance("Test.Pinned", nullptr, &pinned));
    host.binding().Pin(pinned, "TestPinned");
    std::puts("ready");
    std::fflush(stdout);
    host.Run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "albumcore_test_server: %s\n", e.what());
    return 1;
  }
  return 0;
}
