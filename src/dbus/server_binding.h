// The server side of the D-Bus binding: hands objects to clients, counts
// each client's references, serves every interface an object offers through
// generated glue, turns client sinks into in-process sink objects, and owns
// the worker that runs calls which must not wait on the main loop.
//
// Lifetime rules
//   1. An object handed to a client (a reply carrying its path) is exported
//      once, at /com/orvane/AlbumCore9/objects/<n>, and one reference is
//      counted for that client, whether the object was exported just now or
//      long before (the pinned factory, an object two clients share).
//   2. AddRef counts one more for the caller, Release drops one of the
//      caller's; a client leaving the bus drops all of its own.
//   3. An object that no client holds is unexported and the binding lets go
//      of it, unless it is pinned. Unexporting is deferred to the main loop,
//      since the last Release arrives inside a call on that very object.
//   4. What the binding knows of a client (its references, its state shared
//      with its sinks) lives from its first call until it leaves the bus. A
//      client first seen after it left (its call was served after the bus
//      announced its departure) is found out by asking the bus once.
//   5. Sinks of a client that has left stay subscribed but fail at once, so a
//      liveness probe finds them dead and owners can reap what they served.
//
// Everything here runs on the main loop thread.
#pragma once

#include <sdbus-c++/sdbus-c++.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "com/class_registry.h"
#include "dbus/client_state.h"
#include "dbus/main_loop.h"
#include "dbus/reply_size.h"
#include "dbus/stub.h"
#include "dbus/variant_codec.h"
#include "dbus/work_queue.h"

namespace albumcore::dbus {

inline constexpr const char* kEntryPointPath = "/com/orvane/AlbumCore9";
inline constexpr const char* kObjectsPath = "/com/orvane/AlbumCore9/objects";

class ServerBinding;

// Makes the in-process stand-in for a sink that `client` exported at `path`.
// The binding outlives every stand-in it made (it hands objects to the
// client through it, and its connection carries the events).
using SinkMaker = std::function<com::ComPtr<com::IUnknown>(ServerBinding&, std::shared_ptr<ClientState>,
                                                           const sdbus::ObjectPath&)>;

class ServerBinding {
 public:
  ServerBinding(sdbus::IConnection& connection, MainLoop& loop, com::ClassRegistry& classes);
  ~ServerBinding();
  ServerBinding(const ServerBinding&) = delete;
  ServerBinding& operator=(const ServerBinding&) = delete;

  // An interface served for every exported object that offers it
  // (`offers` is the checked cast).
  void AddInterface(std::string interfaceName, std::function<bool(com::IUnknown*)> offers, StubMaker make);
  template <class Interface, class StubClass>
  void AddInterface() {
    AddInterface(std::string(Interface::kInterfaceName),
                 [](com::IUnknown* o) { return dynamic_cast<Interface*>(o) != nullptr; },
                 [](sdbus::IObject& object, ServerBinding& binding, const com::ComPtr<com::IUnknown>& target) {
                   return std::make_unique<StubClass>(object, binding, com::QueryInterface<Interface>(target));
                 });
  }
  // An outgoing interface whose client sinks can be subscribed.
  void AddSinkInterface(std::string interfaceName, SinkMaker make);

  // Exports the entry point and starts watching clients leave the bus.
  void Start();

  // Exports `object` for the life of the binding at kEntryPointPath/`name`,
  // whoever holds it: how single-instance objects stay visible (and
  // introspectable) while no client holds them.
  sdbus::ObjectPath Pin(const com::ComPtr<com::IUnknown>& object, const std::string& name);

  // Exports `object` if needed and counts one reference for `client`.
  // "/" for a null object.
  sdbus::ObjectPath HandOut(const com::ComPtr<com::IUnknown>& object, const std::string& client);
  com::HRESULT AddRef(const std::string& path, const std::string& client);
  com::HRESULT Release(const std::string& path, const std::string& client);

  // The object exported at `path`, or null.
  com::ComPtr<com::IUnknown> Find(const std::string& path) const;
  // Marshaller for values sent to or received from `client`.
  std::unique_ptr<ObjectMarshaller> MarshallerFor(const std::string& client);

  com::HRESULT Advise(const com::ComPtr<com::IUnknown>& source, const std::string& interfaceName,
                      const sdbus::ObjectPath& sink, const std::string& client, uint32_t* cookie);
  com::HRESULT Unadvise(const com::ComPtr<com::IUnknown>& source, const std::string& interfaceName, uint32_t cookie,
                        const std::string& client);

  // Told true when clients come to hold a reference to any object (pinned
  // ones included) while they held none, false when they hold none any
  // more: what a local server's exit waits for.
  void SetHeldObserver(std::function<void(bool anyHeld)> observer) { heldObserver_ = std::move(observer); }
  bool AnyClientReference() const { return totalRefs_ > 0; }

  std::shared_ptr<ClientState> Client(const std::string& uniqueName);
  sdbus::IConnection& connection() { return connection_; }
  com::ClassRegistry& classes() { return classes_; }
  // The worker for calls that must not wait on the main loop.
  WorkQueue& work() { return *work_; }
  // A second worker for calls long by nature (a catalogue file's repair or
  // compaction), so that they never hold up the short ones on work().
  WorkQueue& longWork() { return *longWork_; }
  // The largest reply a slot may send (reply_size.h); larger ones are
  // answered with a status instead.
  size_t maxReplyBytes() const { return maxReplyBytes_; }
  void SetMaxReplyBytes(size_t bytes) { maxReplyBytes_ = bytes; }
  size_t ExportedCountForTesting() const { return byPath_.size(); }
  size_t ClientCountForTesting() const { return clients_.size(); }
  // References all clients together hold on the object at `path`.
  size_t ReferenceCountForTesting(const std::string& path) const;

 private:
  struct Exported;
  struct InterfaceEntry {
    std::string name;
    std::function<bool(com::IUnknown*)> offers;
    StubMaker make;
  };
  struct ClientRecord {
    std::shared_ptr<ClientState> state;
    std::map<std::string, uint32_t> refs;  // path -> references this client holds
  };

  ClientRecord& Record(const std::string& uniqueName);
  void CountReference(Exported& exported, const std::string& path, const std::string& client);
  void ConfirmOnBus(const std::string& uniqueName);
  void ClientLeft(const std::string& uniqueName);
  void Unexport(const std::string& path);
  void AddToTotal(uint64_t count);
  void TakeFromTotal(uint64_t count);
  Exported& Export(const com::ComPtr<com::IUnknown>& object, const std::string& path);

  sdbus::IConnection& connection_;
  MainLoop& loop_;
  com::ClassRegistry& classes_;
  std::vector<InterfaceEntry> interfaces_;
  std::map<std::string, SinkMaker> sinkMakers_;
  std::map<std::string, std::unique_ptr<Exported>> byPath_;
  std::map<com::IUnknown*, std::string> pathByObject_;
  std::map<std::string, ClientRecord> clients_;
  std::vector<std::unique_ptr<Exported>> unexported_;  // destroyed on the next loop turn
  uint64_t nextObjectNumber_ = 1;
  uint64_t totalRefs_ = 0;  // all clients' references to all objects
  size_t maxReplyBytes_ = kDefaultMaxReplyBytes;
  std::function<void(bool)> heldObserver_;
  std::unique_ptr<WorkQueue> work_;
  std::unique_ptr<WorkQueue> longWork_;
  std::unique_ptr<sdbus::IObject> entryPoint_;
  std::unique_ptr<Stub> entryStub_;
  std::unique_ptr<sdbus::IProxy> busWatch_;
};

}  // namespace albumcore::dbus
