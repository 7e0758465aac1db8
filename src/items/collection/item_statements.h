// The lookups of every item creation and instantiation, translated once per
// connection and run with parameters, so that a creation costs the
// statements and not their translation.
#pragma once

#include "com/variant.h"
#include "store/dao/database.h"
#include "store/dao/querydef.h"

namespace albumcore::items {

struct ItemStatements {
  explicit ItemStatements(store::dao::Database& db)
      : byMoniker(db.CreateQueryDef("", "SELECT * FROM AlbumItems WHERE ItemDataMoniker = [moniker];")),
        byFileId(db.CreateQueryDef("", "SELECT * FROM AlbumItems WHERE AlbumItems.FileUniqueID = [file_id];")),
        typeOf(db.CreateQueryDef(
            "", "SELECT DISTINCT AlbumItems.ItemType FROM AlbumItems WHERE AlbumItems.ItemID = [item_id];")) {}

  // The rows of `query` for its one parameter (a dynaset: the moniker
  // lookup also inserts).
  static com::ComPtr<store::dao::Recordset> Open(store::dao::QueryDef& query, const com::Variant& value) {
    query.Parameters(0).SetValue(value);
    return query.OpenRecordset(store::dao::dbOpenDynaset);
  }

  com::ComPtr<store::dao::QueryDef> byMoniker;
  com::ComPtr<store::dao::QueryDef> byFileId;
  com::ComPtr<store::dao::QueryDef> typeOf;
};

}  // namespace albumcore::items
