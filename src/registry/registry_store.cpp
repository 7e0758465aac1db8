#include "registry/registry_store.h"

#include <optional>
#include <utility>

#include "registry/file_lock.h"
#include "registry/limits.h"
#include "registry/reg_file_format.h"

namespace albumcore::registry {

RegistryStore::RegistryStore(std::string path, FileSystem& fileSystem)
    : path_(std::move(path)), fileSystem_(fileSystem) {}

RegStatus RegistryStore::Fail(RegStatus status, std::string message) {
  lastError_ = std::move(message);
  return status;
}

// Brings the cache up to date with the file. With `force` the file is read
// even when its identity did not change (writes do this under the lock); it
// is parsed again only when its bytes differ from the cached version's.
RegStatus RegistryStore::Load(bool force) {
  std::string error;
  auto cached = [this] { return loadStatus_ == RegStatus::Ok ? RegStatus::Ok : Fail(loadStatus_, loadError_); };
  if (!force && loaded_) {
    FileStamp now;
    if (!StatFile(path_, now, error)) return Fail(RegStatus::IoError, error);
    if (now == stamp_) return cached();
  }
  std::string content;
  FileStamp stamp;
  if (!ReadWholeFile(path_, kMaxHiveFileBytes, content, stamp, error)) return Fail(RegStatus::IoError, error);
  const bool tooLarge = static_cast<uint64_t>(stamp.size) > kMaxHiveFileBytes || content.size() > kMaxHiveFileBytes;
  if (loaded_ && !tooLarge && content == fileText_) {
    stamp_ = stamp;
    return cached();
  }
  loaded_ = false;
  Hive hive;
  if (tooLarge) {
    loadStatus_ = RegStatus::Malformed;
    loadError_ = path_ + ": larger than the registry's limit of " + std::to_string(kMaxHiveFileBytes) + " bytes";
  } else {
    loadStatus_ = ParseRegFile(content, path_, hive, loadError_) ? RegStatus::Ok : RegStatus::Malformed;
  }
  hive_ = loadStatus_ == RegStatus::Ok ? std::move(hive) : Hive();
  fileText_ = std::move(content);
  stamp_ = stamp;
  loaded_ = true;
  return cached();
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

RegStatus RegistryStore::Edit(const std::function<RegStatus(Hive&)>& change) { return Change(change, true); }

RegStatus RegistryStore::CheckEdit(const std::function<RegStatus(Hive&)>& change) { return Change(change, false); }

RegStatus RegistryStore::Change(const std::function<RegStatus(Hive&)>& change, bool write) {
  std::string error;
  std::string target;
  if (!ResolveLinks(path_, target, error)) return Fail(RegStatus::IoError, error);
  std::optional<ExclusiveFileLock> lock;
  if (write) {
    lock = ExclusiveFileLock::Acquire(target + ".lock", lockTimeout_, error);
    if (!lock) return Fail(RegStatus::IoError, error);
    RemoveStaleTemporaries(target);
  }
  // A file we cannot fully parse is never overwritten: Load reports it.
  if (RegStatus s = Load(write); s != RegStatus::Ok) return s;

  // The change is made on the cached hive itself, recorded so that it can
  // be taken back: whatever fails from here on leaves the cache as the file
  // is, without parsing the file again.
  hive_.StartChanges();
  if (RegStatus s = change(hive_); s != RegStatus::Ok) {
    hive_.UndoChanges();
    return Fail(s, s == RegStatus::InvalidArgument ? hive_.problem() : RegStatusName(s));
  }
  if (!hive_.HasChanges()) {
    hive_.KeepChanges();
    return RegStatus::Ok;  // nothing to write
  }
  std::optional<std::string> after = FormatRegFile(hive_, kMaxHiveFileBytes);
  if (!after) {
    hive_.UndoChanges();
    return Fail(RegStatus::InvalidArgument,
                "the change would grow " + path_ + " past " + std::to_string(kMaxHiveFileBytes) + " bytes");
  }
  if (!write) {
    hive_.UndoChanges();
    return CheckReplaceable(target, error) ? RegStatus::Ok : Fail(RegStatus::IoError, error);
  }
  if (!ReplaceFileAtomically(fileSystem_, target, *after, error)) {
    hive_.UndoChanges();
    loaded_ = false;  // the file may or may not have been replaced; read it again next time
    return Fail(RegStatus::IoError, error);
  }
  // Still under the lock, so the file on disk is the one just written.
  hive_.KeepChanges();
  fileText_ = std::move(*after);
  loaded_ = StatFile(path_, stamp_, error);
  return RegStatus::Ok;
}

}  // namespace albumcore::registry
