// What the album listing benchmarks share: a catalogue with one album of
// photo items, and the listing read with SQLite alone, as a program on
// SQLite would keep it, to compare the album's own listing with.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench_catalogue.h"

namespace bench {

// A copy of the template at `path` with photos 1..items and album
// `albumId` holding them all.
inline void MakeAlbumCatalogue(const std::string& path, int items, int32_t albumId) {
  std::filesystem::copy_file(ALBUMCORE_TEMPLATE_DB, path);
  FillWithPhotos(path, items);
  sqlite3* raw = nullptr;
  sqlite3_open(path.c_str(), &raw);
  albumcore::store::jetsql::ConfigureConnection(raw);
  const std::string id = std::to_string(albumId);
  Exec(raw, "BEGIN");
  Exec(raw, "INSERT INTO AlbumItems (ItemID, ItemType, Name, ItemDataMoniker) VALUES (" + id +
                ", 9, 'Album', 'album::AlbumItems\\{6B1D4C2E-0000-4000-8000-000000000001}.album')");
  Exec(raw, "INSERT INTO Albums (AlbumID, AlbumType) VALUES (" + id + ", 0)");
  Exec(raw, "INSERT INTO AlbumContents (AlbumID, ItemID) SELECT " + id + ", ItemID FROM AlbumItems WHERE ItemType = 0");
  Exec(raw, "COMMIT");
  sqlite3_close_v2(raw);
}

// The columns of the listing, one vector each.
struct RawListing {
  std::vector<int32_t> id, type, size, bigSize, rotation, rating;
  std::vector<std::string> name, moniker, thumbMoniker, soundMoniker, notes;
  std::vector<double> dateCreated, dateModified;
  std::vector<bool> readOnly;
};

inline std::string ColumnText(sqlite3_stmt* s, int c) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
  return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(s, c))) : std::string();
}

// Runs `sql` (the translation of the listing's Jet text) and reads its
// columns, in the translation's order: ItemID, DateCreated, DateModified,
// ItemType, Name, ItemDataMoniker, Size, BigSize, ItemThumbMoniker, Note,
// SoundMoniker, Rating, ReadOnly, Rotation. False when it does not prepare.
inline bool ReadRawListing(sqlite3* db, const std::string& sql, RawListing& l) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) return false;
  while (sqlite3_step(s) == SQLITE_ROW) {
    l.id.push_back(sqlite3_column_int(s, 0));
    l.dateCreated.push_back(sqlite3_column_double(s, 1));
    l.dateModified.push_back(sqlite3_column_double(s, 2));
    l.type.push_back(sqlite3_column_int(s, 3));
    l.name.push_back(ColumnText(s, 4));
    l.moniker.push_back(ColumnText(s, 5));
    l.size.push_back(sqlite3_column_int(s, 6));
    l.bigSize.push_back(sqlite3_column_int(s, 7));
    l.thumbMoniker.push_back(ColumnText(s, 8));
    l.notes.push_back(ColumnText(s, 9));
    l.soundMoniker.push_back(ColumnText(s, 10));
    l.rating.push_back(sqlite3_column_int(s, 11));
    l.readOnly.push_back(sqlite3_column_int(s, 12) != 0);
    l.rotation.push_back(sqlite3_column_int(s, 13));
  }
  sqlite3_finalize(s);
  return true;
}

}  // namespace bench
