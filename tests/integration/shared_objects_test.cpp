// Objects the server shares between clients, over a real bus with the real
// server: no client can connect or disconnect them for the others.
#include <filesystem>

#include "IKivItemCollection_proxy.h"
#include "IKivItem_proxy.h"
#include "IKivKeywords_proxy.h"
#include "IKivLibrary_proxy.h"
#include "IKivUserFields_proxy.h"
#include "Object_proxy.h"
#include "catalogue_server_fixture.h"
#include "client/items.h"
#include "client/library.h"
#include "dbus/server_binding.h"

namespace albumcore::testing {
namespace {

namespace ki = ::com::orvane::KIVALBUMCORELib;
using com::HRESULT;
using com::Variant;

constexpr double kDay = 45000.0;
const sdbus::ObjectPath kNull("/");

uint32_t Wire(HRESULT hr) { return static_cast<uint32_t>(hr); }

class SharedObjectsTest : public CatalogueServerFixture {
 protected:
  SharedObjectsTest() { registered_ = true; }

  // One client of the library: its session, the library, its item collection.
  struct Client {
    std::shared_ptr<client::Session> session;
    std::unique_ptr<client::Library> library;
    std::unique_ptr<client::ItemCollection> items;
  };
  Client Open(std::shared_ptr<client::Session> session) {
    Client c{std::move(session), nullptr, nullptr};
    client::LibFactory factory(c.session);
    com::ComPtr<client::RemoteObject> library;
    EXPECT_EQ(factory.Open(bus_->directory() + "/shared.db", &library), com::S_OK);
    c.library = std::make_unique<client::Library>(c.session, library);
    com::ComPtr<client::RemoteObject> collection;
    EXPECT_EQ(c.library->ItemCollection(collection), com::S_OK);
    c.items = std::make_unique<client::ItemCollection>(c.session, collection);
    return c;
  }
  client::NewItem Describe(const std::string& name) const {
    client::NewItem item;
    item.moniker = "file::" + bus_->directory() + "/" + name + ".jpg";  // no file behind it
    item.name = name;
    item.dateCreated = item.dateModified = Variant::Date(kDay);
    return item;
  }
};

TEST_F(SharedObjectsTest, NoClientConnectsOrDisconnectsWhatTheServerShares) {
  Client first = Open(session_);
  int32_t id = -1;
  ASSERT_EQ(first.items->CreateItem(Describe("beach"), id), com::S_OK);
  std::unique_ptr<client::Item> item;
  ASSERT_EQ(first.items->InstantiateItem(id, item), com::S_OK);
  com::ComPtr<client::RemoteObject> keywords;
  com::ComPtr<client::RemoteObject> userFields;
  ASSERT_EQ(first.library->Keywords(keywords), com::S_OK);
  ASSERT_EQ(first.library->UserFields(userFields), com::S_OK);

  // Every Connect and Disconnect the first client tries is refused.
  client::Session& s = *session_;
  const std::string library = first.library->object()->path();
  const std::string collection = first.items->object()->path();
  ServerProxy<ki::IKivItem_proxy> rawItem(s, item->object()->path());
  ServerProxy<ki::IKivItemCollection_proxy> rawCollection(s, collection);
  ServerProxy<ki::IKivKeywords_proxy> rawKeywords(s, keywords->path());
  ServerProxy<ki::IKivUserFields_proxy> rawUserFields(s, userFields->path());
  ServerProxy<ki::IKivLibrary_proxy> rawLibrary(s, library);
  const uint32_t denied = Wire(com::E_ACCESSDENIED);
  EXPECT_EQ(rawItem.Disconnect(), denied);
  EXPECT_EQ(rawItem.Connect(sdbus::ObjectPath(library), id, userFields->path(), keywords->path(), kNull), denied);
  EXPECT_EQ(rawCollection.Disconnect(), denied);
  EXPECT_EQ(rawCollection.Connect(sdbus::ObjectPath(library), userFields->path(), keywords->path(),
                                  sdbus::ObjectPath(library)),
            denied);
  EXPECT_EQ(rawKeywords.Disconnect(), denied);
  EXPECT_EQ(rawKeywords.Connect(sdbus::ObjectPath(library), 0, kNull), denied);
  EXPECT_EQ(rawUserFields.Disconnect(), denied);
  EXPECT_EQ(rawLibrary.Disconnect(), denied);
  EXPECT_EQ(rawLibrary.Connect(), denied);

  // The server says who tried.
  EXPECT_TRUE(ServerSaid(s.connection().getUniqueName())) << "no log line names the caller";

  // A second client works with all of them as before, and so does the first.
  Client second = Open(client::Session::Connect(bus_->address()));
  EXPECT_EQ(second.library->object()->path(), library);
  std::unique_ptr<client::Item> same;
  ASSERT_EQ(second.items->InstantiateItem(id, same), com::S_OK);
  EXPECT_EQ(same->SetName("shore"), com::S_OK);
  std::string name;
  EXPECT_EQ(item->Name(name), com::S_OK);
  EXPECT_EQ(name, "shore");
  int32_t other = -1;
  EXPECT_EQ(second.items->CreateItem(Describe("alps"), other), com::S_OK);
  EXPECT_GT(other, id);
  ServerProxy<ki::IKivKeywords_proxy> secondKeywords(*second.session, keywords->path());
  auto [created, keyword] = secondKeywords.Create("Sea");
  EXPECT_EQ(created, Wire(com::S_OK));
  EXPECT_GT(keyword, 0);
  int32_t count = -1;
  uint64_t bytes = 0;
  EXPECT_EQ(second.library->TotalInfo("", count, bytes), com::S_OK);
  EXPECT_EQ(count, 2);
}

// The name of the D-Bus error a raw call of `method` on `path` ends in, or
// empty when it is answered.
std::string ErrorOfCall(client::Session& s, const std::string& path, const char* interface, const char* method,
                        int32_t argument) {
  auto proxy = sdbus::createProxy(s.connection(), s.serverName(), path);
  try {
    auto call = proxy->createMethodCall(interface, method);
    call << argument;
    proxy->callMethod(call);
  } catch (const sdbus::Error& e) {
    return e.getName();
  }
  return {};
}

TEST_F(SharedObjectsTest, HostileCallsGetErrorsAndTheServerServesOn) {
  Client first = Open(session_);
  int32_t id = -1;
  ASSERT_EQ(first.items->CreateItem(Describe("beach"), id), com::S_OK);
  Client second = Open(client::Session::Connect(bus_->address()));
  std::unique_ptr<client::Item> held;
  ASSERT_EQ(second.items->InstantiateItem(id, held), com::S_OK);
  const std::string path = held->object()->path();
  client::Session& s = *session_;

  // Arguments of the wrong types, a method no interface has, an object never exported.
  EXPECT_EQ(ErrorOfCall(s, path, ki::IKivItem_proxy::INTERFACE_NAME, "put_Name", 7),
            "org.freedesktop.DBus.Error.InvalidArgs");
  EXPECT_EQ(ErrorOfCall(s, path, ki::IKivItem_proxy::INTERFACE_NAME, "Explode", 7),
            "org.freedesktop.DBus.Error.UnknownMethod");
  EXPECT_EQ(ErrorOfCall(s, std::string(dbus::kObjectsPath) + "/987654", ki::IKivItem_proxy::INTERFACE_NAME,
                        "get_Name", 7),
            "org.freedesktop.DBus.Error.UnknownObject");

  // Releases of references the caller never had, or has given back already,
  // are refused and take nothing from the holder.
  ServerProxy<::com::orvane::AlbumCore9::Object_proxy> stranger(s, path);
  EXPECT_EQ(stranger.Release(), Wire(com::E_ACCESSDENIED));
  ServerProxy<::com::orvane::AlbumCore9::Object_proxy> holder(*second.session, path);
  EXPECT_EQ(holder.AddRef(), Wire(com::S_OK));
  EXPECT_EQ(holder.Release(), Wire(com::S_OK));
  EXPECT_EQ(stranger.Release(), Wire(com::E_ACCESSDENIED));

  // Texts far past any column: refused, and the row keeps its value.
  const std::string huge(1 << 20, 'x');
  EXPECT_TRUE(com::Failed(held->SetName(huge)));
  int32_t count = 0;
  uint64_t bytes = 0;
  EXPECT_EQ(first.library->TotalInfo(huge, count, bytes), com::E_INVALIDARG);
  int32_t found = 0;
  EXPECT_EQ(first.items->FindItemByMoniker(huge, found), com::S_FALSE);

  // Both clients are served as before.
  std::string name;
  EXPECT_EQ(held->Name(name), com::S_OK);
  EXPECT_EQ(name, "beach");
  EXPECT_EQ(first.library->TotalInfo("", count, bytes), com::S_OK);
  EXPECT_EQ(count, 1);
}

}  // namespace
}  // namespace albumcore::testing
