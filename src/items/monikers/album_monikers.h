// Data monikers of albums: "album::AlbumItems\<stem>.album".
//
// The four special albums have fixed stems; a user album whose requested
// moniker is taken gets a fresh GUID as its stem, so that every album record
// keeps a moniker of its own. These are names, not paths on disk: they keep
// the backslash every catalogue has always stored, or exact comparison with
// older catalogues would fail.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace albumcore::items::monikers {

inline constexpr std::string_view kShoeboxAlbumStem = "Shoebox";
inline constexpr std::string_view kAllFilesAlbumStem = "AllFiles";
inline constexpr std::string_view kAllCollectionsAlbumStem = "AllCollections";
inline constexpr std::string_view kSearchResultsAlbumStem = "SearchResults";

// "album::AlbumItems\" + stem + ".album".
std::string AlbumDataMoniker(std::string_view stem);

// An album moniker with a new random GUID in registry form (braced,
// upper-case, 38 characters) as its stem.
std::string NewAlbumDataMoniker();

// The moniker a new album record gets: the requested one when `taken` says
// no record holds it yet, else a new GUID moniker. `taken` asks the
// catalogue and may raise; its failure passes through.
std::string ChooseAlbumDataMoniker(std::string_view requested, const std::function<bool(std::string_view)>& taken);

}  // namespace albumcore::items::monikers
