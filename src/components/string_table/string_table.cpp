#include "components/string_table/string_table.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "components/string_table/string_file.h"

namespace albumcore::components {

namespace {

namespace fs = std::filesystem;

// Language numbers are short decimal texts; anything else could walk out of
// the resource root.
bool ValidLanguage(std::string_view id) {
  return !id.empty() && id.size() <= 10 && std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool ValidFileName(std::string_view name) {
  return !name.empty() && name.size() <= 255 && name != "." && name != ".." &&
         name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// The file of that name in `folder`, exactly or else ignoring case; empty
// when there is none.
fs::path FindFile(const fs::path& folder, std::string_view name) {
  std::error_code ec;
  fs::path exact = folder / std::string(name);
  if (fs::is_regular_file(exact, ec)) return exact;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (EqualIgnoringAsciiCase(it->path().filename().native(), name) && it->is_regular_file(ec)) return it->path();
  }
  return {};
}

// The file's bytes, or false with `why` filled.
bool ReadBounded(const fs::path& path, std::string& text, std::string& why) {
  std::error_code ec;
  const uintmax_t size = fs::file_size(path, ec);
  if (ec) {
    why = ec.message();
    return false;
  }
  if (size > kMaxStringFileBytes) {
    why = "larger than " + std::to_string(kMaxStringFileBytes) + " bytes";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  text.resize(static_cast<size_t>(size));
  if (!in || !in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
    why = std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

void StringTable::Initialise(std::string resourceRoot, std::string languageId) {
  resourceRoot_ = std::move(resourceRoot);
  languageId_ = std::move(languageId);
}

std::string StringTable::LanguageFolder() const { return (fs::path(resourceRoot_) / languageId_).string(); }

com::HRESULT StringTable::LoadFile(std::string_view fileName) {
  if (resourceRoot_.empty() || !ValidLanguage(languageId_) || !ValidFileName(fileName)) {
    std::cerr << "string file \"" << fileName << "\" not loaded: the resource root \"" << resourceRoot_
              << "\", the language \"" << languageId_ << "\" or the file name is not usable\n";
    return com::E_INVALIDARG;
  }
  const fs::path folder = LanguageFolder();
  const fs::path path = FindFile(folder, fileName);
  if (path.empty()) {
    std::cerr << "string file " << (folder / std::string(fileName)).string() << " not loaded: no such file\n";
    return com::E_FAIL;
  }
  std::string text, why;
  if (!ReadBounded(path, text, why)) {
    std::cerr << "string file " << path.string() << " not loaded: " << why << "\n";
    return com::E_FAIL;
  }
  StringFileContents contents = ParseStringFile(path.string(), text);
  for (const std::string& problem : contents.problems) std::cerr << "string file " << problem << "\n";
  for (auto& [reference, display] : contents.entries) texts_.insert_or_assign(std::move(reference), std::move(display));
  return contents.problems.empty() ? com::S_OK : com::S_FALSE;
}

std::string StringTable::Resolve(std::string_view moniker) const {
  if (!moniker.starts_with(kStringRefPrefix)) return std::string(moniker);
  const std::string_view reference = moniker.substr(kStringRefPrefix.size());
  if (auto it = texts_.find(std::string(reference)); it != texts_.end()) return it->second;
  ReportMissing(reference);
  // The key alone reads best; a reference without one reads as it stands.
  const size_t point = reference.find(kSectionSeparator);
  const bool hasKey = point != std::string_view::npos && point + 1 < reference.size();
  return std::string(hasKey ? reference.substr(point + 1) : reference);
}

void StringTable::ReportMissing(std::string_view reference) const {
  std::lock_guard lock(missingMutex_);
  if (reportedMissing_.size() >= kMaxReportedMissingKeys) return;
  if (!reportedMissing_.emplace(reference).second) return;
  std::cerr << "string table: no text for \"" << kStringRefPrefix << reference << "\" in language " << languageId_;
  if (reportedMissing_.size() == kMaxReportedMissingKeys) std::cerr << " (further missing keys go unreported)";
  std::cerr << "\n";
}

}  // namespace albumcore::components
