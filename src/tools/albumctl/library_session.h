// The library one albumctl run works on.
//
// Each run is a client of its own, and the server keeps a library open for
// as many opens as were not closed. So a command that works on a library
// opens it for its own run and closes that open again when it is done: a
// library nobody else holds open is closed (and its file compacted) by the
// server at the end of the command. `library open` keeps its open past the
// run (Keep), so that the library stays open in the server, with its
// caches, until `library close`.
//
// Paths are made absolute and free of "." and ".." and symbolic links
// before they reach the server, which compares them exactly and runs in
// another working folder.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "client/lib_factory.h"
#include "client/library.h"

namespace albumcore::tools {

// The path albumctl hands the server for `given`.
std::string LibraryPath(const std::string& given);

class LibrarySession {
 public:
  using Connect = std::function<std::shared_ptr<client::Session>()>;

  // Opens the library at `path` for this run. Raises LibraryNotFound when no
  // file is there (unless `create`: then the server makes it from its
  // template), TransportError when the server cannot be reached, and
  // ComError, with the reason in words, when the server refuses the file.
  LibrarySession(const Connect& connect, const std::string& path, bool create = false);
  // Closes this run's open, unless kept.
  ~LibrarySession();
  LibrarySession(const LibrarySession&) = delete;
  LibrarySession& operator=(const LibrarySession&) = delete;

  // Leaves this run's open in place when albumctl ends.
  void Keep() { kept_ = true; }

  client::Library& library() { return *library_; }
  client::Session& session() { return *session_; }
  const std::shared_ptr<client::Session>& sharedSession() { return session_; }
  const std::string& path() const { return path_; }
  // Whether the server made the file from its template for this open.
  bool created() const { return created_; }

 private:
  std::string path_;
  std::shared_ptr<client::Session> session_;
  std::unique_ptr<client::LibFactory> factory_;
  std::unique_ptr<client::Library> library_;
  bool created_ = false;
  bool kept_ = false;
};

}  // namespace albumcore::tools
