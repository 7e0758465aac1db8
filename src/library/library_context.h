// What a library object is made with: where the machine registry lives (the
// media-type table, descriptor classes), the process's display texts and
// file-system component, the limits of clients' SQL text, the class
// registry (InitObject), and how a long job leaves the caller's thread.
#pragma once

#include <functional>
#include <string>

#include "com/class_registry.h"
#include "items/item/item_services.h"
#include "store/dao/sql_limits.h"

namespace albumcore::library {

struct LibraryContext {
  std::string registryPath;
  items::ItemServices services;
  store::dao::SqlLimits limits;
  // Null: InitObject creates nothing.
  com::ClassRegistry* classes = nullptr;
  // Runs a job that takes long (the compaction at Disconnect) where it does
  // not hold up the caller; null: at once, on the caller's thread.
  std::function<void(std::function<void()>)> runLong;
};

}  // namespace albumcore::library
