// The item collection and its items as a client sees them: what a
// command-line client needs to add, find, show, rate and rename items.
//
// Every call answers the server's status; a D-Bus failure raises
// TransportError. Objects received (an item, its keywords) hold the one
// reference the server counted for this client.
#pragma once

#include <memory>
#include <string>

#include "client/session.h"
#include "com/variant.h"

namespace albumcore::client {

class Item {
 public:
  Item(std::shared_ptr<Session> session, com::ComPtr<RemoteObject> object);
  ~Item();
  Item(const Item&) = delete;
  Item& operator=(const Item&) = delete;

  com::HRESULT Id(int32_t& id);
  com::HRESULT Type(int32_t& type);
  com::HRESULT Moniker(std::string& moniker);
  com::HRESULT Name(std::string& name);
  com::HRESULT SetName(const std::string& name);
  com::HRESULT Rating(int32_t& rating);
  com::HRESULT SetRating(int32_t rating);
  // The one-line description (size, picture size, type, dates).
  com::HRESULT PropertyString(std::string& text);
  // Reads the file's properties into the record again.
  com::HRESULT FillFromFile();
  // The item's own keywords, an IKivKeywords object.
  com::HRESULT Keywords(com::ComPtr<RemoteObject>& keywords);
  // Picture size of a photo; E_NOINTERFACE for an item whose class keeps none.
  com::HRESULT PhotoSize(int32_t& width, int32_t& height);

  const com::ComPtr<RemoteObject>& object() const { return object_; }

 private:
  class Proxy;
  std::shared_ptr<Session> session_;
  com::ComPtr<RemoteObject> object_;
  std::unique_ptr<Proxy> proxy_;
};

// What CreateItem records. The dates must be VT_DATE (the server refuses
// anything else with E_INVALIDARG); with `fillFromFile` the server then reads
// size, dates and picture facts from the file over what was given.
struct NewItem {
  int32_t type = 0;
  std::string moniker;
  std::string name;
  com::Variant dateCreated;
  com::Variant dateModified;
  int32_t bigSize = 0;
  int32_t size = 0;
  std::string thumbnailMoniker;
  std::string soundMoniker;
  bool fillFromFile = false;
};

class ItemCollection {
 public:
  ItemCollection(std::shared_ptr<Session> session, com::ComPtr<RemoteObject> object);
  ~ItemCollection();
  ItemCollection(const ItemCollection&) = delete;
  ItemCollection& operator=(const ItemCollection&) = delete;

  // S_OK and the new item's ID; S_FALSE and the ID of the item that already
  // records the file.
  com::HRESULT CreateItem(const NewItem& item, int32_t& id);
  // S_FALSE and -1 when no item has the moniker.
  com::HRESULT FindItemByMoniker(const std::string& moniker, int32_t& id);
  // S_FALSE and no item for an ID without a record.
  com::HRESULT InstantiateItem(int32_t id, std::unique_ptr<Item>& item);
  com::HRESULT DestroyItem(int32_t id);

  const com::ComPtr<RemoteObject>& object() const { return object_; }

 private:
  class Proxy;
  std::shared_ptr<Session> session_;
  com::ComPtr<RemoteObject> object_;
  std::unique_ptr<Proxy> proxy_;
};

}  // namespace albumcore::client
