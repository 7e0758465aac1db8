#include "library/library_table.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <span>

#include "components/file_system/file_moniker.h"
#include "components/file_system/file_system_component.h"
#include "store/catalogue/schema_upgrade.h"
#include "typelib/kiv_album.h"
#include "typelib/kiv_album_enums.h"

namespace albumcore::library {

using com::HRESULT;

namespace {

void Log(const std::string& path, const std::string& what, HRESULT hr) {
  std::fprintf(stderr, "library %s: %s: %s\n", path.c_str(), what.c_str(), com::DescribeHresult(hr).c_str());
}

// The special albums every first open makes sure of, in this order; a
// passive open leaves out the recently imported album.
constexpr int32_t kSpecialAlbums[] = {typelib::SAT_MRU, typelib::SAT_ARCHIVE, typelib::SAT_ROOT,
                                      typelib::SAT_RECENTLYIMPORTED, typelib::SAT_CLIPBOARD};
constexpr int32_t kPassiveSpecialAlbums[] = {typelib::SAT_MRU, typelib::SAT_ARCHIVE, typelib::SAT_ROOT,
                                             typelib::SAT_CLIPBOARD};

// Whether the file starts as every SQLite file does. Another file is
// nobody's catalogue to repair: it is refused as it is.
bool HasCatalogueHeader(const std::string& path) {
  static constexpr char kMagic[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f', 'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
  char head[16] = {};
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return true;  // unreadable: the engine says why
  const size_t n = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  return n == sizeof head && std::equal(head, head + sizeof head, kMagic);
}

}  // namespace

LibraryTable::~LibraryTable() {
  while (!entries_.empty()) Remove(entries_.begin());
}

LumLibrary* LibraryTable::Find(const std::string& path) const {
  auto it = entries_.find(path);
  return it == entries_.end() ? nullptr : it->second.library.get();
}

HRESULT LibraryTable::CreateFromTemplate(const std::string& path) {
  const file_system::FileHandler* handler =
      settings_.files ? settings_.files->HandlerFor(file_system::kFileProtocol) : nullptr;
  if (handler == nullptr) return com::E_FAIL;
  if (settings_.templatePath.empty()) {
    std::fprintf(stderr, "library %s: no template catalogue is registered (DBLocation, DBName)\n", path.c_str());
    return com::E_FAIL;
  }
  HRESULT hr = handler->Delete(path);
  if (com::Failed(hr)) return Log(path, "the old file cannot be removed", hr), hr;
  hr = handler->Copy(settings_.templatePath, path);
  if (com::Failed(hr)) return Log(path, "the template " + settings_.templatePath + " cannot be copied", hr), hr;
  // A template installed read-only must not make a read-only catalogue.
  struct stat st {};
  if (stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0) chmod(path.c_str(), st.st_mode | S_IWUSR);
  // Scratch files of an earlier catalogue belong to no catalogue now.
  std::unique_ptr<file_system::FileEnumerator> scratch;
  if (handler->Enumerate(settings_.files->ScratchFolder() + "/*.kxsf;dat",
                         file_system::kEnumerateFilesOnly | file_system::kEnumerateFullPaths, scratch) == com::S_OK &&
      scratch) {
    for (std::string name; scratch->Next(name) == com::S_OK && !name.empty();) (void)handler->Delete(name);
  }
  return com::S_OK;
}

HRESULT LibraryTable::ConnectWithRecovery(LumLibrary& library, const std::string& path, bool passive) {
  HRESULT hr = library.Connect();
  if (com::Succeeded(hr)) return hr;
  if (!HasCatalogueHeader(path)) return Log(path, "the file is no catalogue; it is left as it is", hr), hr;
  Log(path, "the catalogue does not open; repairing it", hr);
  const HRESULT repaired = library.RepairDatabase(com::Bstr(path));
  if (com::Failed(repaired)) {
    if (passive) return Log(path, "the repair failed", repaired), repaired;
    Log(path, "the repair failed; making the catalogue anew from the template", repaired);
    const HRESULT created = CreateFromTemplate(path);
    if (com::Failed(created)) return created;
  }
  hr = library.Connect();
  if (com::Failed(hr)) Log(path, "the catalogue does not open", hr);
  return hr;
}

void LibraryTable::FirstOpenSteps(LumLibrary& library, bool passive) {
  com::ComPtr<com::IUnknown> database;
  if (library.get_Database(&database) == com::S_OK)
    if (auto db = com::QueryInterface<store::dao::Database>(database))
      store::catalogue::OpenTimeUpgrade(*db);  // reports its own failures
  int32_t clipboard = -1;
  for (int32_t type : passive ? std::span<const int32_t>(kPassiveSpecialAlbums) : std::span<const int32_t>(kSpecialAlbums)) {
    int32_t id = -1;
    const HRESULT hr = library.GetSpecialAlbumID(type, &id);
    if (com::Failed(hr)) Log("", "special album " + std::to_string(type), hr);
    if (type == typelib::SAT_CLIPBOARD && hr == com::S_OK) clipboard = id;
  }
  EmptyClipboard(library, clipboard);
}

void LibraryTable::EmptyClipboard(LumLibrary& library, int32_t clipboardID) {
  // What one client copied does not outlive the library's session: the
  // items stay in the catalogue, albums only the clipboard held go.
  if (clipboardID < 0) return;
  com::ComPtr<com::IUnknown> object;
  HRESULT hr = library.GetAlbum(clipboardID, &object);
  auto album = hr == com::S_OK ? com::QueryInterface<typelib::IKivAlbum>(object) : nullptr;
  if (album) hr = album->EmptyAlbumRecursively(0);
  if (com::Failed(hr) || !album) Log("", "emptying the clipboard", com::Failed(hr) ? hr : com::E_NOINTERFACE);
}

HRESULT LibraryTable::Open(const com::Bstr& bstrPath, bool passive, com::ComPtr<com::IUnknown>* out) {
  return com::CallGuard([&]() -> HRESULT {
    auto& result = com::CheckOut(out);
    result.reset();
    const std::string& path = bstrPath.str();
    if (path.empty()) return com::E_INVALIDARG;
    if (auto it = entries_.find(path); it != entries_.end()) {
      ++it->second.uses;
      result = com::ComPtr<com::IUnknown>(static_cast<typelib::IKivLibrary*>(it->second.library.get()));
      return com::S_OK;
    }
    struct stat st {};
    // An empty file holds nothing: it is made a catalogue like a missing one.
    if (stat(path.c_str(), &st) != 0 || (S_ISREG(st.st_mode) && st.st_size == 0)) {
      const HRESULT created = CreateFromTemplate(path);
      if (com::Failed(created)) return created;
    } else if (S_ISDIR(st.st_mode)) {
      Log(path, "a folder is no catalogue", com::E_INVALIDARG);
      return com::E_INVALIDARG;
    } else if (passive && (st.st_mode & S_IWUSR) == 0) {
      chmod(path.c_str(), st.st_mode | S_IWUSR);
    }
    auto library = com::MakeObject<LumLibrary>(settings_.library);
    library->put_LibMoniker(bstrPath);
    const HRESULT connected = ConnectWithRecovery(*library, path, passive);
    if (com::Failed(connected)) return connected;
    entries_.emplace(path, Entry{library, 1});
    FirstOpenSteps(*library, passive);
    result = com::ComPtr<com::IUnknown>(static_cast<typelib::IKivLibrary*>(library.get()));
    return com::S_OK;
  });
}

void LibraryTable::Remove(std::map<std::string, Entry>::iterator it) {
  com::ComPtr<LumLibrary> library = std::move(it->second.library);
  entries_.erase(it);
  library->Disconnect();
}

void LibraryTable::Close(const com::Bstr& path) {
  auto it = entries_.find(path.str());
  if (it == entries_.end()) return;
  if (--it->second.uses <= 0) Remove(it);
}

void LibraryTable::CloseEx(const com::Bstr& path) {
  auto it = entries_.find(path.str());
  if (it != entries_.end()) Remove(it);
}

void LibraryTable::Reap(std::function<void(bool anyOpen)> done) {
  // Every library is asked; the last answer closes the dead ones and
  // reports. The table may change meanwhile: a library is closed only if it
  // is still the one asked about.
  struct Round {
    LibraryTable* table;
    std::function<void(bool)> done;
    std::vector<std::pair<std::string, com::ComPtr<LumLibrary>>> dead;
    size_t waiting = 0;
  };
  auto round = std::make_shared<Round>();
  round->table = this;
  round->done = std::move(done);
  std::vector<std::pair<std::string, com::ComPtr<LumLibrary>>> asked;
  for (const auto& [path, entry] : entries_) asked.emplace_back(path, entry.library);
  round->waiting = asked.size() + 1;
  auto finish = [round] {
    if (--round->waiting > 0) return;
    for (const auto& [path, library] : round->dead) {
      auto it = round->table->entries_.find(path);
      if (it != round->table->entries_.end() && it->second.library == library) {
        std::fprintf(stderr, "library %s: every client is gone; closing it\n", path.c_str());
        round->table->Remove(it);
      }
    }
    round->done(!round->table->entries_.empty());
  };
  for (auto& [path, library] : asked) {
    library->ProbeAlive([round, finish, path = path, library = library](HRESULT hr) {
      if (com::Failed(hr)) round->dead.emplace_back(path, library);
      finish();
    });
  }
  finish();
}

}  // namespace albumcore::library
