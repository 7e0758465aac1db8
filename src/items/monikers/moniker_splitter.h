// Splits a moniker ("file::/home/ana/a.jpg") into its parts and composes
// any selection of them again.
//
// A moniker is a protocol and a path:
//
//   protocol   the name before the first "::" ("file", "album", "temp",
//              "storage", "iTunes", ...), when that name is not empty and
//              holds no ":", "/" or "\"; otherwise one of the one-colon
//              prefixes "root:", "stringRef:", "iTunes:" at the very start.
//              The delimiter ("::" or ":") is kept as written, so composing
//              every part gives the text back. "OrvGUID:" is not a protocol:
//              it starts a file name and stays in it. A single letter and a
//              colon ("C:") is a drive, never a protocol.
//
// The path accepts "/" and "\" as separators, mixed as they come, so that
// catalogues and playlists made on Windows stay readable:
//
//   style        text                         root  directory            name  extension
//   POSIX        /home/ana/a.jpg              ""    "/home/ana/"         "a"   "jpg"
//   relative     AlbumItems\x.album           ""    "AlbumItems\"        "x"   "album"
//   drive        C:\Users\ana\a.jpg           "C:"  "\Users\ana\"        "a"   "jpg"
//   network      \\srv\share\a.jpg            ""    "\\srv\share\"       "a"   "jpg"
//
//   - root is a drive designator (an ASCII letter and ":") and nothing else,
//     so that directory + name + extension (Compose(44)) is the absolute
//     path on Linux, and a network path keeps its "\\server\share" in the
//     directory, where IsNetworkPath() looks for it;
//   - directory runs up to and including the last separator;
//   - extension is the text after the last "." of the final component, when
//     that "." is neither its first nor its last character (".profile" and
//     "a." have none); the "." belongs to neither part.
//
// The parts are bytes of the UTF-8 text: every character the rules look at
// is ASCII, so invalid UTF-8 is carried through unchanged. Nothing here
// fails, allocates beyond the size of its input, or recurses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace albumcore::items::monikers {

// The parts of a moniker, as bits. 0x10 has no part.
enum SplitFlags : uint32_t {
  kSplitProtocol = 0x01,
  kSplitRoot = 0x02,
  kSplitDirectory = 0x04,
  kSplitName = 0x08,  // file name without extension
  kSplitExtension = 0x20,

  kSplitAll = 0x2F,                                          // 47
  kSplitPath = kSplitAll & ~kSplitProtocol,                  // 46: a plain path
  kSplitFilePath = kSplitDirectory | kSplitName | kSplitExtension,  // 44
  kSplitFileName = kSplitName | kSplitExtension,              // 40
  kSplitFolder = kSplitRoot | kSplitDirectory,                // 6
};

class MonikerSplitter {
 public:
  MonikerSplitter() = default;
  MonikerSplitter(std::string_view text, uint32_t flags) { Split(text, flags); }

  // Replaces the held parts with those of `text` selected by `flags`. Without
  // kSplitProtocol the whole text is a path, however it starts.
  void Split(std::string_view text, uint32_t flags);

  // The selected parts in moniker order. Three rules make the composed text
  // usable on its own:
  //   - the protocol alone (flags == kSplitProtocol) is its name and one
  //     colon ("iTunes:" for "iTunes::x" and "iTunes:x" alike); with other
  //     parts it keeps the delimiter as written;
  //   - the extension alone is bare ("jpg"); after another part it follows a
  //     ".";
  //   - a directory composed without name and extension loses its trailing
  //     separators ("/home/ana"), unless it is nothing but separators ("/").
  std::string Compose(uint32_t flags) const;

  // The protocol name without its colons; empty when there is none.
  std::string_view GetProtocol() const { return protocol_; }
  // The directory as written, with its trailing separator.
  std::string_view GetPath() const { return Part(directory_); }
  // File name with extension, and the extension alone.
  std::string GetFileName() const { return Compose(kSplitFileName); }
  std::string_view GetExtension() const { return Part(extension_); }
  std::string_view GetRoot() const { return Part(root_); }
  std::string_view GetName() const { return Part(name_); }

  // A directory that starts with two backslashes names a network share.
  bool IsNetworkPath() const { return GetPath().starts_with("\\\\"); }

  // Replaces the protocol name; an empty name removes the protocol. A moniker
  // that had none gets "::". Refuses (false, nothing changed) a name holding
  // ":", "/" or "\", which would split differently when read back.
  bool SetProtocol(std::string_view name);

 private:
  struct Span {
    size_t begin = 0;
    size_t size = 0;
  };
  std::string_view Part(Span span) const { return std::string_view(path_).substr(span.begin, span.size); }

  std::string protocol_;
  std::string_view delimiter_;  // "::", ":" or empty; points at a literal
  std::string path_;            // the text after the protocol
  Span root_, directory_, name_, extension_;
};

}  // namespace albumcore::items::monikers
