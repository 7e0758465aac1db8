#include "albums/album/lum_album.h"

namespace albumcore::albums {

com::HRESULT LumClipboard::EmptyAlbumRecursively(int32_t bDestroyItems) {
  return com::CallGuard([&] {
    for (int32_t child : Ids("EnumerateChildAlbums", "album_id", id())) {
      const std::vector<int32_t> parents = Ids("EnumerateParentAlbums", "item_id", child);
      if (parents.size() == 1 && parents.front() == id()) EmptyChildAlbum(child, bDestroyItems);
      Remove(child);
    }
    EmptyChildItems(bDestroyItems);
  });
}

}  // namespace albumcore::albums
