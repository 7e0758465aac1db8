// A sink the client exports so that the server can deliver events to it.
//
// EventSink serves IKivAlbumCoreEvents on the client's connection and hands
// every event to an in-process handler, on the session's event thread.
// Subscription ties a sink to one server object's events and ends the
// subscription when destroyed.
#pragma once

#include <memory>
#include <string>

#include "client/session.h"
#include "typelib/kiv_album_core_events.h"

namespace albumcore::client {

class EventSink {
 public:
  EventSink(Session& session, com::ComPtr<typelib::IKivAlbumCoreEvents> handler);
  ~EventSink();
  EventSink(const EventSink&) = delete;
  EventSink& operator=(const EventSink&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::unique_ptr<sdbus::IObject> object_;
  com::ComPtr<typelib::IKivAlbumCoreEvents> handler_;
};

class Subscription {
 public:
  // Subscribes `sink` to the events of `source`. Check status(): the server
  // may refuse (E_NOINTERFACE when the object sources no such events).
  Subscription(const com::ComPtr<RemoteObject>& source, const EventSink& sink,
               std::string interfaceName = "IKivAlbumCoreEvents")
      : Subscription(source, sink.path(), std::move(interfaceName)) {}
  // Subscribes the sink exported at `sinkPath` under `interfaceName`.
  Subscription(const com::ComPtr<RemoteObject>& source, const std::string& sinkPath, std::string interfaceName);
  ~Subscription();
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;

  com::HRESULT status() const { return status_; }
  uint32_t cookie() const { return cookie_; }
  // Ends the subscription now; the status of Unadvise.
  com::HRESULT Unadvise();

 private:
  com::ComPtr<RemoteObject> source_;
  std::string interfaceName_;
  com::HRESULT status_ = com::E_FAIL;
  uint32_t cookie_ = 0;
};

}  // namespace albumcore::client
