// IKivLibrary as a client sees it: one library the factory opened, with
// what the command-line client and the tests need of it.
//
// Every call answers the server's status; a D-Bus failure raises
// TransportError. Objects received (the keyword collection, an item, the
// item collection) hold the one reference the server counted for this
// client. The library stays open in the server while any client's open is
// not closed (LibFactory::Close), whatever this object's lifetime.
#pragma once

#include <memory>
#include <string>

#include "client/session.h"
#include "com/variant.h"

namespace albumcore::client {

class Library {
 public:
  Library(std::shared_ptr<Session> session, com::ComPtr<RemoteObject> object);
  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // The catalogue file's path, as the factory was given it.
  com::HRESULT Moniker(std::string& path);
  // Items of the listed types ("0,2"; empty: every type but the album
  // kinds 8 to 16) and the total of their sizes.
  com::HRESULT TotalInfo(const std::string& typeList, int32_t& count, uint64_t& bytes);
  com::HRESULT DatabaseVersion(int32_t& version);
  com::HRESULT FilesOfTypeExist(int32_t type, bool& exist);
  // The first column of every row of a SELECT, as an array of VARIANTs.
  com::HRESULT EnumerateFieldValues(const std::string& sql, com::Variant& values);
  // S_OK while a subscribed client answers (or none is subscribed).
  com::HRESULT IsAlive();

  com::HRESULT Keywords(com::ComPtr<RemoteObject>& keywords);
  com::HRESULT UserFields(com::ComPtr<RemoteObject>& userFields);
  // The library's own item collection, through which items are created.
  com::HRESULT ItemCollection(com::ComPtr<RemoteObject>& collection);
  // The item (or album) with this ID; S_FALSE and none when there is none.
  com::HRESULT GetItem(int32_t id, com::ComPtr<RemoteObject>& item);
  // The album object with this ID (an IKivAlbum; see client/albums.h).
  com::HRESULT GetAlbum(int32_t id, com::ComPtr<RemoteObject>& album);
  // The ID of a special album (0 the bin, 1 the root of the album tree, ...),
  // made on first request.
  com::HRESULT SpecialAlbumId(int32_t type, int32_t& id);
  // A new album under `parent` (a virtual album's ID means the root).
  com::HRESULT CreateAlbum(const std::string& name, int32_t parent, int32_t& id);

  const com::ComPtr<RemoteObject>& object() const { return object_; }

 private:
  class Proxy;
  std::shared_ptr<Session> session_;
  com::ComPtr<RemoteObject> object_;
  std::unique_ptr<Proxy> proxy_;
};

}  // namespace albumcore::client
