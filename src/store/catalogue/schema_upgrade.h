// Bringing a catalogue made by an earlier version up to the current layout.
//
// Nothing compares version numbers: each step adds one object (a table, a
// column, a relation, stored queries) and is skipped silently when the
// object is already there, so the steps are safe to repeat and a step that
// failed half-way is completed by a later open. No failure of a step
// reaches the caller.
//
//   ConnectTimeUpgrade  run by every library connect: the memo user-field
//                       table and its four stored queries.
//   OpenTimeUpgrade     run once per open by the factory: the device-item
//                       table, AudioItem.AlbumArtist, Albums.AlbumIcon, the
//                       relation Rel1, Albums.AlbumType, the wider
//                       AlbumItems.FileUniqueID and the device-item queries.
//                       (Views that the upgrade adds belong to the smart-view
//                       manager and are added there.)
#pragma once

#include "store/dao/database.h"

namespace albumcore::store::catalogue {

void ConnectTimeUpgrade(dao::Database& db) noexcept;
void OpenTimeUpgrade(dao::Database& db) noexcept;

// The version the catalogue records in Misc: S_OK with it, or S_FALSE with
// 1 when Misc has no row; E_POINTER for a null `version`.
com::HRESULT OpenDatabaseVersion(dao::Database& db, int32_t* version);

}  // namespace albumcore::store::catalogue
