#include "items/monikers/thumbnail_monikers.h"

#include "items/monikers/moniker_protocols.h"
#include "items/monikers/moniker_splitter.h"

namespace albumcore::items::monikers {

std::string ThumbnailFolderOf(std::string_view libraryPath) {
  std::string folder = MonikerSplitter(libraryPath, kSplitPath).Compose(kSplitFolder);
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  return folder;
}

std::string FillThumbnailFolder(std::string moniker, std::string_view folder) {
  std::string_view placeholder = kThumbnailFolderPlaceholder;
  size_t at = moniker.find(placeholder);
  if (at == std::string::npos) {
    placeholder = kThumbnailFolderPlaceholderOld;
    at = moniker.find(placeholder);
  }
  if (at != std::string::npos) moniker.replace(at, placeholder.size(), folder);
  return moniker;
}

bool IsTemporaryThumbnailMoniker(std::string_view thumbnailMoniker) {
  std::string marker(kTempProtocol);
  marker += kProtocolDelimiter;
  return thumbnailMoniker.find(marker) != std::string_view::npos;
}

bool HasTempProtocol(std::string_view moniker) {
  const MonikerSplitter splitter(moniker, kSplitProtocol);
  return splitter.GetProtocol() == kTempProtocol;
}

bool IsTemporaryThumbnailSource(std::string_view moniker) {
  const MonikerSplitter splitter(moniker, kSplitProtocol);
  const std::string_view protocol = splitter.GetProtocol();
  return protocol.find(kTempProtocol) != std::string_view::npos &&
         protocol.find(kSkinProtocol) == std::string_view::npos &&
         protocol.find(kDupItemHackProtocol) == std::string_view::npos;
}

bool IsThumbnailStoreMoniker(std::string_view moniker) {
  const MonikerSplitter splitter(moniker, kSplitProtocol);
  return splitter.GetProtocol() == kStorageProtocol;
}

StoreMonikerParts SplitStoreMoniker(std::string_view moniker) {
  const size_t bar = moniker.find('|');
  if (bar == std::string_view::npos) return {moniker, {}};
  return {moniker.substr(0, bar), moniker.substr(bar)};
}

bool HasGuidFileName(std::string_view moniker) {
  return MonikerSplitter(moniker, kSplitAll).Compose(kSplitName).starts_with(kGuidNamePrefix);
}

}  // namespace albumcore::items::monikers
