#include "item_commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iostream>

#include "IKivItem_proxy.h"
#include "client/items.h"
#include "com/oadate.h"
#include "components/file_system/item_types.h"
#include "display_text.h"
#include "exit_status.h"
#include "item_texts.h"
#include "library_commands.h"

namespace albumcore::tools {

namespace {

namespace fs = std::filesystem;

// The item types a library counts as media (its albums are 8 to 16).
constexpr const char* kMediaItems = "(ItemType < 8 OR ItemType > 16)";

struct ItemArgs {
  std::string library;
  std::vector<std::string> paths;
  int32_t id = 0;
  std::string field;
  std::string value;
};

void AddLibraryOption(CLI::App* command, ItemArgs& args) {
  command->add_option("--library", args.library, "the library's catalogue file (opened for this run)")
      ->required()
      ->envname("ALBUMCTL_LIBRARY");
}

// A status the server answered, with what albumctl was doing.
void Check(com::HRESULT hr, const std::string& doing) {
  if (com::Failed(hr)) throw com::ComError(hr, "cannot " + doing);
}

// --- import ---------------------------------------------------------------

struct ImportFile {
  std::string path;  // absolute
  int32_t type = 0;
};

struct ImportPlan {
  std::vector<ImportFile> files;
  size_t skipped = 0;          // files in folders that are no media type
  std::vector<std::string> refused;  // named files that cannot be imported, with why
};

// The files to import: each named file, and every file under each named
// folder (symbolic links to folders are not followed), in name order.
ImportPlan PlanImport(const std::vector<std::string>& paths) {
  ImportPlan plan;
  auto consider = [&](const fs::path& file, bool named) {
    const std::string path = fs::absolute(file).lexically_normal().string();
    const auto type = file_system::ItemTypeOfExtension(file_system::ExtensionOf(path));
    if (type) {
      plan.files.push_back({path, *type});
    } else if (named) {
      plan.refused.push_back(DisplayText(path) + ": not a kind of media file a library holds");
    } else {
      ++plan.skipped;
    }
  };
  for (const std::string& given : paths) {
    std::error_code error;
    const fs::file_status status = fs::status(given, error);
    if (fs::is_directory(status)) {
      std::vector<fs::path> found;
      for (fs::recursive_directory_iterator it(given, fs::directory_options::skip_permission_denied, error), end;
           !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error)) found.push_back(it->path());
      }
      if (error) plan.refused.push_back(DisplayText(given) + ": cannot be read whole: " + error.message());
      std::sort(found.begin(), found.end());
      for (const fs::path& file : found) consider(file, false);
    } else if (fs::is_regular_file(status)) {
      consider(given, true);
    } else {
      plan.refused.push_back(DisplayText(given) + (fs::exists(status) ? ": not a file" : ": no such file"));
    }
  }
  return plan;
}

// What CreateItem is given before the server reads the file itself.
client::NewItem NewItemFor(const ImportFile& file) {
  client::NewItem item;
  item.type = file.type;
  item.moniker = kFileProtocol + file.path;
  item.name = fs::path(file.path).filename().string();
  struct stat st {};
  const double modified = stat(file.path.c_str(), &st) == 0 ? 25569.0 + static_cast<double>(st.st_mtime) / 86400.0
                                                            : com::NowUtcOaDate();
  item.dateCreated = com::Variant::Date(modified);
  item.dateModified = com::Variant::Date(modified);
  const auto size = static_cast<uint64_t>(st.st_size);
  item.size = static_cast<int32_t>(static_cast<uint32_t>(size));
  item.bigSize = static_cast<int32_t>(static_cast<uint32_t>(size >> 32));
  return item;
}

// One line on a terminal that each file overwrites; nothing elsewhere.
class Progress {
 public:
  Progress() : shown_(isatty(STDERR_FILENO) == 1) {}
  ~Progress() { Clear(); }
  void Show(size_t done, size_t total, const std::string& path) {
    if (!shown_) return;
    std::string name = DisplayText(fs::path(path).filename().string());
    if (name.size() > 50) name = name.substr(0, 47) + "...";
    std::cerr << "\r\033[K" << "importing " << done << "/" << total << ": " << name << std::flush;
  }
  // Prints a message on a line of its own.
  void Say(const std::string& message) {
    Clear();
    std::cerr << message << "\n";
  }
  void Clear() {
    if (shown_) std::cerr << "\r\033[K" << std::flush;
  }

 private:
  bool shown_;
};

void Import(const LibrarySession::Connect& connect, const ItemArgs& args) {
  const ImportPlan plan = PlanImport(args.paths);
  size_t created = 0, already = 0, failed = plan.refused.size();
  for (const std::string& refusal : plan.refused) std::cerr << "albumctl: " << refusal << "\n";
  if (!plan.files.empty()) {
    LibrarySession session(connect, args.library);
    com::ComPtr<client::RemoteObject> object;
    Check(session.library().ItemCollection(object), "reach the library's items");
    client::ItemCollection collection(session.sharedSession(), object);
    Progress progress;
    for (size_t i = 0; i < plan.files.size(); ++i) {
      const ImportFile& file = plan.files[i];
      progress.Show(i + 1, plan.files.size(), file.path);
      int32_t id = -1;
      const com::HRESULT hr = collection.CreateItem(NewItemFor(file), id);
      if (hr == com::S_FALSE) {
        ++already;
        continue;
      }
      if (com::Failed(hr)) {
        ++failed;
        progress.Say("albumctl: " + DisplayText(file.path) + ": not imported: " + com::DescribeHresult(hr));
        continue;
      }
      // The item's size, dates and picture facts come from the file itself.
      std::unique_ptr<client::Item> item;
      com::HRESULT filled = collection.InstantiateItem(id, item);
      if (com::Succeeded(filled) && item) filled = item->FillFromFile();
      if (com::Failed(filled) || !item) {
        ++failed;
        progress.Say("albumctl: " + DisplayText(file.path) + ": recorded as item " + std::to_string(id) +
                     ", but the file could not be read: " + com::DescribeHresult(com::Failed(filled) ? filled : com::E_FAIL));
        continue;
      }
      ++created;
    }
  }
  std::cout << "created " << created << ", already there " << already << ", failed " << failed;
  if (plan.skipped > 0) std::cout << " (" << plan.skipped << " files of no media type left out)";
  std::cout << "\n";
  if (failed > 0) throw ToldFailure();
  if (plan.files.empty()) throw NegativeAnswer("no media files to import");
}

// --- list -----------------------------------------------------------------

struct Listing {
  std::vector<com::Variant> ids, types, names, sizes, bigSizes, ratings, monikers;
};

std::vector<com::Variant> Column(client::Library& library, const std::string& column) {
  com::Variant values;
  Check(library.EnumerateFieldValues("SELECT " + column + " FROM AlbumItems WHERE " + kMediaItems +
                                         " ORDER BY ItemID",
                                     values),
        "list the library's items");
  std::vector<com::Variant> read;
  if (!values.isArray() || values.array().dimensions() != 1) return read;
  const com::SafeArray& rows = values.array();
  for (int64_t i = rows.lowerBound(); i <= rows.upperBound(); ++i) read.push_back(rows.get(static_cast<int32_t>(i)));
  return read;
}

// The columns of every media item, read one by one: the IDs are read again
// last, and while another client changed the items meanwhile, all of it is
// read again.
Listing ReadListing(client::Library& library) {
  for (int attempt = 0;; ++attempt) {
    Listing l;
    l.ids = Column(library, "ItemID");
    l.types = Column(library, "ItemType");
    l.names = Column(library, "Name");
    l.sizes = Column(library, "Size");
    l.bigSizes = Column(library, "BigSize");
    l.ratings = Column(library, "Rating");
    l.monikers = Column(library, "ItemDataMoniker");
    const size_t n = l.ids.size();
    const bool whole = l.types.size() == n && l.names.size() == n && l.sizes.size() == n &&
                       l.bigSizes.size() == n && l.ratings.size() == n && l.monikers.size() == n;
    if ((whole && Column(library, "ItemID") == l.ids) || attempt == 4) {
      if (!whole) throw LocalFailure("the items kept changing while they were listed; try again");
      return l;
    }
  }
}

int32_t NumberOr0(const com::Variant& v) { return v.isNull() || v.isEmpty() ? 0 : v.ToI4(); }
std::string TextOf(const com::Variant& v) { return v.isNull() || v.isEmpty() ? "" : v.ToString(); }

void List(const LibrarySession::Connect& connect, const ItemArgs& args) {
  LibrarySession session(connect, args.library);
  const Listing l = ReadListing(session.library());
  if (l.ids.empty()) {
    std::cerr << "no items in " << DisplayText(session.path()) << "\n";
    return;
  }
  std::printf("%8s  %-11s %12s  %6s  %-30s %s\n", "ID", "TYPE", "BYTES", "RATING", "NAME", "FILE");
  for (size_t i = 0; i < l.ids.size(); ++i) {
    const uint64_t bytes = (uint64_t{static_cast<uint32_t>(NumberOr0(l.bigSizes[i]))} << 32) |
                           static_cast<uint32_t>(NumberOr0(l.sizes[i]));
    std::printf("%8d  %-11s %12llu  %6d  %-30s %s\n", NumberOr0(l.ids[i]), TypeName(NumberOr0(l.types[i])).c_str(),
                static_cast<unsigned long long>(bytes), NumberOr0(l.ratings[i]),
                DisplayText(TextOf(l.names[i])).c_str(), ShownMoniker(TextOf(l.monikers[i])).c_str());
  }
}

// --- show, set ------------------------------------------------------------

// The note is not in the client's item proxy; the generated one reads it.
class NoteProxy final : public sdbus::ProxyInterfaces<::com::orvane::KIVALBUMCORELib::IKivItem_proxy> {
 public:
  NoteProxy(client::Session& session, const std::string& path)
      : ProxyInterfaces(session.connection(), session.serverName(), path) {
    registerProxy();
  }
  ~NoteProxy() { unregisterProxy(); }
};

std::unique_ptr<client::Item> FindItem(LibrarySession& session, int32_t id) {
  com::ComPtr<client::RemoteObject> object;
  const com::HRESULT hr = session.library().GetItem(id, object);
  if (!object) {
    if (com::Failed(hr) && hr != com::E_INVALIDARG) Check(hr, "find item " + std::to_string(id));
    throw NegativeAnswer("no item " + std::to_string(id) + " in " + DisplayText(session.path()));
  }
  return std::make_unique<client::Item>(session.sharedSession(), std::move(object));
}

void Show(const LibrarySession::Connect& connect, const ItemArgs& args) {
  LibrarySession session(connect, args.library);
  auto item = FindItem(session, args.id);
  std::string name, moniker, properties;
  int32_t type = 0, rating = 0;
  Check(item->Name(name), "read the item's name");
  Check(item->Type(type), "read the item's type");
  Check(item->Moniker(moniker), "read the item's file");
  Check(item->Rating(rating), "read the item's rating");
  auto [noteRead, note] = client::CallServer(session.session(), [&] {
    return NoteProxy(session.session(), item->object()->path()).get_Note();
  });
  Check(static_cast<com::HRESULT>(noteRead), "read the item's note");
  std::cout << "id        " << args.id << "\n"
            << "name      " << DisplayText(name) << "\n"
            << "type      " << TypeName(type) << "\n"
            << "file      " << ShownMoniker(moniker) << "\n"
            << "rating    " << rating << "\n"
            << "note      " << DisplayText(note) << "\n";
  int32_t width = 0, height = 0;
  if (item->PhotoSize(width, height) == com::S_OK && width > 0)
    std::cout << "picture   " << width << " x " << height << " pixels\n";
  if (item->PropertyString(properties) == com::S_OK && !properties.empty())
    std::cout << "details   " << DisplayText(properties) << "\n";
}

void Set(const LibrarySession::Connect& connect, const ItemArgs& args) {
  int32_t rating = 0;
  if (args.field == "rating") {
    const char* end = args.value.data() + args.value.size();
    auto [stop, ec] = std::from_chars(args.value.data(), end, rating);
    if (ec != std::errc() || stop != end) throw CLI::ValidationError("VALUE", "a rating is a whole number: " + args.value);
  }
  LibrarySession session(connect, args.library);
  auto item = FindItem(session, args.id);
  const std::string what = "set the " + args.field + " of item " + std::to_string(args.id);
  if (args.field == "name") {
    Check(item->SetName(args.value), what);
  } else if (args.field == "rating") {
    Check(item->SetRating(rating), what);
  } else {
    const uint32_t hr = client::CallServer(session.session(), [&] {
      return NoteProxy(session.session(), item->object()->path()).put_Note(args.value);
    });
    Check(static_cast<com::HRESULT>(hr), what);
  }
}

}  // namespace

void AddItemCommands(CLI::App& app, const LibrarySession::Connect& connect) {
  auto* item = app.add_subcommand("item", "import files into a library and look at or change its items");
  item->require_subcommand(1);
  item->footer("Each command opens the library named by --library for its own run (it must exist: "
               "`albumctl library open PATH` makes one) and closes it when done.");
  auto args = std::make_shared<ItemArgs>();

  auto* import = item->add_subcommand(
      "import", "record files in the library: each file named, and every media file under each folder named");
  import->add_option("paths", args->paths, "files and folders")->required();
  AddLibraryOption(import, *args);
  import->footer("Prints a summary (created, already there, failed); exits 4 when any file failed.");
  import->callback([args, connect] { Import(connect, *args); });

  auto* list = item->add_subcommand("list", "every media item of the library: ID, type, size, rating, name, file");
  AddLibraryOption(list, *args);
  list->callback([args, connect] { List(connect, *args); });

  auto* show = item->add_subcommand("show", "one item: name, type, file, rating, note, picture size, details");
  show->add_option("id", args->id, "the item's ID (see `item list`)")->required();
  AddLibraryOption(show, *args);
  show->callback([args, connect] { Show(connect, *args); });

  auto* set = item->add_subcommand("set", "change an item's name, rating or note");
  set->add_option("id", args->id, "the item's ID (see `item list`)")->required();
  set->add_option("field", args->field, "what to change")->required()->check(CLI::IsMember({"name", "rating", "note"}));
  set->add_option("value", args->value, "the new name or note, or the rating as a whole number")->required();
  AddLibraryOption(set, *args);
  set->callback([args, connect] { Set(connect, *args); });
}

}  // namespace albumcore::tools
