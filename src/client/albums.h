// An album as a client sees it: its name, members, the albums around it
// and its item listing, for the command-line client and the tests.
//
// Every call answers the server's status; a D-Bus failure raises
// TransportError. A listing too large for one bus message is refused by the
// server with E_MESSAGE_EXCEEDS_MAX_SIZE before it is sent, and comes back
// empty with that status.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "client/session.h"
#include "typelib/kiv_album_enums.h"

namespace albumcore::client {

// The full listing of an album, one vector per column, all of one length.
struct AlbumListing {
  std::vector<int32_t> ids, types, sizes, bigSizes, rotations, ratings;
  std::vector<std::string> names, monikers, thumbnailMonikers, soundMonikers, notes;
  std::vector<double> dateCreated, dateModified;  // automation dates
  std::vector<bool> readOnly;
  size_t size() const { return ids.size(); }
};

struct ListingRequest {
  std::string typeFilter;  // "0,2": item types; empty: all
  typelib::enumNaxSortField sortField = typelib::NAX_SORT_NAME;
  bool descending = false;
};

class Album {
 public:
  Album(std::shared_ptr<Session> session, com::ComPtr<RemoteObject> object);
  ~Album();
  Album(const Album&) = delete;
  Album& operator=(const Album&) = delete;

  com::HRESULT Id(int32_t& id);
  com::HRESULT Name(std::string& name);
  com::HRESULT SetName(const std::string& name);
  com::HRESULT Count(int32_t& count);
  // Whether clients may rename it (special albums keep their names).
  com::HRESULT CanRename(bool& may);
  // The special album type, or -1 for an album of a person's own.
  com::HRESULT SpecialType(int32_t& type);

  // S_OK when added or there already; S_FALSE when the album does not take it.
  com::HRESULT Add(int32_t itemId);
  // E_FAIL for an item that is not a member. An album whose only parent is
  // this one is destroyed, as the album's rule says.
  com::HRESULT Remove(int32_t itemId);
  // S_OK for a member, S_FALSE for anything else.
  com::HRESULT IsInAlbum(int32_t itemId);
  // S_OK when the item may go in; S_FALSE when not (itself, its own parent).
  com::HRESULT IsEligible(int32_t itemId);
  com::HRESULT EmptyRecursively(bool destroyItems);

  // The IDs the album's enumerations find (none is no failure).
  com::HRESULT ChildAlbums(std::vector<int32_t>& ids);
  com::HRESULT ParentAlbums(std::vector<int32_t>& ids);
  com::HRESULT ChildItems(std::vector<int32_t>& ids);

  com::HRESULT Items(const ListingRequest& request, AlbumListing& listing);

  const com::ComPtr<RemoteObject>& object() const { return object_; }

 private:
  class Proxy;
  template <class Start>
  com::HRESULT Walk(Start&& start, std::vector<int32_t>& ids);

  std::shared_ptr<Session> session_;
  com::ComPtr<RemoteObject> object_;
  std::unique_ptr<Proxy> proxy_;
};

}  // namespace albumcore::client
