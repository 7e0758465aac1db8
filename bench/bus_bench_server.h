// What the benchmarks over a real bus share: a private dbus-daemon, the
// server executable registered and started on it with a registry and a
// library in the bus's folder, and generated proxies on connections of the
// benchmark's own. Everything goes when the object does.
#pragma once

#include <signal.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "IKivItemCollection_proxy.h"
#include "IKivItem_proxy.h"
#include "client/lib_factory.h"
#include "client/library.h"
#include "client/session.h"
#include "dbus/variant_codec.h"
#include "private_bus.h"

namespace bench {

namespace ki = ::com::orvane::KIVALBUMCORELib;
inline constexpr const char* kServerName = "com.orvane.AlbumCore9";

// A generated proxy on a connection of the caller's choosing.
template <class Interface>
class Proxy final : public sdbus::ProxyInterfaces<Interface> {
 public:
  Proxy(sdbus::IConnection& connection, const std::string& path)
      : sdbus::ProxyInterfaces<Interface>(connection, kServerName, path) {
    this->registerProxy();
  }
  ~Proxy() { this->unregisterProxy(); }
};

class BusServer {
 public:
  // Starts the bus, runs `beforeServer` with its address (while this
  // process has one thread: the place to fork helpers), then starts the
  // server and opens `library.db` through the factory. On failure it says
  // why on stderr and ok() is false.
  explicit BusServer(const std::function<void(const std::string&)>& beforeServer = {})
      : bus_(std::make_unique<PrivateBus>()) {
    if (beforeServer) beforeServer(bus_->address());
    env_ = {{"DBUS_SESSION_BUS_ADDRESS", bus_->address()},
            {"ALBUMCORE_REGISTRY", bus_->directory() + "/machine.reg"},
            {"XDG_DATA_HOME", bus_->directory()},
            {"XDG_CACHE_HOME", bus_->directory()}};
    ok_ = Start();
  }
  ~BusServer() {
    collectionObject_.reset();
    library_.reset();
    session_.reset();
    if (server_) {
      server_->Signal(SIGTERM);
      server_->Wait();
    }
  }
  BusServer(const BusServer&) = delete;
  BusServer& operator=(const BusServer&) = delete;

  bool ok() const { return ok_; }
  const std::string& address() const { return bus_->address(); }
  const std::string& directory() const { return bus_->directory(); }
  pid_t serverPid() const { return server_ ? server_->pid() : -1; }
  // Path of the library's own item collection (held by this object's session).
  const std::string& collectionPath() const { return collectionObject_->path(); }

  // A connection of its own, as another client would have.
  std::unique_ptr<sdbus::IConnection> Connect() const {
    return sdbus::createSessionBusConnectionWithAddress(bus_->address());
  }

 private:
  using ChildProcess = albumcore::testing::ChildProcess;
  using PrivateBus = albumcore::testing::PrivateBus;

  static bool Fail(const std::string& what) {
    std::fprintf(stderr, "bench server: %s\n", what.c_str());
    return false;
  }

  bool Start() {
    ChildProcess registration({ALBUMCORE_SERVER, "/RegServer"}, env_, true);
    const std::string said = registration.ReadAll();
    if (registration.WaitExitCode() != 0) return Fail("registration failed: " + said);
    server_ = std::make_unique<ChildProcess>(std::vector<std::string>{ALBUMCORE_SERVER}, env_, false);
    if (!albumcore::testing::WaitForName(bus_->address(), kServerName)) return Fail("the server did not start");
    session_ = albumcore::client::Session::Connect(bus_->address());
    albumcore::client::LibFactory factory(session_);
    albumcore::com::ComPtr<albumcore::client::RemoteObject> library;
    if (factory.Open(bus_->directory() + "/library.db", &library) != albumcore::com::S_OK)
      return Fail("the library did not open");
    library_ = std::make_unique<albumcore::client::Library>(session_, library);
    if (library_->ItemCollection(collectionObject_) != albumcore::com::S_OK) return Fail("no item collection");
    return true;
  }

  std::unique_ptr<PrivateBus> bus_;
  std::map<std::string, std::string> env_;
  std::unique_ptr<ChildProcess> server_;
  std::shared_ptr<albumcore::client::Session> session_;
  std::unique_ptr<albumcore::client::Library> library_;
  albumcore::com::ComPtr<albumcore::client::RemoteObject> collectionObject_;
  bool ok_ = false;
};

// A date as a client sends it.
inline albumcore::dbus::WireVariant WireDate(double day) {
  return albumcore::dbus::EncodeVariant(albumcore::com::Variant::Date(day), nullptr);
}

}  // namespace bench
