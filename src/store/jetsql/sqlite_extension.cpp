// Entry points of the loadable extension: `.load libalbumcore_sqlite_ext` in
// the sqlite3 shell registers JETNOCASE, Jet's like() and the jet_ functions.
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

#include "store/jetsql/sqlite_functions.h"

extern "C" {

__attribute__((visibility("default"))) int sqlite3_extension_init(sqlite3* db, char** errorMessage,
                                                                   const sqlite3_api_routines* api) {
  SQLITE_EXTENSION_INIT2(api);
  (void)errorMessage;
  return albumcore::store::jetsql::RegisterJetFunctions(db);
}

// The name the shell derives from the file name libalbumcore_sqlite_ext.
__attribute__((visibility("default"))) int sqlite3_albumcoresqliteext_init(sqlite3* db, char** errorMessage,
                                                                          const sqlite3_api_routines* api) {
  return sqlite3_extension_init(db, errorMessage, api);
}

}
