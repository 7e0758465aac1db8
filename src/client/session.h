// A client's connection to the catalogue server.
//
// Session owns one bus connection. Calls are made synchronously from the
// caller's thread; events for sinks the client exported arrive on a thread
// of the session's own (started by the first Advise). Objects received from
// the server are RemoteObjects: each holds the one reference the server
// counted when it handed the object out, and gives it back when released.
#pragma once

#include <sdbus-c++/sdbus-c++.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "client/client_error.h"
#include "com/unknown.h"
#include "dbus/variant_codec.h"

namespace albumcore::client {

inline constexpr const char* kDefaultServerName = "com.orvane.AlbumCore9";

class Session;

// A server object as the client holds it.
class RemoteObject final : public com::ComObject {
 public:
  static constexpr std::string_view kInterfaceName = "RemoteObject";
  RemoteObject(std::shared_ptr<Session> session, sdbus::ObjectPath path);
  ~RemoteObject() override;

  const sdbus::ObjectPath& path() const noexcept { return path_; }
  Session& session() const noexcept { return *session_; }

 private:
  std::shared_ptr<Session> session_;
  sdbus::ObjectPath path_;
};

class Session : public std::enable_shared_from_this<Session> {
 public:
  // Connects to the bus at `address`, or to the session bus when empty.
  // Raises TransportError when no bus can be reached.
  static std::shared_ptr<Session> Connect(const std::string& address = {},
                                          std::string serverName = kDefaultServerName);
  ~Session();

  // Creates an object by class ID or ProgID. Raises TransportError when the
  // server cannot be reached; a refusal comes back as the status.
  com::HRESULT CreateInstance(const std::string& classId, com::ComPtr<RemoteObject>* object);

  // Wraps a path the server handed out (one reference owned by the result).
  com::ComPtr<RemoteObject> Adopt(const sdbus::ObjectPath& path);
  // Marshaller for VARIANTs exchanged with the server.
  dbus::ObjectMarshaller& marshaller() { return *marshaller_; }

  sdbus::IConnection& connection() { return *connection_; }
  const std::string& serverName() const { return serverName_; }
  // Starts serving the client's own sinks (idempotent).
  void EnsureEventLoop();
  // A fresh object path for something the client exports.
  std::string NewLocalPath(const std::string& kind);

 private:
  Session(std::unique_ptr<sdbus::IConnection> connection, std::string serverName);
  friend class RemoteObject;
  void SendRelease(const sdbus::ObjectPath& path);

  std::unique_ptr<sdbus::IConnection> connection_;
  std::string serverName_;
  std::unique_ptr<dbus::ObjectMarshaller> marshaller_;
  std::atomic<bool> loopRunning_{false};
  std::atomic<uint64_t> nextLocal_{1};
};

// Runs `call` and turns a D-Bus failure into a TransportError.
template <class Call>
auto CallServer(Session& session, Call&& call) {
  try {
    return call();
  } catch (const sdbus::Error& e) {
    RaiseTransportError(e, session.serverName());
  }
}

}  // namespace albumcore::client
