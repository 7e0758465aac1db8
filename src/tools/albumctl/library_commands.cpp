#include "library_commands.h"

#include <cstdio>
#include <iostream>

#include "display_text.h"
#include "exit_status.h"

namespace albumcore::tools {

namespace {

constexpr const char* kOpenHelp =
    "open a library in the server and keep it open after albumctl exits, until `library close`; "
    "a missing file is made from the server's template catalogue";
constexpr const char* kCloseHelp =
    "undo one `library open`: the server closes the library (and compacts its file) when no open is left";
constexpr const char* kInfoHelp = "item count, total size and database version of a library";

}  // namespace

std::string SizeText(uint64_t bytes) {
  static constexpr const char* kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
  std::string text = std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  if (bytes < 1024) return text;
  double value = static_cast<double>(bytes) / 1024;
  size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(kUnits)) value /= 1024, ++unit;
  char scaled[32];
  std::snprintf(scaled, sizeof scaled, " (%.1f %s)", value, kUnits[unit]);
  return text + scaled;
}

void AddLibraryCommands(CLI::App& app, const LibrarySession::Connect& connect) {
  auto* library = app.add_subcommand("library", "open, close and describe libraries (catalogue files) in the server");
  library->require_subcommand(1);
  library->footer(
      "Each albumctl run is a client of its own. Commands that work on a library (library info, item ..., "
      "watch) open it for their own run and close it when done; `library open` keeps a library open in the "
      "server between runs, until one `library close` for each `library open`.");
  auto path = std::make_shared<std::string>();

  auto* open = library->add_subcommand("open", kOpenHelp);
  open->add_option("path", *path, "the library's catalogue file")->required();
  open->callback([path, connect] {
    LibrarySession session(connect, *path, /*create=*/true);
    session.Keep();
    std::cout << (session.created() ? "created " : "opened ") << DisplayText(session.path())
              << (session.created() ? " from the template catalogue" : "")
              << "; it stays open in the server until `albumctl library close`\n";
  });

  auto* close = library->add_subcommand("close", kCloseHelp);
  close->add_option("path", *path, "the library's catalogue file")->required();
  close->callback([path, connect] {
    client::LibFactory factory(connect());
    const std::string absolute = LibraryPath(*path);
    const com::HRESULT hr = factory.Close(absolute);
    if (com::Failed(hr)) throw com::ComError(hr, "cannot close the library " + DisplayText(absolute));
  });

  auto* info = library->add_subcommand("info", kInfoHelp);
  info->add_option("path", *path, "the library's catalogue file")->required();
  info->callback([path, connect] {
    LibrarySession session(connect, *path);
    int32_t count = 0;
    uint64_t bytes = 0;
    com::ThrowIfFailed(session.library().TotalInfo("", count, bytes));
    int32_t version = 0;
    com::ThrowIfFailed(session.library().DatabaseVersion(version));
    std::cout << "library  " << DisplayText(session.path()) << "\n"
              << "items    " << count << "\n"
              << "size     " << SizeText(bytes) << "\n"
              << "version  " << version << "\n";
  });
}

}  // namespace albumcore::tools
