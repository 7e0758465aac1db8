// Entries of a library's thumbnail store and the monikers that name them.
//
// A store moniker is "storage::" + the store file + "|" + the entry name,
// e.g. "storage::%Pixnary7%ItemThumbnails.dat|i0000042.jpg"; the
// placeholder stands for the library's thumbnail folder.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "thumbnails/thumbnail_engine.h"

namespace albumcore::thumbnails {

inline constexpr std::string_view kThumbnailStoreFileName = "ItemThumbnails.dat";
// The highest counter ChooseEntryName puts into a name.
inline constexpr int kMaxEntryNameCounter = 999;

// The store moniker of a library's own store, up to (not including) "|".
std::string DefaultStoreMoniker();

// "i" + the ID in at least seven digits + ".jpg": i0000042.jpg for 42.
std::string DefaultEntryName(int32_t itemID);

// The name a new thumbnail of item `itemID` gets. Without a previous entry
// name: DefaultEntryName. Otherwise the previous name when `taken` says it
// is free, else the first free "<stem><n>.<extension>" for n = 1 ... 999; all
// taken: the previous name, written over.
//
// A stem of the default form followed by a counter ("i00000421") counts
// from the default stem ("i0000042"), so that saving one item again and
// again alternates between two names instead of growing one.
std::string ChooseEntryName(int32_t itemID, std::string_view previousName,
                            const std::function<bool(std::string_view)>& taken);

// The entry a store moniker names, with the store as a file-system path;
// none when the moniker is no store moniker or names no entry (no "|" or
// nothing after it). The placeholder must be filled in already.
std::optional<StoreEntry> EntryOf(std::string_view storeMoniker);

}  // namespace albumcore::thumbnails
