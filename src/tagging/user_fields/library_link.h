// What the user fields of one item or one album hold while connected: the
// library's database, the library-wide collection that names the fields,
// and a sink of the owner's subscribed to that collection's events.
//
// Connect takes everything or nothing: a connection that offers no database
// is E_POINTER and leaves the link as it was. The sink points back at its
// owner without holding it; Reset (and the destructor) unsubscribes it and
// detaches it, as a firing under way may still hold the sink.
#pragma once

#include <string>
#include <utility>

#include "events/relay.h"
#include "events/subscription.h"
#include "store/dao/database.h"
#include "tagging/user_fields/field_types.h"
#include "typelib/kiv_user_fields.h"

namespace albumcore::tagging {

template <class Owner>
class LibraryLink {
 public:
  explicit LibraryLink(std::string whose) : whose_(std::move(whose)) {}
  ~LibraryLink() { Reset(); }
  LibraryLink(const LibraryLink&) = delete;
  LibraryLink& operator=(const LibraryLink&) = delete;

  com::HRESULT Connect(com::IUnknown* pConnection, com::IUnknown* pUserFieldsEvents,
                       com::ComPtr<events::OwnerSink<Owner>> sink) {
    auto db = com::QueryInterface<store::dao::Database>(pConnection);
    if (!db) return com::E_POINTER;
    com::ComPtr<typelib::IKivUserFields> library = LibraryCollectionOf(pUserFieldsEvents);
    events::Subscription subscription;
    if (library)
      subscription = events::Subscription(pUserFieldsEvents, typelib::IKivAlbumCoreEvents::kInterfaceName, sink.get());
    Reset();
    db_ = std::move(db);
    library_ = std::move(library);
    sink_ = std::move(sink);
    subscription_ = std::move(subscription);
    return com::S_OK;
  }

  void Reset() noexcept {
    subscription_.reset();
    if (sink_) sink_->Detach();
    sink_.reset();
    library_.reset();
    db_.reset();
  }

  // E_POINTER (raised) before Connect.
  store::dao::Database& db() const {
    if (!db_) throw com::ComError(com::E_POINTER, whose_ + " user fields are not connected");
    return *db_;
  }
  bool hasLibrary() const noexcept { return static_cast<bool>(library_); }
  // E_FAIL (raised) when connected without a library collection.
  typelib::IKivUserFields& library() const {
    if (!library_) throw com::ComError(com::E_FAIL, "no library collection of user fields");
    return *library_;
  }

 private:
  std::string whose_;
  com::ComPtr<store::dao::Database> db_;
  com::ComPtr<typelib::IKivUserFields> library_;
  com::ComPtr<events::OwnerSink<Owner>> sink_;
  events::Subscription subscription_;
};

}  // namespace albumcore::tagging
