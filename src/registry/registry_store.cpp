#include "registry/registry_store.h"

#include <utility>

#include "registry/file_lock.h"
#include "registry/reg_file_format.h"

namespace albumcore::registry {

RegistryStore::RegistryStore(std::string path, FileSystem& fileSystem)
    : path_(std::move(path)), fileSystem_(fileSystem) {}

RegStatus RegistryStore::Fail(RegStatus status, std::string message) {
  lastError_ = std::move(message);
  return status;
}

// Brings the cache up to date with the file. With `force` the file is read
// even when its identity did not change (writes do this under the lock).
RegStatus RegistryStore::Load(bool force) {
  std::string error;
  if (!force && loaded_) {
    FileStamp now;
    if (!StatFile(path_, now, error)) return Fail(RegStatus::IoError, error);
    if (now == stamp_) return loadStatus_ == RegStatus::Ok ? RegStatus::Ok : Fail(loadStatus_, loadError_);
  }
  loaded_ = false;
  std::string content;
  FileStamp stamp;
  if (!ReadWholeFile(path_, content, stamp, error)) return Fail(RegStatus::IoError, error);
  Hive hive;
  loadStatus_ = ParseRegFile(content, path_, hive, loadError_) ? RegStatus::Ok : RegStatus::Malformed;
  hive_ = loadStatus_ == RegStatus::Ok ? std::move(hive) : Hive();
  stamp_ = stamp;
  loaded_ = true;
  return loadStatus_ == RegStatus::Ok ? RegStatus::Ok : Fail(loadStatus_, loadError_);
}

template <class Read>
RegStatus RegistryStore::ReadWith(Read&& read) {
  if (RegStatus s = Load(false); s != RegStatus::Ok) return s;
  RegStatus status = read(std::as_const(hive_));
  return status == RegStatus::Ok ? status : Fail(status, RegStatusName(status));
}

RegStatus RegistryStore::KeyExists(std::string_view keyPath) {
  return ReadWith([&](const Hive& h) { return h.FindKey(keyPath) ? RegStatus::Ok : RegStatus::NotFound; });
}

RegStatus RegistryStore::ReadString(std::string_view keyPath, std::string_view valueName, std::string& out) {
  return ReadWith([&](const Hive& h) { return h.GetString(keyPath, valueName, out); });
}

RegStatus RegistryStore::ReadDword(std::string_view keyPath, std::string_view valueName, uint32_t& out) {
  return ReadWith([&](const Hive& h) { return h.GetDword(keyPath, valueName, out); });
}

RegStatus RegistryStore::ListSubkeys(std::string_view keyPath, std::vector<std::string>& out) {
  return ReadWith([&](const Hive& h) { return h.GetSubkeyNames(keyPath, out); });
}

RegStatus RegistryStore::ListValues(std::string_view keyPath, std::vector<RegValueInfo>& out) {
  return ReadWith([&](const Hive& h) { return h.GetValueInfos(keyPath, out); });
}

RegStatus RegistryStore::CreateKey(std::string_view keyPath) {
  return Edit([&](Hive& h) { return h.CreateKey(keyPath); });
}

RegStatus RegistryStore::DeleteKey(std::string_view keyPath) {
  return Edit([&](Hive& h) { return h.DeleteKey(keyPath); });
}

RegStatus RegistryStore::WriteString(std::string_view keyPath, std::string_view valueName, std::string_view text) {
  return Edit([&](Hive& h) { return h.SetString(keyPath, valueName, text); });
}

RegStatus RegistryStore::WriteDword(std::string_view keyPath, std::string_view valueName, uint32_t value) {
  return Edit([&](Hive& h) { return h.SetDword(keyPath, valueName, value); });
}

RegStatus RegistryStore::DeleteValue(std::string_view keyPath, std::string_view valueName) {
  return Edit([&](Hive& h) { return h.DeleteValue(keyPath, valueName); });
}

RegStatus RegistryStore::Edit(const std::function<RegStatus(Hive&)>& change) {
  std::string error;
  auto lock = ExclusiveFileLock::Acquire(path_ + ".lock", lockTimeout_, error);
  if (!lock) return Fail(RegStatus::IoError, error);
  // A file we cannot fully parse is never overwritten: Load reports it.
  if (RegStatus s = Load(true); s != RegStatus::Ok) return s;

  Hive edited = hive_;
  if (RegStatus s = change(edited); s != RegStatus::Ok) return Fail(s, RegStatusName(s));
  std::string before = FormatRegFile(hive_);
  std::string after = FormatRegFile(edited);
  if (after == before) return RegStatus::Ok;

  if (!ReplaceFileAtomically(fileSystem_, path_, after, error)) {
    loaded_ = false;  // the file may or may not have been replaced; read it again next time
    return Fail(RegStatus::IoError, error);
  }
  hive_ = std::move(edited);
  // Still under the lock, so the file on disk is the one just written.
  loaded_ = StatFile(path_, stamp_, error);
  return RegStatus::Ok;
}

}  // namespace albumcore::registry
