// A server built from the product's binding library, serving two
// single-instance classes of an IKivAlbumCoreEvents source with a test
// interface to echo values, fire events on demand and tell the binding's
// counts: "Test.EventSource", exported while clients hold it, and
// "Test.Pinned", pinned for the life of the server as the catalogue server
// pins its factory. "Test.Keywords" and "Test.UserFields" are the product's
// library-wide keyword and user-field collections, connected to the
// catalogue file ALBUMCORE_TEST_CATALOGUE names (opened on first use);
// "Test.ItemCollection" is the product's item collection connected to the
// same file and to those two collections, as a library connects it (its
// machine hive, with the registration defaults, lies beside the file), and
// "Test.DeviceItem" a device item over a DeviceItems row it adds to the file
// (row 1: catalogue item 9001 on device album 9002). "Test.ThumbnailGenerator"
// is the product's generator over an engine that ends every load on the
// next turn of the main loop with a new image object.
//
//   albumcore_test_server            (bus from DBUS_SESSION_BUS_ADDRESS)
#include <cstdio>
#include <cstdlib>
#include <set>

#include "ITestSource_adaptor.h"
#include <filesystem>

#include "com/guid.h"
#include "components/file_system/file_system_component.h"
#include "dbus/server_host.h"
#include "items/collection/lum_item_collection.h"
#include "items/device/lum_device_item.h"
#include "registry/registry_store.h"
#include "server/config/registration_defaults.h"
#include "store/dao/engine.h"
#include "thumbnails/lum_thumbnail_generator.h"
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

// Ends every load on the next loop turn with a new image; saves and store
// entries are not asked for by the tests over the bus.
class NextTurnEngine final : public thumbnails::ThumbnailEngine,
                             public std::enable_shared_from_this<NextTurnEngine> {
 public:
  explicit NextTurnEngine(dbus::MainLoop& loop) : loop_(loop) {}

  HRESULT SubmitLoad(const thumbnails::LoadRequest&, thumbnails::ThumbnailCompletion& done,
                     thumbnails::RequestNumber* number) override {
    const thumbnails::RequestNumber n = *number = next_++;
    live_.insert(n);
    loop_.Post([self = shared_from_this(), n, &done] {
      if (self->live_.erase(n) != 0) done.OnLoadCompleted(n, com::S_OK, com::MakeObject<Image>());
    });
    return com::S_OK;
  }
  HRESULT SubmitSave(const thumbnails::SaveRequest&, thumbnails::ThumbnailCompletion&,
                     thumbnails::RequestNumber*) override {
    return com::E_NOTIMPL;
  }
  void Withdraw(thumbnails::RequestNumber number) noexcept override { live_.erase(number); }
  HRESULT WriteNow(const thumbnails::SaveRequest&) override { return com::E_NOTIMPL; }
  HRESULT DeleteEntry(const thumbnails::StoreEntry&) override { return com::E_NOTIMPL; }
  bool EntryExists(const thumbnails::StoreEntry&) override { return false; }
  com::ComPtr<com::IUnknown> FallbackImage() override { return nullptr; }

 private:
  class Image final : public com::ComObject {};

  dbus::MainLoop& loop_;
  thumbnails::RequestNumber next_ = 1;
  std::set<thumbnails::RequestNumber> live_;
};

}  // namespace albumcore::testing

namespace {

namespace ac = albumcore;

// The test catalogue, opened on first use, with the library-wide keyword and
// user-field collections that every class over it shares.
class TestCatalogue {
 public:
  ac::com::ComPtr<ac::com::IUnknown> Keywords() { return Shared().keywords; }
  ac::com::ComPtr<ac::com::IUnknown> UserFields() { return Shared().userFields; }

  ac::com::ComPtr<ac::com::IUnknown> ItemCollection() {
    Open& open = Shared();
    const std::string hive = (std::filesystem::path(open.file).parent_path() / "machine.reg").string();
    ac::registry::RegistryStore store(hive);
    if (ac::config::WriteRegistrationDefaults(store, {}) != ac::registry::RegStatus::Ok) {
      throw ac::com::ComError(ac::com::E_FAIL, "cannot write the machine hive " + hive);
    }
    const ac::items::ItemServices services{nullptr, &files_};
    auto collection = ac::com::MakeObject<ac::items::LumItemCollection>(hive, services);
    ac::com::ThrowIfFailed(collection->Connect(open.db.get(), open.userFields.get(), open.keywords.get(), nullptr));
    return ac::com::ComPtr<ac::com::IUnknown>(static_cast<ac::typelib::IKivItemCollection*>(collection.get()));
  }

  ac::com::ComPtr<ac::com::IUnknown> DeviceItem() {
    ac::store::dao::Database& db = *Shared().db;
    db.Execute("INSERT INTO AlbumItems (ItemID, ItemType, Name) VALUES (9001, 0, 'song')");
    db.Execute("INSERT INTO AlbumItems (ItemID, ItemType, Name) VALUES (9002, 9, 'player')");
    db.Execute("INSERT INTO DeviceItems (ID, ItemID, AlbumID, TranscodedPath, BackupPath) "
               "VALUES (1, 9001, 9002, '/media/player/song.m4a', '/backup/song.flac')");
    auto item = ac::com::MakeObject<ac::items::LumDeviceItem>();
    ac::com::ThrowIfFailed(item->Connect(&db, 1));
    return ac::com::ComPtr<ac::com::IUnknown>(item);
  }

 private:
  struct Open {
    std::string file;
    ac::com::ComPtr<ac::store::dao::Database> db;
    ac::com::ComPtr<ac::tagging::keywords::LumKeywordsLibrary> keywords;
    ac::com::ComPtr<ac::tagging::LumUserFieldsLibrary> userFields;
  };

  Open& Shared() {
    if (open_.db) return open_;
    const char* path = std::getenv("ALBUMCORE_TEST_CATALOGUE");
    if (path == nullptr) throw ac::com::ComError(ac::com::E_FAIL, "ALBUMCORE_TEST_CATALOGUE is not set");
    Open open{path, ac::com::MakeObject<ac::store::dao::DBEngine>()->OpenDatabase(path),
              ac::com::MakeObject<ac::tagging::keywords::LumKeywordsLibrary>(),
              ac::com::MakeObject<ac::tagging::LumUserFieldsLibrary>()};
    ac::com::ThrowIfFailed(open.keywords->Connect(open.db.get(), 0, nullptr));
    ac::com::ThrowIfFailed(open.userFields->Connect(open.db.get(), 0, nullptr));
    open_ = std::move(open);
    return open_;
  }

  Open open_;
  ac::file_system::FileSystemComponent files_;
};

}  // namespace

int main() {
  try {
    TestCatalogue catalogue;
    ac::dbus::ServerHost host("com.orvane.AlbumCore9Test", false);
    auto makeSource = [] { return ac::com::ComPtr<ac::com::IUnknown>(ac::com::MakeObject<ac::testing::EventSource>()); };
    host.classes().Register({"TestEventSource", *ac::com::Guid::Parse("{0D7C1E2A-3B4F-4A5B-9C6D-7E8F90A1B2C3}"),
                             "Test.EventSource", "TestEventSource Class", true, makeSource});
    host.classes().Register({"TestPinned", *ac::com::Guid::Parse("{0D7C1E2A-3B4F-4A5B-9C6D-7E8F90A1B2C4}"),
                             "Test.Pinned", "TestPinned Class", true, makeSource});
    host.classes().Register({"TestKeywords", *ac::com::Guid::Parse("{0D7C1E2A-3B4F-4A5B-9C6D-7E8F90A1B2C5}"),
                             "Test.Keywords", "TestKeywords Class", true,
                             [&catalogue] { return catalogue.Keywords(); }});
    host.classes().Register({"TestUserFields", *ac::com::Guid::Parse("{0D7C1E2A-3B4F-4A5B-9C6D-7E8F90A1B2C6}"),
                             "Test.UserFields", "TestUserFields Class", true,
                             [&catalogue] { return catalogue.UserFields(); }});
    host.classes().Register({"TestItemCollection", *ac::com::Guid::Parse("{0D7C1E2A-3B4F-4A5B-9C6D-7E8F90A1B2C7}"),
                             "Test.ItemCollection", "TestItemCollection Class", true,
                             [&catalogue] { return catalogue.ItemCollection(); }});
    host.classes().Register({"TestDeviceItem", *ac::com::Guid::Parse("{0D7C1E2A-3B4F-4A5B-9C6D-7E8F90A1B2C8}"),
                             "Test.DeviceItem", "TestDeviceItem Class", true,
                             [&catalogue] { return catalogue.DeviceItem(); }});
    host.classes().Register({"TestThumbnailGenerator", *ac::com::Guid::Parse("{0D7C1E2A-3B4F-4A5B-9C6D-7E8F90A1B2C9}"),
                             "Test.ThumbnailGenerator", "TestThumbnailGenerator Class", true, [&host] {
                               auto generator = ac::com::MakeObject<ac::thumbnails::LumThumbnailGenerator>();
                               generator->SetEngine(std::make_shared<ac::testing::NextTurnEngine>(host.loop()));
                               return ac::com::ComPtr<ac::com::IUnknown>(
                                   static_cast<ac::typelib::IKivThumbnailGenerator*>(generator.get()));
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
