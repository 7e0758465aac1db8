#include "items/monikers/file_monikers.h"

#include "com/text.h"
#include "items/monikers/moniker_protocols.h"
#include "items/monikers/moniker_splitter.h"

namespace albumcore::items::monikers {

std::string FileNameOf(std::string_view moniker) { return MonikerSplitter(moniker, kSplitAll).Compose(kSplitFileName); }

std::string FileSystemPathOf(std::string_view moniker) {
  return MonikerSplitter(moniker, kSplitAll).Compose(kSplitFilePath);
}

std::string FileMoniker(std::string_view path) {
  std::string moniker;
  moniker.reserve(kFileProtocol.size() + kProtocolDelimiter.size() + path.size());
  moniker.append(kFileProtocol).append(kProtocolDelimiter).append(path);
  return moniker;
}

std::string FileMonikerOf(std::string_view moniker) { return FileMoniker(FileSystemPathOf(moniker)); }

bool IsMusicLibraryMoniker(std::string_view moniker) {
  return MonikerSplitter(moniker, kSplitProtocol).Compose(kSplitProtocol) == kMusicLibraryProtocolText;
}

std::string ItemNameFromMoniker(std::string_view moniker) {
  const MonikerSplitter splitter(moniker, kSplitAll);
  if (splitter.Compose(kSplitProtocol) == kMusicLibraryProtocolText) {
    if (const size_t bar = moniker.find('|'); bar != std::string_view::npos) {
      const std::string_view display = moniker.substr(bar + 1);
      if (!display.empty() && com::Utf16Length(display) < kMusicLibraryNameLimit) return std::string(display);
    }
  }
  return splitter.Compose(kSplitFileName);
}

}  // namespace albumcore::items::monikers
