#include "components/file_system/item_types.h"

#include <cctype>

namespace albumcore::file_system {

namespace {

struct ExtensionType {
  std::string_view extension;  // lower case, no dot
  int32_t itemType;
};

// What a Linux desktop holds, by kind. Camera raw files are photos: they are
// the pictures a camera took, whatever program develops them. ".ts" is the
// transport stream a television recorder writes; camcorders' AVCHD streams
// (".mts", ".m2ts") are plain video.
constexpr ExtensionType kTable[] = {
    // Photos and other still images.
    {"jpg", kItemPhoto}, {"jpeg", kItemPhoto}, {"jpe", kItemPhoto}, {"jfif", kItemPhoto},
    {"png", kItemPhoto}, {"apng", kItemPhoto}, {"gif", kItemPhoto}, {"tif", kItemPhoto}, {"tiff", kItemPhoto},
    {"webp", kItemPhoto}, {"heic", kItemPhoto}, {"heif", kItemPhoto}, {"hif", kItemPhoto}, {"avif", kItemPhoto},
    {"jxl", kItemPhoto}, {"jp2", kItemPhoto}, {"j2k", kItemPhoto}, {"bmp", kItemPhoto}, {"dib", kItemPhoto},
    {"ico", kItemPhoto}, {"pcx", kItemPhoto}, {"tga", kItemPhoto}, {"psd", kItemPhoto}, {"svg", kItemPhoto},
    {"pbm", kItemPhoto}, {"pgm", kItemPhoto}, {"ppm", kItemPhoto}, {"pnm", kItemPhoto}, {"exr", kItemPhoto},
    {"hdr", kItemPhoto},
    // Camera raw files.
    {"cr2", kItemPhoto}, {"cr3", kItemPhoto}, {"crw", kItemPhoto}, {"nef", kItemPhoto}, {"nrw", kItemPhoto},
    {"arw", kItemPhoto}, {"srf", kItemPhoto}, {"sr2", kItemPhoto}, {"dng", kItemPhoto}, {"orf", kItemPhoto},
    {"rw2", kItemPhoto}, {"raf", kItemPhoto}, {"pef", kItemPhoto}, {"srw", kItemPhoto}, {"x3f", kItemPhoto},
    {"3fr", kItemPhoto}, {"iiq", kItemPhoto}, {"mrw", kItemPhoto}, {"kdc", kItemPhoto}, {"dcr", kItemPhoto},
    {"erf", kItemPhoto}, {"mos", kItemPhoto}, {"rwl", kItemPhoto},
    // Audio.
    {"mp3", kItemAudio}, {"mp2", kItemAudio}, {"flac", kItemAudio}, {"ogg", kItemAudio}, {"oga", kItemAudio},
    {"opus", kItemAudio}, {"spx", kItemAudio}, {"m4a", kItemAudio}, {"m4b", kItemAudio}, {"aac", kItemAudio},
    {"wav", kItemAudio}, {"wave", kItemAudio}, {"aif", kItemAudio}, {"aiff", kItemAudio}, {"aifc", kItemAudio},
    {"wma", kItemAudio}, {"ape", kItemAudio}, {"wv", kItemAudio}, {"mka", kItemAudio}, {"ac3", kItemAudio},
    {"dts", kItemAudio}, {"mpc", kItemAudio}, {"alac", kItemAudio}, {"amr", kItemAudio}, {"au", kItemAudio},
    {"mid", kItemAudio}, {"midi", kItemAudio}, {"dsf", kItemAudio},
    // Video.
    {"mp4", kItemVideo}, {"m4v", kItemVideo}, {"mkv", kItemVideo}, {"webm", kItemVideo}, {"avi", kItemVideo},
    {"mov", kItemVideo}, {"qt", kItemVideo}, {"mpg", kItemVideo}, {"mpeg", kItemVideo}, {"mpe", kItemVideo},
    {"m1v", kItemVideo}, {"m2v", kItemVideo}, {"mts", kItemVideo}, {"m2ts", kItemVideo}, {"wmv", kItemVideo},
    {"asf", kItemVideo}, {"flv", kItemVideo}, {"ogv", kItemVideo}, {"3gp", kItemVideo}, {"3g2", kItemVideo},
    {"divx", kItemVideo}, {"dv", kItemVideo}, {"f4v", kItemVideo},
    // Recorded television.
    {"ts", kItemRecordedTv}, {"tsv", kItemRecordedTv}, {"wtv", kItemRecordedTv}, {"dvr-ms", kItemRecordedTv},
    // Playlists.
    {"m3u", kItemPlaylist}, {"m3u8", kItemPlaylist}, {"pls", kItemPlaylist}, {"xspf", kItemPlaylist},
    {"wpl", kItemPlaylist}, {"asx", kItemPlaylist}, {"wax", kItemPlaylist}, {"wvx", kItemPlaylist},
    // A video disc's files.
    {"ifo", kItemDiscInformation}, {"vob", kItemDiscVideoObject},
};

// Longer than any extension of the table: not worth comparing.
constexpr size_t kMaxExtension = 8;

bool EqualsLower(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != lower[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<int32_t> ItemTypeOfExtension(std::string_view extension) {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  if (extension.empty() || extension.size() > kMaxExtension) return std::nullopt;
  for (const ExtensionType& row : kTable) {
    if (EqualsLower(extension, row.extension)) return row.itemType;
  }
  return std::nullopt;
}

std::string_view ExtensionOf(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  return name.substr(dot + 1);
}

const std::vector<std::string>& ImageExtensions() {
  static const std::vector<std::string> list = [] {
    std::vector<std::string> out;
    for (const ExtensionType& row : kTable) {
      if (row.itemType != kItemPhoto) continue;
      std::string upper(row.extension);
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      out.push_back(std::move(upper));
    }
    return out;
  }();
  return list;
}

}  // namespace albumcore::file_system
