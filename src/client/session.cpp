#include "client/session.h"

#include "ClassObjects_proxy.h"
#include "client/client_error.h"

namespace albumcore::client {

namespace {

constexpr const char* kEntryPoint = "/com/orvane/AlbumCore9";
constexpr const char* kObjectInterface = "com.orvane.AlbumCore9.Object";

class ClientMarshaller final : public dbus::ObjectMarshaller {
 public:
  explicit ClientMarshaller(Session& session) : session_(session) {}
  sdbus::ObjectPath PathOf(const com::ComPtr<com::IUnknown>& object) override {
    auto remote = com::QueryInterface<RemoteObject>(object);
    if (!remote) throw com::ComError(com::E_INVALIDARG, "only server objects can be sent");
    return remote->path();
  }
  com::ComPtr<com::IUnknown> ObjectAt(const sdbus::ObjectPath& path) override { return session_.Adopt(path); }

 private:
  Session& session_;
};

class EntryPoint final : public sdbus::ProxyInterfaces<::com::orvane::AlbumCore9::ClassObjects_proxy> {
 public:
  EntryPoint(sdbus::IConnection& connection, const std::string& server)
      : ProxyInterfaces(connection, server, kEntryPoint) {
    registerProxy();
  }
  ~EntryPoint() { unregisterProxy(); }
};

}  // namespace

RemoteObject::RemoteObject(std::shared_ptr<Session> session, sdbus::ObjectPath path)
    : session_(std::move(session)), path_(std::move(path)) {}

RemoteObject::~RemoteObject() { session_->SendRelease(path_); }

std::shared_ptr<Session> Session::Connect(const std::string& address, std::string serverName) {
  std::unique_ptr<sdbus::IConnection> connection;
  try {
    connection = address.empty() ? sdbus::createSessionBusConnection()
                                 : sdbus::createSessionBusConnectionWithAddress(address);
  } catch (const sdbus::Error& e) {
    throw TransportError("cannot connect to the session bus (is DBUS_SESSION_BUS_ADDRESS set?): " + e.getMessage());
  }
  return std::shared_ptr<Session>(new Session(std::move(connection), std::move(serverName)));
}

Session::Session(std::unique_ptr<sdbus::IConnection> connection, std::string serverName)
    : connection_(std::move(connection)),
      serverName_(std::move(serverName)),
      marshaller_(std::make_unique<ClientMarshaller>(*this)) {}

Session::~Session() {
  if (loopRunning_) connection_->leaveEventLoop();
}

com::HRESULT Session::CreateInstance(const std::string& classId, com::ComPtr<RemoteObject>* object) {
  if (object == nullptr) return com::E_POINTER;
  object->reset();
  auto [hr, path] = CallServer(*this, [&] {
    EntryPoint entry(*connection_, serverName_);
    return entry.CreateInstance(classId);
  });
  if (path != "/") *object = Adopt(path);
  return static_cast<com::HRESULT>(hr);
}

com::ComPtr<RemoteObject> Session::Adopt(const sdbus::ObjectPath& path) {
  if (path == "/") return nullptr;
  return com::MakeObject<RemoteObject>(shared_from_this(), path);
}

void Session::SendRelease(const sdbus::ObjectPath& path) {
  try {
    auto proxy = sdbus::createProxy(*connection_, serverName_, path);
    proxy->callMethod("Release").onInterface(kObjectInterface).dontExpectReply();
  } catch (const sdbus::Error&) {
    // The server is gone, and with it every reference it counted for us.
  }
}

void Session::EnsureEventLoop() {
  if (!loopRunning_.exchange(true)) connection_->enterEventLoopAsync();
}

std::string Session::NewLocalPath(const std::string& kind) {
  return "/com/orvane/AlbumCore9Client/" + kind + "/" + std::to_string(nextLocal_++);
}

}  // namespace albumcore::client
