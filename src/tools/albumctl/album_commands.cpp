#include "album_commands.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <iostream>

#include "album_tree.h"
#include "display_text.h"
#include "exit_status.h"
#include "item_texts.h"
#include "typelib/kiv_album.h"
#include "typelib/kiv_album_enums.h"

namespace albumcore::tools {

namespace {

struct AlbumArgs {
  std::string library;
  std::string album;
  std::string name;
  std::string parent;
  std::vector<int32_t> items;
  std::string sort = "name";
  bool descending = false;
  std::vector<std::string> types;
};

// The sort names `album items` accepts, in the listing's own order.
const std::map<std::string, typelib::enumNaxSortField> kSortFields = {
    {"none", typelib::NAX_SORT_NONE},       {"name", typelib::NAX_SORT_NAME},
    {"size", typelib::NAX_SORT_SIZE},       {"created", typelib::NAX_SORT_DATECREATED},
    {"modified", typelib::NAX_SORT_DATEMODIFIED}, {"type", typelib::NAX_SORT_TYPE},
    {"file", typelib::NAX_SORT_FILENAME},   {"rating", typelib::NAX_SORT_RATING}};

void AddLibraryOption(CLI::App* command, AlbumArgs& args) {
  command->add_option("--library", args.library, "the library's catalogue file (opened for this run)")
      ->required()
      ->envname("ALBUMCTL_LIBRARY");
}

// "\"Trips/Alps\" (12)": how messages name an album; one outside the tree
// (a special album the library keeps apart) by its ID alone.
std::string Named(const AlbumTree& tree, int32_t id) {
  if (!tree.contains(id)) return "album " + std::to_string(id);
  return "\"" + DisplayText(tree.PathOf(id)) + "\" (" + std::to_string(id) + ")";
}

// A new name: the tree names albums by paths, so a name holds no "/".
void CheckNewName(const std::string& name) {
  if (name.find_first_not_of(" \t") == std::string::npos) throw CLI::ValidationError("NAME", "an album needs a name");
  if (name.find('/') != std::string::npos)
    throw CLI::ValidationError("NAME", "an album name cannot hold \"/\" (albumctl names albums by paths)");
}

// The root, the bin and the library's other special albums (recently used,
// archive, ...) belong where the library keeps them.
bool IsSpecial(client::Album& album, int32_t id) {
  int32_t type = -1;
  CheckAlbumCall(album.SpecialType(type), "read album " + std::to_string(id));
  return type != -1;
}

void RefuseSpecial(const AlbumTree& tree, int32_t id, const std::string& doing) {
  if (IsSpecial(*tree.Open(id), id)) throw NegativeAnswer(Named(tree, id) + " is a special album: it cannot be " + doing);
}

// --- tree ----------------------------------------------------------------

void PrintBranch(const AlbumTree& tree, int32_t id, const std::string& indent, bool last, bool top,
                 std::set<int32_t>& shown) {
  // An album with several parents is shown under each, its albums once.
  const AlbumNode& node = tree.node(id);
  const bool again = !shown.insert(id).second;
  std::cout << indent << (top ? "" : last ? "└─ " : "├─ ") << DisplayText(node.name) << "  #" << id << "  "
            << node.count << (node.count == 1 ? " member" : " members") << (again ? "  (shown above)" : "") << "\n";
  if (again) return;
  // Deep trees are walked with a list of their own.
  struct Level {
    int32_t id;
    std::string indent;
    size_t next = 0;
  };
  std::vector<Level> stack{{id, top ? "" : indent + (last ? "   " : "│  ")}};
  while (!stack.empty()) {
    Level& level = stack.back();
    const auto& children = tree.node(level.id).children;
    if (level.next == children.size()) {
      stack.pop_back();
      continue;
    }
    const int32_t child = children[level.next++];
    const bool lastChild = level.next == children.size();
    const AlbumNode& c = tree.node(child);
    const bool seen = !shown.insert(child).second;
    std::cout << level.indent << (lastChild ? "└─ " : "├─ ") << DisplayText(c.name) << "  #" << child << "  "
              << c.count << (c.count == 1 ? " member" : " members") << (seen ? "  (shown above)" : "") << "\n";
    if (!seen) stack.push_back({child, level.indent + (lastChild ? "   " : "│  ")});
  }
}

void Tree(const LibrarySession::Connect& connect, const AlbumArgs& args) {
  LibrarySession session(connect, args.library);
  const AlbumTree tree(session);
  std::set<int32_t> shown;
  for (int32_t top : tree.tops()) PrintBranch(tree, top, "", true, true, shown);
}

// --- items ---------------------------------------------------------------

client::ListingRequest RequestFor(const AlbumArgs& args) {
  client::ListingRequest request;
  request.sortField = kSortFields.at(args.sort);
  request.descending = args.descending;
  for (const std::string& word : args.types) {
    const auto type = TypeNamed(word);
    if (!type) throw CLI::ValidationError("--type", "no item type \"" + DisplayText(word) + "\" (photo, audio, video, album, playlist, or a number)");
    request.typeFilter += (request.typeFilter.empty() ? "" : ",") + std::to_string(*type);
  }
  return request;
}

void Items(const LibrarySession::Connect& connect, const AlbumArgs& args) {
  const client::ListingRequest request = RequestFor(args);
  LibrarySession session(connect, args.library);
  const AlbumTree tree(session);
  const int32_t id = tree.Resolve(args.album);
  client::AlbumListing l;
  const com::HRESULT hr = tree.Open(id)->Items(request, l);
  if (hr == com::E_MESSAGE_EXCEEDS_MAX_SIZE)
    throw com::ComError(hr, Named(tree, id) + " holds too many items to list in one reply; list fewer with --type");
  CheckAlbumCall(hr, "list album " + std::to_string(id));
  if (l.size() == 0) {
    std::cerr << "no items in " << Named(tree, id) << "\n";
    return;
  }
  std::printf("%8s  %-11s %12s  %6s  %-30s %s\n", "ID", "TYPE", "BYTES", "RATING", "NAME", "FILE");
  for (size_t i = 0; i < l.size(); ++i) {
    const uint64_t bytes = (uint64_t{static_cast<uint32_t>(l.bigSizes[i])} << 32) | static_cast<uint32_t>(l.sizes[i]);
    std::printf("%8d  %-11s %12llu  %6d  %-30s %s\n", l.ids[i], TypeName(l.types[i]).c_str(),
                static_cast<unsigned long long>(bytes), l.ratings[i], DisplayText(l.names[i]).c_str(),
                l.types[i] == kAlbumItemType ? "" : ShownMoniker(l.monikers[i]).c_str());
  }
}

// --- create, rename, move -------------------------------------------------

void Create(const LibrarySession::Connect& connect, const AlbumArgs& args) {
  CheckNewName(args.name);
  LibrarySession session(connect, args.library);
  const AlbumTree tree(session);
  const int32_t parent = args.parent.empty() ? tree.root() : tree.Resolve(args.parent);
  if (parent == tree.bin()) throw NegativeAnswer("the bin holds no albums");
  int32_t id = -1;
  CheckAlbumCall(session.library().CreateAlbum(args.name, parent, id), "create album \"" + DisplayText(args.name) + "\"");
  std::cout << "created album " << id << " \"" << DisplayText(args.name) << "\" in " << Named(tree, parent) << "\n";
}

void Rename(const LibrarySession::Connect& connect, const AlbumArgs& args) {
  CheckNewName(args.name);
  LibrarySession session(connect, args.library);
  const AlbumTree tree(session);
  const int32_t id = tree.Resolve(args.album);
  auto album = tree.Open(id);
  bool may = false;
  CheckAlbumCall(album->CanRename(may), "rename album " + std::to_string(id));
  if (!may) throw NegativeAnswer(Named(tree, id) + " keeps its name");
  CheckAlbumCall(album->SetName(args.name), "rename album " + std::to_string(id));
  std::cout << "renamed " << Named(tree, id) << " to \"" << DisplayText(args.name) << "\"\n";
}

void Move(const LibrarySession::Connect& connect, const AlbumArgs& args) {
  LibrarySession session(connect, args.library);
  const AlbumTree tree(session);
  const int32_t id = tree.Resolve(args.album);
  const int32_t to = tree.Resolve(args.parent);
  RefuseSpecial(tree, id, "moved");
  if (to == tree.bin()) throw NegativeAnswer("the bin holds no albums");
  std::vector<int32_t> parents;
  CheckAlbumCall(tree.Open(id)->ParentAlbums(parents), "read the parents of album " + std::to_string(id));
  const bool alreadyThere = std::find(parents.begin(), parents.end(), to) != parents.end();
  if (alreadyThere && parents.size() == 1) throw NegativeAnswer(Named(tree, id) + " is already in " + Named(tree, to));
  if (!alreadyThere) {
    auto target = tree.Open(to);
    const com::HRESULT eligible = target->IsEligible(id);
    CheckAlbumCall(eligible, "move album " + std::to_string(id));
    if (eligible == com::S_FALSE)
      throw NegativeAnswer(Named(tree, id) + " cannot go into " + Named(tree, to) + ": it would hold itself");
    // In the new parent first: taken from its last parent, an album is destroyed.
    const com::HRESULT added = target->Add(id);
    CheckAlbumCall(added, "put album " + std::to_string(id) + " into album " + std::to_string(to));
    if (added == com::S_FALSE) throw NegativeAnswer(Named(tree, to) + " does not take albums");
  }
  for (int32_t parent : parents) {
    if (parent != to)
      CheckAlbumCall(tree.Open(parent)->Remove(id), "take album " + std::to_string(id) + " out of album " + std::to_string(parent));
  }
  std::cout << "moved " << Named(tree, id) << " into " << Named(tree, to) << "\n";
}

// --- add, remove ----------------------------------------------------------

// One line per item that did not go as asked, a summary, and the exit status
// of the worst outcome.
struct Outcome {
  size_t done = 0, refused = 0, failed = 0;
  void Finish(const char* doneWord) const {
    std::cout << doneWord << " " << done << ", refused " << refused << ", failed " << failed << "\n";
    if (failed > 0) throw ToldFailure();
    if (done == 0) throw NegativeAnswer("nothing changed");
  }
};

// Why an existing item may not go into `album` (empty when it may). Albums
// go into albums only where they leave no cycle, and special albums stay
// where the library keeps them (taken out again, one would be destroyed).
std::string WhyNotIn(const AlbumTree& tree, client::Album& album, int32_t id, int32_t item) {
  const auto asAlbum = tree.OpenIfAlbum(item);
  if (asAlbum) {
    if (IsSpecial(*asAlbum, item)) return "it is a special album";
    if (id == tree.bin()) return "the bin holds no albums";
  }
  const com::HRESULT eligible = album.IsEligible(item);
  CheckAlbumCall(eligible, "check item " + std::to_string(item));
  if (eligible == com::S_FALSE) return asAlbum ? "it would hold itself" : "the album does not take it";
  return "";
}

void Add(const LibrarySession::Connect& connect, const AlbumArgs& args) {
  LibrarySession session(connect, args.library);
  const AlbumTree tree(session);
  const int32_t id = tree.Resolve(args.album);
  auto album = tree.Open(id);
  Outcome outcome;
  for (int32_t item : args.items) {
    com::ComPtr<client::RemoteObject> found;
    const com::HRESULT exists = session.library().GetItem(item, found);
    if (!found) {
      ++(com::Failed(exists) && exists != com::E_INVALIDARG ? outcome.failed : outcome.refused);
      std::cerr << "albumctl: no item " << item << "\n";
      continue;
    }
    // A member already in says so rather than counting as added (the
    // shoebox holds every item from the start).
    if (album->IsInAlbum(item) == com::S_OK) {
      ++outcome.refused;
      std::cerr << "albumctl: item " << item << " is already in " << Named(tree, id) << "\n";
      continue;
    }
    if (const std::string why = WhyNotIn(tree, *album, id, item); !why.empty()) {
      ++outcome.refused;
      std::cerr << "albumctl: item " << item << " cannot go into " << Named(tree, id) << ": " << why << "\n";
      continue;
    }
    const com::HRESULT hr = album->Add(item);
    if (hr == com::S_OK) {
      ++outcome.done;
    } else if (hr == com::S_FALSE) {
      ++outcome.refused;
      std::cerr << "albumctl: item " << item << " cannot go into " << Named(tree, id) << "\n";
    } else {
      ++outcome.failed;
      std::cerr << "albumctl: item " << item << " not added: " << com::DescribeHresult(hr) << "\n";
    }
  }
  outcome.Finish("added");
}

void Remove(const LibrarySession::Connect& connect, const AlbumArgs& args) {
  LibrarySession session(connect, args.library);
  const AlbumTree tree(session);
  const int32_t id = tree.Resolve(args.album);
  auto album = tree.Open(id);
  // These collections hold what the library holds: what leaves them leaves
  // the library.
  const bool destroys =
      id == typelib::kShoeboxAlbumId || id == typelib::kAllFilesAlbumId || id == typelib::kAllAlbumsAlbumId;
  Outcome outcome;
  for (int32_t item : args.items) {
    if (album->IsInAlbum(item) != com::S_OK) {
      ++outcome.refused;
      std::cerr << "albumctl: item " << item << " is not in " << Named(tree, id) << "\n";
      continue;
    }
    // An album with no other parent goes with it: say so, it cannot be undone.
    const bool lastParent = tree.contains(item) && tree.node(item).parents == std::vector<int32_t>{id};
    const com::HRESULT hr = album->Remove(item);
    if (com::Failed(hr)) {
      ++outcome.failed;
      std::cerr << "albumctl: item " << item << " not removed: " << com::DescribeHresult(hr) << "\n";
      continue;
    }
    if (lastParent && !destroys) std::cout << "destroyed album " << Named(tree, item) << ": it had no other parent\n";
    ++outcome.done;
  }
  outcome.Finish(destroys ? "destroyed" : "removed");
}

void EmptyBin(const LibrarySession::Connect& connect, const AlbumArgs& args) {
  LibrarySession session(connect, args.library);
  int32_t bin = -1;
  CheckAlbumCall(session.library().SpecialAlbumId(typelib::SAT_BIN, bin), "find the bin");
  com::ComPtr<client::RemoteObject> object;
  CheckAlbumCall(session.library().GetAlbum(bin, object), "reach the bin");
  if (!object) throw LocalFailure("the library hands out no bin");
  client::Album album(session.sharedSession(), object);
  int32_t count = 0;
  CheckAlbumCall(album.Count(count), "count the bin's items");
  CheckAlbumCall(album.EmptyRecursively(true), "empty the bin");
  int32_t left = 0;
  CheckAlbumCall(album.Count(left), "count the bin's items");
  std::cout << "destroyed " << count - left << (count - left == 1 ? " item" : " items") << " from the bin\n";
  if (left > 0) {
    std::cerr << "albumctl: " << left << " items stay in the bin\n";
    throw ToldFailure();
  }
}

}  // namespace

void AddAlbumCommands(CLI::App& app, const LibrarySession::Connect& connect) {
  auto* album = app.add_subcommand("album", "look at a library's albums and change them");
  album->require_subcommand(1);
  album->footer("ALBUM is an album's ID, its name where one album has it, or its path of names from a top-level "
                "album (\"Trips/Alps\"); `album tree` shows them. Each command opens the library named by "
                "--library for its own run and closes it when done.");
  auto args = std::make_shared<AlbumArgs>();

  auto* tree = album->add_subcommand(
      "tree", "the album tree below the root album, the bin and the other special albums, then the collections "
              "(shoebox, all media, all albums, search results): names, IDs, members");
  AddLibraryOption(tree, *args);
  tree->callback([args, connect] { Tree(connect, *args); });

  auto* items = album->add_subcommand("items", "an album's items: ID, type, size, rating, name, file");
  items->add_option("album", args->album, "the album")->required();
  std::vector<std::string> sortNames;
  for (const auto& [name, field] : kSortFields) sortNames.push_back(name);
  items->add_option("--sort", args->sort, "the column to sort by (default name)")->check(CLI::IsMember(sortNames));
  items->add_flag("--desc", args->descending, "sort descending");
  items->add_option("--type", args->types, "only items of these types (photo, audio, video, album, playlist, or numbers)")
      ->delimiter(',');
  AddLibraryOption(items, *args);
  items->callback([args, connect] { Items(connect, *args); });

  auto* create = album->add_subcommand("create", "make an album, under the root album or under --parent");
  create->add_option("name", args->name, "the new album's name")->required();
  create->add_option("--parent", args->parent, "the album to make it in");
  AddLibraryOption(create, *args);
  create->callback([args, connect] { Create(connect, *args); });

  auto* rename = album->add_subcommand("rename", "give an album another name");
  rename->add_option("album", args->album, "the album")->required();
  rename->add_option("name", args->name, "its new name")->required();
  AddLibraryOption(rename, *args);
  rename->callback([args, connect] { Rename(connect, *args); });

  auto* move = album->add_subcommand("move", "move an album, out of all its parents, into another album");
  move->add_option("album", args->album, "the album to move")->required();
  move->add_option("--to", args->parent, "the album to move it into")->required();
  AddLibraryOption(move, *args);
  move->callback([args, connect] { Move(connect, *args); });

  auto* add = album->add_subcommand("add", "put items into an album");
  add->add_option("album", args->album, "the album")->required();
  add->add_option("items", args->items, "item IDs (see `item list`)")->required();
  AddLibraryOption(add, *args);
  add->callback([args, connect] { Add(connect, *args); });

  auto* remove = album->add_subcommand(
      "remove", "take items out of an album (an album taken out of its only parent is destroyed with it; what leaves "
                "the shoebox, all media or all albums leaves the library)");
  remove->add_option("album", args->album, "the album")->required();
  remove->add_option("items", args->items, "item IDs")->required();
  AddLibraryOption(remove, *args);
  remove->callback([args, connect] { Remove(connect, *args); });

  auto* emptyBin = album->add_subcommand("empty-bin", "destroy every item in the bin");
  AddLibraryOption(emptyBin, *args);
  emptyBin->callback([args, connect] { EmptyBin(connect, *args); });
}

}  // namespace albumcore::tools
