// The open libraries of the process, by catalogue path: what the factory
// hands out. Every client that opens one path gets the one library object
// and its one session; a use count says how many opens are not closed yet.
//
// Open, for a path not open yet: a missing file is made from the template
// catalogue (through the file-system component's "file::" handler; the
// scratch files go after); `passive` opens clear the file's read-only bits
// instead. The library connects; when it cannot, the file is repaired and,
// for an ordinary open, made anew from the template when the repair fails
// too; then the library connects once more or the open fails with its
// status, leaving no entry. The first-open steps then run: the file's
// schema is brought up to date and the special albums are asked for.
//
// Close lowers the use count and closes the library when it reaches 0;
// CloseEx closes it whatever the count (clients that still hold it keep a
// disconnected object); Reap closes every library whose subscribed
// clients are all gone. Closing disconnects the library, which compacts the
// file where the library's context runs long jobs. Paths compare exactly
// (Linux paths are case-sensitive).
//
// Bad paths get the status of the step that fails, and a line on stderr
// with the path and the cause: a folder, a file that is no catalogue, a
// folder that does not exist, a read-only medium, a file another process
// holds. Main loop only.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "com/unknown.h"
#include "com/variant.h"
#include "library/library_context.h"
#include "library/lum_library.h"

namespace albumcore::file_system {
class FileSystemComponent;
}

namespace albumcore::library {

struct LibraryTableSettings {
  LibraryContext library;          // every library is made with it
  std::string templatePath;        // empty: no catalogue can be made
  const file_system::FileSystemComponent* files = nullptr;  // null: none can be made
};

class LibraryTable {
 public:
  explicit LibraryTable(LibraryTableSettings settings) : settings_(std::move(settings)) {}
  ~LibraryTable();
  LibraryTable(const LibraryTable&) = delete;
  LibraryTable& operator=(const LibraryTable&) = delete;

  com::HRESULT Open(const com::Bstr& path, bool passive, com::ComPtr<com::IUnknown>* library);
  void Close(const com::Bstr& path);
  void CloseEx(const com::Bstr& path);
  // Asks every library whether a client still listens, closes those whose
  // clients are gone, then calls `done` with whether any library is still
  // open (remote answers arrive on the main loop; `done` may run later).
  void Reap(std::function<void(bool anyOpen)> done);

  size_t size() const noexcept { return entries_.size(); }
  // The open library of `path`, or null.
  LumLibrary* Find(const std::string& path) const;

 private:
  struct Entry {
    com::ComPtr<LumLibrary> library;
    int32_t uses = 1;
  };

  // Makes `path` from the template; *created set on success.
  com::HRESULT CreateFromTemplate(const std::string& path);
  com::HRESULT ConnectWithRecovery(LumLibrary& library, const std::string& path, bool passive);
  void FirstOpenSteps(LumLibrary& library, bool passive);
  // Empties the clipboard album (its items stay in the catalogue).
  void EmptyClipboard(LumLibrary& library, int32_t clipboardID);
  void Remove(std::map<std::string, Entry>::iterator it);

  LibraryTableSettings settings_;
  std::map<std::string, Entry> entries_;
};

}  // namespace albumcore::library
