// The album classes built on AlbumBase: the plain album (LumAlbum), and the
// special albums that differ from it only by their row of the class table
// (bin, root, archive, recently used, clipboard, recently imported,
// devices) and the recently-used album's sections.
#pragma once

#include "albums/album/album_base.h"

namespace albumcore::albums {

class LumAlbum final : public AlbumBase {
 public:
  static constexpr std::string_view kClassName = "LumAlbum";
  LumAlbum(const components::StringTable* strings, int32_t customType)
      : AlbumBase(PlainAlbumClass(), strings, customType) {}
};

class LumSpecialAlbum final : public AlbumBase {
 public:
  LumSpecialAlbum(const AlbumClass& albumClass, const components::StringTable* strings)
      : AlbumBase(albumClass, strings, CAT_NORMAL) {}
};

}  // namespace albumcore::albums
