#include "album_tree.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <deque>
#include <optional>
#include <tuple>

#include "display_text.h"
#include "exit_status.h"
#include "typelib/kiv_album.h"
#include "typelib/kiv_album_enums.h"

namespace albumcore::tools {

namespace {

// Special album types, in the order the tree shows them. The devices album
// comes after them where it exists: asking for it by type would make it in
// a library that has no devices.
constexpr int32_t kShownSpecialTypes[] = {typelib::SAT_ROOT,           typelib::SAT_BIN, typelib::SAT_ARCHIVE,
                                          typelib::SAT_RECENTLYIMPORTED, typelib::SAT_MRU, typelib::SAT_CLIPBOARD};
const std::string kDevicesAlbumQuery =
    "SELECT AlbumID FROM SpecialAlbums WHERE Type = " + std::to_string(typelib::SAT_DEVICES);
// The collections, by their reserved IDs, in the order the tree shows them.
constexpr int32_t kCollections[] = {typelib::kShoeboxAlbumId, typelib::kAllFilesAlbumId, typelib::kAllAlbumsAlbumId,
                                    typelib::kSearchResultsAlbumId};
// No catalogue a person keeps has more albums; a walk stops there.
constexpr size_t kMostAlbums = 100000;

std::optional<int32_t> NumberIn(const std::string& text) {
  int32_t number = 0;
  const char* end = text.data() + text.size();
  auto [stop, ec] = std::from_chars(text.data(), end, number);
  if (ec != std::errc() || stop != end) return std::nullopt;
  return number;
}

std::vector<std::string> PathParts(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', start)) {
    parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  parts.push_back(path.substr(start));
  return parts;
}

}  // namespace

void CheckAlbumCall(com::HRESULT hr, const std::string& doing) {
  if (com::Failed(hr)) throw com::ComError(hr, "cannot " + doing);
}

std::unique_ptr<client::Album> AlbumTree::OpenIfAlbum(int32_t id) const {
  com::ComPtr<client::RemoteObject> object;
  const com::HRESULT hr = session_.library().GetAlbum(id, object);
  if (!object) {
    if (com::Failed(hr) && hr != com::E_INVALIDARG) CheckAlbumCall(hr, "reach album " + std::to_string(id));
    return nullptr;
  }
  return std::make_unique<client::Album>(session_.sharedSession(), std::move(object));
}

std::unique_ptr<client::Album> AlbumTree::Open(int32_t id) const {
  auto album = OpenIfAlbum(id);
  if (!album) throw NegativeAnswer("no album " + std::to_string(id) + " in " + DisplayText(session_.path()));
  return album;
}

AlbumNode AlbumTree::Read(int32_t id, bool walk) const {
  auto album = Open(id);
  AlbumNode node;
  node.id = id;
  const std::string doing = "read album " + std::to_string(id);
  CheckAlbumCall(album->Name(node.name), doing);
  CheckAlbumCall(album->Count(node.count), doing);
  if (walk) CheckAlbumCall(album->ChildAlbums(node.children), doing);
  return node;
}

AlbumTree::AlbumTree(LibrarySession& session) : session_(session) {
  for (int32_t type : kShownSpecialTypes) {
    int32_t id = -1;
    CheckAlbumCall(session.library().SpecialAlbumId(type, id), "find the library's special albums");
    tops_.push_back(id);
  }
  root_ = tops_[0];
  bin_ = tops_[1];
  com::Variant devices;
  CheckAlbumCall(session.library().EnumerateFieldValues(kDevicesAlbumQuery, devices), "look for the devices album");
  if (devices.isArray() && devices.array().size() > 0) tops_.push_back(devices.array().get(0).ToI4());
  std::deque<int32_t> pending(tops_.begin(), tops_.end());
  while (!pending.empty() && nodes_.size() < kMostAlbums) {
    const int32_t id = pending.front();
    pending.pop_front();
    if (nodes_.count(id) != 0) continue;
    AlbumNode node = Read(id, /*walk=*/true);
    for (int32_t child : node.children) pending.push_back(child);
    nodes_[id] = std::move(node);
  }
  // A collection holds every album of its kind: its own albums would repeat
  // the tree.
  for (int32_t id : kCollections) {
    nodes_[id] = Read(id, /*walk=*/false);
    tops_.push_back(id);
  }
  for (auto& [id, node] : nodes_) {
    std::erase_if(node.children, [&](int32_t child) { return nodes_.count(child) == 0; });
    for (int32_t child : node.children) nodes_[child].parents.push_back(id);
  }
  for (auto& [id, node] : nodes_) {
    std::sort(node.children.begin(), node.children.end(), [&](int32_t a, int32_t b) {
      return std::tie(nodes_[a].name, a) < std::tie(nodes_[b].name, b);
    });
  }
}

int32_t AlbumTree::Resolve(const std::string& given) const {
  if (auto id = NumberIn(given)) {
    if (contains(*id)) return *id;
    Open(*id);  // an album outside the tree, or NegativeAnswer
    return *id;
  }
  const std::vector<std::string> parts = PathParts(given);
  std::vector<int32_t> found;
  for (const auto& [id, node] : nodes_) {
    if (node.name != parts.back()) continue;
    // Up the parents, one name at a time; the first name must be a top-level
    // album (a child of the root) when a path is given.
    std::vector<int32_t> level{id};
    for (size_t i = parts.size() - 1; i > 0 && !level.empty(); --i) {
      std::vector<int32_t> up;
      for (int32_t at : level)
        for (int32_t parent : nodes_.at(at).parents)
          if (nodes_.at(parent).name == parts[i - 1]) up.push_back(parent);
      level = std::move(up);
    }
    const bool fromTop = parts.size() == 1 ||
                         std::any_of(level.begin(), level.end(), [&](int32_t top) {
                           const auto& p = nodes_.at(top).parents;
                           return std::find(p.begin(), p.end(), root()) != p.end();
                         });
    if (!level.empty() && fromTop) found.push_back(id);
  }
  if (found.empty()) throw NegativeAnswer("no album named \"" + DisplayText(given) + "\" in " + DisplayText(session_.path()));
  if (found.size() > 1) {
    std::string ids;
    for (int32_t id : found) ids += (ids.empty() ? "" : ", ") + std::to_string(id);
    throw CLI::ValidationError("ALBUM", "\"" + DisplayText(given) + "\" names " + std::to_string(found.size()) +
                                            " albums (IDs " + ids + "); name one by its ID or its path");
  }
  return found.front();
}

std::string AlbumTree::PathOf(int32_t id) const {
  std::string path = nodes_.count(id) != 0 ? nodes_.at(id).name : std::to_string(id);
  std::vector<int32_t> seen{id};
  for (int32_t at = id; nodes_.count(at) != 0 && !nodes_.at(at).parents.empty();) {
    at = nodes_.at(at).parents.front();
    if (at == root() || std::find(seen.begin(), seen.end(), at) != seen.end()) break;
    seen.push_back(at);
    path = nodes_.at(at).name + "/" + path;
  }
  return path;
}

}  // namespace albumcore::tools
