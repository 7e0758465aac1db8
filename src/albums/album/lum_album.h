// The album classes built on AlbumBase: the plain album (LumAlbum), and the
// special albums that differ from it only by their row of the class table
// (bin, root, archive, recently used, clipboard, recently imported,
// devices) and the recently-used album's sections; and the clipboard, which
// empties itself in its own way.
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

// The clipboard holds what one client copied for another to paste. Emptying
// it empties a child album only where the clipboard is the album's single
// parent: an album copied from elsewhere keeps its contents. Every child
// album then leaves the clipboard, which destroys those it alone held.
class LumClipboard final : public AlbumBase {
 public:
  LumClipboard(const AlbumClass& albumClass, const components::StringTable* strings)
      : AlbumBase(albumClass, strings, CAT_NORMAL) {}
  com::HRESULT EmptyAlbumRecursively(int32_t bDestroyItems) override;
};

}  // namespace albumcore::albums
