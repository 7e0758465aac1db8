// The albums of a library as albumctl shows and names them, read from the
// server once per run: the tree below the root album; beside it the bin and
// the other special albums every open makes (archive, recently imported,
// recently used with its sections, clipboard) and the devices album with
// its devices where it exists; and the four collections
// every library has, shown without their members' albums (shoebox, search
// results, all media, all albums).
//
// An album is named by its ID, by its name where one album has it, or by a
// path of names ("Trips/Alps") from a top-level album down. Albums may have
// several parents and a damaged catalogue may hold a cycle, so the tree is
// walked with a list of its own and each album read once.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "client/albums.h"
#include "library_session.h"

namespace albumcore::tools {

struct AlbumNode {
  int32_t id = -1;
  std::string name;
  int32_t count = 0;  // members: items and albums
  std::vector<int32_t> children;  // child albums, by name
  std::vector<int32_t> parents;   // among the albums read
};

class AlbumTree {
 public:
  // Reads every album reachable from the special albums, and the
  // collections.
  explicit AlbumTree(LibrarySession& session);

  // The root album, the bin, the other special albums, then the
  // collections.
  const std::vector<int32_t>& tops() const { return tops_; }
  int32_t root() const { return root_; }
  int32_t bin() const { return bin_; }
  const AlbumNode& node(int32_t id) const { return nodes_.at(id); }
  bool contains(int32_t id) const { return nodes_.count(id) != 0; }

  // The album `given` names. Raises NegativeAnswer when none has that ID,
  // name or path, and CLI::ValidationError when several have the name.
  int32_t Resolve(const std::string& given) const;
  // "Trips/Alps" for an album under the root, through its first parent.
  std::string PathOf(int32_t id) const;

  // The album object, for changes. Raises NegativeAnswer when `id` is no
  // album.
  std::unique_ptr<client::Album> Open(int32_t id) const;
  // The album object, or none when `id` is no album (a photo, nothing).
  std::unique_ptr<client::Album> OpenIfAlbum(int32_t id) const;

 private:
  // One album's name and member count; its child albums when `walk`.
  AlbumNode Read(int32_t id, bool walk) const;

  LibrarySession& session_;
  int32_t root_ = -1, bin_ = -1;
  std::vector<int32_t> tops_;
  std::map<int32_t, AlbumNode> nodes_;
};

// A status the server answered, with what albumctl was doing.
void CheckAlbumCall(com::HRESULT hr, const std::string& doing);

}  // namespace albumcore::tools
