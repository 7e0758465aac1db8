// Monikers on the thumbnail side: the thumbnail folder of a library and its
// placeholders, temporary sources, and thumbnail store entries.
//
// A thumbnail moniker may hold "%Pixnary7%" or "%PixnaryX%" where the
// thumbnail folder belongs; the folder is the library database's folder with
// one separator after it. None of these functions fails.
#pragma once

#include <string>
#include <string_view>

namespace albumcore::items::monikers {

inline constexpr std::string_view kThumbnailFolderPlaceholder = "%Pixnary7%";
inline constexpr std::string_view kThumbnailFolderPlaceholderOld = "%PixnaryX%";

// The folder of the library database path (split as a plain path, no
// protocol), ending in exactly one separator: "/" is added unless the
// folder already ends in one ("/", "C:\"). A path without a folder gives an
// empty text, so a placeholder becomes a relative name rather than the root
// of the file system.
std::string ThumbnailFolderOf(std::string_view libraryPath);

// Replaces the first "%Pixnary7%" or, when there is none, the first
// "%PixnaryX%" with `folder`. Case-sensitive; other occurrences stay.
std::string FillThumbnailFolder(std::string moniker, std::string_view folder);

// A thumbnail moniker holding "temp::" anywhere is never kept as an item's
// final thumbnail.
bool IsTemporaryThumbnailMoniker(std::string_view thumbnailMoniker);

// A moniker whose protocol is exactly "temp" keeps its thumbnail source when
// the thumbnail is made again.
bool HasTempProtocol(std::string_view moniker);

// A source the thumbnail generator reads through its plain path: a protocol
// containing "temp" and neither "skin" nor "dupitemhack".
bool IsTemporaryThumbnailSource(std::string_view moniker);

// An entry of a thumbnail store: the protocol is exactly "storage".
bool IsThumbnailStoreMoniker(std::string_view moniker);

// A store moniker's two halves: the store up to its first "|", the entry
// from the "|" on (empty when there is no "|").
struct StoreMonikerParts {
  std::string_view store;
  std::string_view entry;
};
StoreMonikerParts SplitStoreMoniker(std::string_view moniker);

// True when the file name without extension starts with "OrvGUID:": such an
// item never gets a generated thumbnail.
bool HasGuidFileName(std::string_view moniker);

}  // namespace albumcore::items::monikers
