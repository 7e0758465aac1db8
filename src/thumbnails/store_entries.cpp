#include "thumbnails/store_entries.h"

#include <algorithm>
#include <cstdio>

#include "items/monikers/file_monikers.h"
#include "items/monikers/moniker_protocols.h"
#include "items/monikers/thumbnail_monikers.h"

namespace albumcore::thumbnails {

namespace monikers = items::monikers;

namespace {

constexpr std::string_view kEntryExtension = "jpg";

std::string DefaultStem(int32_t itemID) {
  char stem[16];
  std::snprintf(stem, sizeof stem, "i%07d", static_cast<int>(itemID));
  return stem;
}

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string DefaultStoreMoniker() {
  std::string moniker(monikers::kStorageProtocol);
  moniker.append(monikers::kProtocolDelimiter)
      .append(monikers::kThumbnailFolderPlaceholder)
      .append(kThumbnailStoreFileName);
  return moniker;
}

std::string DefaultEntryName(int32_t itemID) {
  return DefaultStem(itemID).append(".").append(kEntryExtension);
}

std::string ChooseEntryName(int32_t itemID, std::string_view previousName,
                            const std::function<bool(std::string_view)>& taken) {
  if (previousName.empty()) return DefaultEntryName(itemID);
  if (!taken(previousName)) return std::string(previousName);

  // The point that starts the extension: not the first character, not the
  // last.
  const size_t point = previousName.rfind('.');
  const bool hasExtension = point != std::string_view::npos && point > 0 && point + 1 < previousName.size();
  std::string_view stem = hasExtension ? previousName.substr(0, point) : previousName;
  const std::string_view extension = hasExtension ? previousName.substr(point + 1) : std::string_view();

  const std::string ownStem = DefaultStem(itemID);
  if (stem.starts_with(ownStem)) {
    const std::string_view counter = stem.substr(ownStem.size());
    if (!counter.empty() && counter.size() <= 3 && AllDigits(counter)) stem = stem.substr(0, ownStem.size());
  }

  for (int n = 1; n <= kMaxEntryNameCounter; ++n) {
    std::string candidate(stem);
    candidate += std::to_string(n);
    if (hasExtension) candidate.append(".").append(extension);
    if (!taken(candidate)) return candidate;
  }
  return std::string(previousName);
}

std::optional<StoreEntry> EntryOf(std::string_view storeMoniker) {
  if (!monikers::IsThumbnailStoreMoniker(storeMoniker)) return std::nullopt;
  const monikers::StoreMonikerParts parts = monikers::SplitStoreMoniker(storeMoniker);
  if (parts.entry.size() <= 1) return std::nullopt;  // no "|", or nothing after it
  return StoreEntry{monikers::FileSystemPathOf(parts.store), std::string(parts.entry.substr(1))};
}

}  // namespace albumcore::thumbnails
