#include "items/monikers/album_monikers.h"

#include "com/guid.h"

namespace albumcore::items::monikers {

namespace {
constexpr std::string_view kAlbumMonikerHead = "album::AlbumItems\\";
constexpr std::string_view kAlbumMonikerTail = ".album";
}  // namespace

std::string AlbumDataMoniker(std::string_view stem) {
  std::string moniker;
  moniker.reserve(kAlbumMonikerHead.size() + stem.size() + kAlbumMonikerTail.size());
  moniker.append(kAlbumMonikerHead).append(stem).append(kAlbumMonikerTail);
  return moniker;
}

std::string NewAlbumDataMoniker() { return AlbumDataMoniker(com::Guid::Create().ToString()); }

std::string ChooseAlbumDataMoniker(std::string_view requested, const std::function<bool(std::string_view)>& taken) {
  // A version 4 GUID repeats with odds of 2^-122: one draw is enough.
  return taken(requested) ? NewAlbumDataMoniker() : std::string(requested);
}

}  // namespace albumcore::items::monikers
