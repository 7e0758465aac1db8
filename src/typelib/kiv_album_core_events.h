// IKivAlbumCoreEvents: the one outgoing interface through which every change
// to a catalogue is announced, and the relay that fires an interface's
// events again on another connection point.
//
// The method list is kept once, in KIV_ALBUM_CORE_EVENTS, so that the
// interface, the relay and the D-Bus sink proxy cannot drift apart. Each
// entry is X(name, (parameters), (arguments)); the one-way events come first
// and the liveness probe OnIsAlive last.
#pragma once

#include <cstdint>

#include "com/connection_point.h"
#include "com/variant.h"

namespace albumcore::typelib {

using com::HRESULT;

#define KIV_ALBUM_CORE_EVENTS_ONE_WAY(X)                                                                \
  X(OnAlbumCreated, (int32_t lAlbumID), (lAlbumID))                                               \
  X(OnAlbumRemoved, (int32_t lParent, int32_t lAlbumID), (lParent, lAlbumID))                     \
  X(OnAlbumDestroyed, (int32_t lAlbumID), (lAlbumID))                                             \
  X(OnAlbumCoverMonikerChanged, (int32_t lAlbumID, const com::Bstr& bstrMoniker), (lAlbumID, bstrMoniker)) \
  X(OnAlbumNameChanged, (int32_t lAlbumID, const com::Bstr& bstrName), (lAlbumID, bstrName))     \
  X(OnItemCreated, (int32_t lItemID), (lItemID))                                                  \
  X(OnItemDestroyed, (int32_t lItemID), (lItemID))                                                \
  X(OnItemAdded, (int32_t lAlbumID, int32_t lItemID), (lAlbumID, lItemID))                        \
  X(OnItemRemoved, (int32_t lAlbumID, int32_t lItemID), (lAlbumID, lItemID))                      \
  X(OnItemMonikerChanged, (int32_t lItemID, const com::Bstr& bstrMoniker), (lItemID, bstrMoniker)) \
  X(OnItemThumbnailChanged, (int32_t lItemID, const com::Bstr& bstrThumbnail), (lItemID, bstrThumbnail)) \
  X(OnItemNameChanged, (int32_t lItemID, const com::Bstr& bstrName), (lItemID, bstrName))         \
  X(OnItemRotated, (int32_t lItemID, int32_t lDelta), (lItemID, lDelta))                          \
  X(OnItemChanged, (int32_t lItemID), (lItemID))                                                  \
  X(OnUserFieldCreated, (int32_t lFieldID), (lFieldID))                                           \
  X(OnPreDestroyUserField, (int32_t lFieldID), (lFieldID))                                        \
  X(OnUserFieldDestroyed, (int32_t lFieldID), (lFieldID))                                         \
  X(OnUserFieldAdded, (int32_t lItemID, int32_t lFieldID), (lItemID, lFieldID))                   \
  X(OnUserFieldRemoved, (int32_t lItemID, int32_t lFieldID), (lItemID, lFieldID))                 \
  X(OnUserFieldChanged, (int32_t lFieldID), (lFieldID))                                           \
  X(OnUserFieldValueChanged, (int32_t lItemID, int32_t lFieldID, const com::Variant& varValue),   \
    (lItemID, lFieldID, varValue))                                                                \
  X(OnAlbumUserFieldsChanged, (int32_t lAlbumID), (lAlbumID))                                     \
  X(OnKeywordCreated, (int32_t lKeywordID), (lKeywordID))                                         \
  X(OnPreDestroyKeyword, (int32_t lKeywordID), (lKeywordID))                                      \
  X(OnKeywordDestroyed, (int32_t lKeywordID), (lKeywordID))                                       \
  X(OnKeywordRenamed, (int32_t lKeywordID), (lKeywordID))                                         \
  X(OnKeywordsReBound, (), ())                                                                    \
  X(OnKeywordAdded, (int32_t lItemID, int32_t lKeywordID), (lItemID, lKeywordID))                 \
  X(OnKeywordRemoved, (int32_t lItemID, int32_t lKeywordID), (lItemID, lKeywordID))               \
  X(OnSearchCompleted, (), ())                                                                    \
  X(OnAlbumSortFieldChanged, (uint32_t dwSortField, int32_t lAlbumID), (dwSortField, lAlbumID))   \
  X(OnAlbumSortOrderChanged, (uint32_t dwSortOrder, int32_t lAlbumID), (dwSortOrder, lAlbumID))   \
  X(OnAlbumCustomSortChanged, (const com::Variant* pVarCustomSortData, int32_t lAlbumID),         \
    (pVarCustomSortData, lAlbumID))                                                               \
  X(OnRefreshThumbnail, (const com::Bstr& bstrItemMoniker), (bstrItemMoniker))

// The liveness probe last, as in the interface's slot order.
#define KIV_ALBUM_CORE_EVENTS(X) KIV_ALBUM_CORE_EVENTS_ONE_WAY(X) X(OnIsAlive, (), ())

class IKivAlbumCoreEvents : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKivAlbumCoreEvents";

#define KIV_DECLARE_EVENT(name, params, args) virtual HRESULT name params = 0;
  KIV_ALBUM_CORE_EVENTS(KIV_DECLARE_EVENT)
#undef KIV_DECLARE_EVENT
};

using AlbumCoreEventsPoint = com::ConnectionPoint<IKivAlbumCoreEvents>;

// A sink that fires every event it hears, unchanged, on `target`: how an
// owner passes on the events of the objects it owns.
class AlbumCoreEventsRelay : public com::ComObject, public IKivAlbumCoreEvents {
 public:
  explicit AlbumCoreEventsRelay(com::ComPtr<AlbumCoreEventsPoint> target) : target_(std::move(target)) {}

#define KIV_RELAY_EVENT(name, params, args) \
  HRESULT name params override { return target_->Fire([&](IKivAlbumCoreEvents& s) { return s.name args; }); }
  KIV_ALBUM_CORE_EVENTS(KIV_RELAY_EVENT)
#undef KIV_RELAY_EVENT

 private:
  com::ComPtr<AlbumCoreEventsPoint> target_;
};

// A sink that accepts every event and does nothing: derive from it and
// override the events of interest.
class AlbumCoreEventsSink : public com::ComObject, public IKivAlbumCoreEvents {
 public:
#define KIV_IGNORE_EVENT(name, params, args) \
  HRESULT name params override { return Ignore args; }
  KIV_ALBUM_CORE_EVENTS(KIV_IGNORE_EVENT)
#undef KIV_IGNORE_EVENT

 private:
  template <class... A>
  static HRESULT Ignore(const A&...) {
    return com::S_OK;
  }
};

}  // namespace albumcore::typelib
