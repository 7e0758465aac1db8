// What the server reads from the data moniker of an item: its file name,
// the file-system path behind a file moniker, and the name an item made
// from a moniker alone starts with.
//
// Each function splits the whole moniker (MonikerSplitter, kSplitAll); none
// fails: a moniker that names no file gives an empty text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace albumcore::items::monikers {

// A music-library name counts only when shorter than this many UTF-16
// units, the longest path the old file functions took.
inline constexpr size_t kMusicLibraryNameLimit = 260;

// File name with extension ("a.jpg"), for the Filename column; callers
// write it only when it is not empty.
std::string FileNameOf(std::string_view moniker);

// The path without protocol ("/home/ana/a.jpg"), for the file functions.
std::string FileSystemPathOf(std::string_view moniker);

// "file::" + FileSystemPathOf(moniker): any moniker made a file moniker.
std::string FileMonikerOf(std::string_view moniker);

// "file::" + path.
std::string FileMoniker(std::string_view path);

// The name of an item created from a moniker alone: the file name with
// extension, except that a music-library moniker ("iTunes:" or "iTunes::")
// whose text after its first "|" is not empty and shorter than
// kMusicLibraryNameLimit UTF-16 units takes that text.
std::string ItemNameFromMoniker(std::string_view moniker);

// True when the protocol alone composes to "iTunes:".
bool IsMusicLibraryMoniker(std::string_view moniker);

}  // namespace albumcore::items::monikers
