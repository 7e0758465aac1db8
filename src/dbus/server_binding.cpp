#include "dbus/server_binding.h"

#include <algorithm>
#include <cstdio>

#include "com/connection_point.h"
#include "dbus/stubs/class_objects_stub.h"
#include "dbus/stubs/object_stub.h"

namespace albumcore::dbus {

using com::ComPtr;
using com::HRESULT;
using com::IUnknown;

struct ServerBinding::Exported {
  ComPtr<IUnknown> object;
  std::unique_ptr<sdbus::IObject> dbusObject;
  std::vector<std::unique_ptr<Stub>> stubs;
  // References of all clients together; each client's own are in its
  // ClientRecord, and this is their sum.
  uint64_t refs = 0;
  // Subscriptions made through this object: cookie -> subscribing client.
  std::map<std::pair<std::string, uint32_t>, std::string> sinksByCookie;
  bool pinned = false;
};

std::string Stub::Caller() const {
  const sdbus::Message* m = dbusObject_.getCurrentlyProcessedMessage();
  return m ? m->getSender() : std::string();
}

uint32_t Stub::RefuseLifecycle(const char* slot) const {
  std::fprintf(stderr, "refused %s of %s from %s: the server alone connects and disconnects its objects\n", slot,
               dbusObject_.getObjectPath().c_str(), Caller().c_str());
  return Wire(com::E_ACCESSDENIED);
}

namespace {

// Values travelling to and from one client.
class ClientMarshaller final : public ObjectMarshaller {
 public:
  ClientMarshaller(ServerBinding& binding, std::string client) : binding_(binding), client_(std::move(client)) {}
  sdbus::ObjectPath PathOf(const ComPtr<IUnknown>& object) override { return binding_.HandOut(object, client_); }
  ComPtr<IUnknown> ObjectAt(const sdbus::ObjectPath& path) override {
    auto object = binding_.Find(path);
    if (!object) throw com::ComError(com::E_INVALIDARG, "no object at " + path);
    return object;
  }

 private:
  ServerBinding& binding_;
  std::string client_;
};

}  // namespace

ServerBinding::ServerBinding(sdbus::IConnection& connection, MainLoop& loop, com::ClassRegistry& classes)
    : connection_(connection), loop_(loop), classes_(classes), work_(std::make_unique<WorkQueue>(loop)),
      longWork_(std::make_unique<WorkQueue>(loop)) {}

ServerBinding::~ServerBinding() = default;

void ServerBinding::AddInterface(std::string interfaceName, std::function<bool(IUnknown*)> offers, StubMaker make) {
  interfaces_.push_back({std::move(interfaceName), std::move(offers), std::move(make)});
}

void ServerBinding::AddSinkInterface(std::string interfaceName, SinkMaker make) {
  sinkMakers_[std::move(interfaceName)] = std::move(make);
}

void ServerBinding::Start() {
  entryPoint_ = sdbus::createObject(connection_, kEntryPointPath);
  entryStub_ = std::make_unique<ClassObjectsStub>(*entryPoint_, *this);
  entryPoint_->finishRegistration();

  busWatch_ = sdbus::createProxy(connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus");
  busWatch_->uponSignal("NameOwnerChanged")
      .onInterface("org.freedesktop.DBus")
      .call([this](const std::string& name, const std::string& /*oldOwner*/, const std::string& newOwner) {
        if (newOwner.empty() && !name.empty() && name[0] == ':') ClientLeft(name);
      });
  busWatch_->finishRegistration();
}

std::shared_ptr<ClientState> ServerBinding::Client(const std::string& uniqueName) { return Record(uniqueName).state; }

ServerBinding::ClientRecord& ServerBinding::Record(const std::string& uniqueName) {
  auto [it, added] = clients_.try_emplace(uniqueName);
  if (added) {
    it->second.state = std::make_shared<ClientState>(uniqueName);
    ConfirmOnBus(uniqueName);
  }
  return it->second;
}

void ServerBinding::ConfirmOnBus(const std::string& uniqueName) {
  if (!busWatch_) return;
  busWatch_->callMethodAsync("NameHasOwner")
      .onInterface("org.freedesktop.DBus")
      .withArguments(uniqueName)
      .uponReplyInvoke([this, uniqueName](const sdbus::Error* error, bool owned) {
        if (error == nullptr && !owned) ClientLeft(uniqueName);
      });
}

void ServerBinding::CountReference(Exported& exported, const std::string& path, const std::string& client) {
  Record(client).refs[path]++;
  exported.refs++;
  AddToTotal(1);
}

void ServerBinding::AddToTotal(uint64_t count) {
  const bool wasHeld = totalRefs_ > 0;
  totalRefs_ += count;
  if (!wasHeld && totalRefs_ > 0 && heldObserver_) heldObserver_(true);
}

void ServerBinding::TakeFromTotal(uint64_t count) {
  const bool wasHeld = totalRefs_ > 0;
  totalRefs_ -= std::min(count, totalRefs_);
  if (wasHeld && totalRefs_ == 0 && heldObserver_) heldObserver_(false);
}

sdbus::ObjectPath ServerBinding::HandOut(const ComPtr<IUnknown>& object, const std::string& client) {
  if (!object) return sdbus::ObjectPath("/");
  auto known = pathByObject_.find(object.get());
  const std::string path = known != pathByObject_.end()
                               ? known->second
                               : std::string(kObjectsPath) + "/" + std::to_string(nextObjectNumber_++);
  Exported& exported = known != pathByObject_.end() ? *byPath_.at(path) : Export(object, path);
  CountReference(exported, path, client);
  return sdbus::ObjectPath(path);
}

sdbus::ObjectPath ServerBinding::Pin(const ComPtr<IUnknown>& object, const std::string& name) {
  const std::string path = std::string(kEntryPointPath) + "/" + name;
  Export(object, path).pinned = true;
  return sdbus::ObjectPath(path);
}

ServerBinding::Exported& ServerBinding::Export(const ComPtr<IUnknown>& object, const std::string& path) {
  auto exported = std::make_unique<Exported>();
  exported->object = object;
  exported->dbusObject = sdbus::createObject(connection_, path);
  exported->stubs.push_back(std::make_unique<ObjectStub>(*exported->dbusObject, *this));
  for (const auto& entry : interfaces_) {
    if (entry.offers(object.get())) exported->stubs.push_back(entry.make(*exported->dbusObject, *this, object));
  }
  exported->dbusObject->finishRegistration();
  pathByObject_[object.get()] = path;
  return *(byPath_[path] = std::move(exported));
}

HRESULT ServerBinding::AddRef(const std::string& path, const std::string& client) {
  auto it = byPath_.find(path);
  if (it == byPath_.end()) return com::E_POINTER;
  CountReference(*it->second, path, client);
  return com::S_OK;
}

HRESULT ServerBinding::Release(const std::string& path, const std::string& client) {
  auto it = byPath_.find(path);
  if (it == byPath_.end()) return com::E_POINTER;
  // A client releases only its own references.
  auto record = clients_.find(client);
  if (record == clients_.end()) return com::E_ACCESSDENIED;
  auto& held = record->second.refs;
  auto mine = held.find(path);
  if (mine == held.end()) return com::E_ACCESSDENIED;
  if (--mine->second == 0) held.erase(mine);
  if (--it->second->refs == 0 && !it->second->pinned) Unexport(path);
  TakeFromTotal(1);
  return com::S_OK;
}

void ServerBinding::Unexport(const std::string& path) {
  auto it = byPath_.find(path);
  if (it == byPath_.end()) return;
  pathByObject_.erase(it->second->object.get());
  unexported_.push_back(std::move(it->second));
  byPath_.erase(it);
  if (unexported_.size() == 1) {
    // The D-Bus object may be serving the very call that released it.
    loop_.Post([this] { unexported_.clear(); });
  }
}

void ServerBinding::ClientLeft(const std::string& uniqueName) {
  auto record = clients_.find(uniqueName);
  if (record == clients_.end()) return;
  record->second.state->onBus = false;
  uint64_t dropped = 0;
  for (const auto& [path, count] : record->second.refs) {
    auto it = byPath_.find(path);
    if (it == byPath_.end()) continue;
    it->second->refs -= count;
    dropped += count;
    if (it->second->refs == 0 && !it->second->pinned) Unexport(path);
  }
  clients_.erase(record);
  TakeFromTotal(dropped);
}

ComPtr<IUnknown> ServerBinding::Find(const std::string& path) const {
  auto it = byPath_.find(path);
  return it == byPath_.end() ? nullptr : it->second->object;
}

size_t ServerBinding::ReferenceCountForTesting(const std::string& path) const {
  auto it = byPath_.find(path);
  return it == byPath_.end() ? 0 : it->second->refs;
}

std::unique_ptr<ObjectMarshaller> ServerBinding::MarshallerFor(const std::string& client) {
  return std::make_unique<ClientMarshaller>(*this, client);
}

HRESULT ServerBinding::Advise(const ComPtr<IUnknown>& source, const std::string& interfaceName,
                              const sdbus::ObjectPath& sink, const std::string& client, uint32_t* cookie) {
  *cookie = 0;
  auto container = com::QueryInterface<com::IConnectionPointContainer>(source);
  if (!container) return com::E_NOINTERFACE;
  ComPtr<com::IConnectionPoint> point;
  HRESULT hr = container->FindConnectionPoint(interfaceName, &point);
  if (com::Failed(hr)) return hr;
  auto maker = sinkMakers_.find(interfaceName);
  if (maker == sinkMakers_.end()) return com::CONNECT_E_CANNOTCONNECT;
  ComPtr<IUnknown> proxy = maker->second(*this, Client(client), sink);
  hr = point->Advise(proxy.get(), cookie);
  if (com::Succeeded(hr)) {
    auto it = pathByObject_.find(source.get());
    if (it != pathByObject_.end()) byPath_.at(it->second)->sinksByCookie[{interfaceName, *cookie}] = client;
  }
  return hr;
}

HRESULT ServerBinding::Unadvise(const ComPtr<IUnknown>& source, const std::string& interfaceName, uint32_t cookie,
                                const std::string& client) {
  auto container = com::QueryInterface<com::IConnectionPointContainer>(source);
  if (!container) return com::E_NOINTERFACE;
  auto it = pathByObject_.find(source.get());
  if (it == pathByObject_.end()) return com::CONNECT_E_NOCONNECTION;
  auto& sinks = byPath_.at(it->second)->sinksByCookie;
  auto sub = sinks.find({interfaceName, cookie});
  // A client ends only its own subscriptions.
  if (sub == sinks.end() || sub->second != client) return com::CONNECT_E_NOCONNECTION;
  ComPtr<com::IConnectionPoint> point;
  HRESULT hr = container->FindConnectionPoint(interfaceName, &point);
  if (com::Failed(hr)) return hr;
  hr = point->Unadvise(cookie);
  sinks.erase(sub);
  return hr;
}

}  // namespace albumcore::dbus
