// The string-table component: the display texts of one language, loaded
// from string files (string_file.h) and looked up by "stringRef:" monikers.
//
// Files live in <resource root>/<language>/<file name>. A file name is found
// exactly, else ignoring ASCII case (the registry spells the media-type file
// "AlbumCoreStrings.XML"). A later file's text replaces an earlier one's for
// the same key.
//
// Failure: nothing throws. LoadFile reports every problem on stderr with the
// file's path and line, and answers S_OK (all loaded), S_FALSE (loaded, but
// parts were skipped), E_INVALIDARG (no usable root, language or file name)
// or E_FAIL (the file is missing, unreadable or larger than
// kMaxStringFileBytes). Resolve never fails: a key no file defines gives a
// text a person can still read and is reported once.
//
// Loading belongs to process start; Resolve may then be called from any
// thread.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "com/hresult.h"

namespace albumcore::components {

inline constexpr std::string_view kStringTableClsid = "{E8A238C8-E304-4F37-B41E-84F0EFDB5FCE}";
inline constexpr std::string_view kStringRefPrefix = "stringRef:";
inline constexpr size_t kMaxStringFileBytes = 4 * 1024 * 1024;
// Missing keys remembered for reporting once; past this, misses go unreported.
inline constexpr size_t kMaxReportedMissingKeys = 1024;

class StringTable {
 public:
  // `languageId` is a decimal language number ("1033").
  void Initialise(std::string resourceRoot, std::string languageId);

  com::HRESULT LoadFile(std::string_view fileName);

  // The display text of "stringRef:Section.Key". A key no file defines gives
  // the key itself ("Key"); a text without the prefix is already a display
  // text and comes back unchanged.
  std::string Resolve(std::string_view moniker) const;

  // Whether a file defined "Section.Key".
  bool Has(std::string_view reference) const { return texts_.contains(std::string(reference)); }
  size_t size() const { return texts_.size(); }

  // The folder the files of the language are read from.
  std::string LanguageFolder() const;

 private:
  void ReportMissing(std::string_view reference) const;

  std::string resourceRoot_;
  std::string languageId_;
  std::unordered_map<std::string, std::string> texts_;

  mutable std::mutex missingMutex_;
  mutable std::unordered_set<std::string> reportedMissing_;
};

}  // namespace albumcore::components
