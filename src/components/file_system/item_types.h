// Item types of media files by extension, and the list of image extensions.
//
// One table (item_types.cpp) says which item type a new item of a file gets
// from its extension; the image list is the extensions of type 0 in that
// table. Extensions match ignoring ASCII case, with or without a leading dot.
// The numbers are those the catalogue stores in AlbumItems.ItemType.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace albumcore::file_system {

// The item types a file's extension can give.
enum ItemType : int32_t {
  kItemPhoto = 0,
  kItemAudio = 2,
  kItemVideo = 3,
  kItemRecordedTv = 20,
  kItemPlaylist = 22,
  kItemDiscInformation = 24,  // a video disc's .IFO
  kItemDiscVideoObject = 25,  // a video disc's .VOB
};

// The item type of files with this extension ("jpg", ".JPG"); nullopt for an
// extension the table does not know (the caller decides what such a file is).
std::optional<int32_t> ItemTypeOfExtension(std::string_view extension);

// The extension of a path or file name ("/a/b.tar.JPG" gives "JPG"); empty
// when the last component has none. A leading dot alone (".profile") is a
// hidden name, not an extension.
std::string_view ExtensionOf(std::string_view path);

// Every extension treated as an image, upper case and without dot, in table
// order ("JPG", "JPEG", ...).
const std::vector<std::string>& ImageExtensions();

}  // namespace albumcore::file_system
