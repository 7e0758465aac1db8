// The machine hive in memory: a tree of keys holding named values.
//
// A Hive is movable, not copyable: the store edits its cached hive in place
// and takes the changes back when an edit fails (StartChanges/UndoChanges). Subkeys and values keep the order in which
// they were created or read from the file, which is the order enumeration
// gives; each key also indexes them by folded name, so a lookup costs the same
// under a key with ten subkeys as under one with a hundred thousand. Names
// compare ignoring case (key_names.h) and keep the case they were created
// with. Values of types other than string and DWORD that a person put in the
// file are kept as the text they had, so that rewriting the file never loses
// them.
//
// Nothing here recurses on the depth of the tree: paths are walked in loops
// and a key tears its subtree down level by level (a tree is at most
// kMaxKeyDepth deep, but a deep recursion per key would still be a stack
// frame per level of client input).
//
// Failures are statuses, never exceptions: NotFound for a missing key or
// value, WrongType for a value of another type, InvalidArgument for a name,
// path or value past the registry's limits (limits.h) or that the file cannot
// carry, and for deleting the root. problem() then says what was wrong.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "registry/reg_status.h"

namespace albumcore::registry {

enum class RegType {
  String,  // REG_SZ: UTF-8 text, any characters
  Dword,   // REG_DWORD
  Other,   // any other type, kept verbatim
};

struct RegValue {
  std::string name;  // "" is the default value
  RegType type = RegType::String;
  std::string text;     // String
  uint32_t dword = 0;   // Dword
  std::string rawData;  // Other: the data as written after '=' (e.g. "hex(2):41,00,00,00"), continuation lines included
  std::vector<std::string> comments;  // comment lines that stood just above the value

  static RegValue String(std::string name, std::string text);
  static RegValue Dword(std::string name, uint32_t value);
};

struct RegValueInfo {
  std::string name;
  RegType type = RegType::String;
};

class RegKey {
 public:
  explicit RegKey(std::string name);
  ~RegKey();
  RegKey(RegKey&&) noexcept = default;
  RegKey& operator=(RegKey&&) noexcept = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  const std::string& name() const noexcept { return name_; }
  const std::vector<RegKey>& subkeys() const noexcept { return subkeys_; }
  const std::vector<RegValue>& values() const noexcept { return values_; }

  const RegKey* FindSubkey(std::string_view name) const;
  RegKey* FindSubkey(std::string_view name);
  // The subkey of that name, created as the last one when missing. The name
  // must be valid (IsValidKeyName). Invalidates references to other subkeys.
  RegKey& AddSubkey(std::string_view name);

  const RegValue* FindValue(std::string_view name) const;
  // Replaces the value of the same name where it stands (keeping its
  // comments and its original name case), or appends it.
  struct ValueChange {
    enum class Kind { Unchanged, Added, Replaced } kind;
    size_t index = 0;
    std::optional<RegValue> old;  // Replaced: what stood there
  };
  ValueChange SetValue(RegValue value);

  // Removal, and putting back exactly where it stood (for taking changes back).
  std::optional<std::pair<size_t, RegKey>> TakeSubkey(std::string_view name);
  void PutSubkey(size_t index, RegKey key);
  std::optional<std::pair<size_t, RegValue>> TakeValue(std::string_view name);
  void PutValue(size_t index, RegValue value);
  void RestoreValue(size_t index, RegValue value);

  std::vector<std::string> comments;  // comment lines that stood just above the key's section

 private:
  void ReindexSubkeys();
  void ReindexValues();

  std::string name_;
  std::string folded_;
  std::vector<RegKey> subkeys_;
  std::vector<RegValue> values_;
  std::unordered_map<std::string, size_t> subkeyIndex_;  // folded name -> position in subkeys_
  std::unordered_map<std::string, size_t> valueIndex_;   // folded name -> position in values_
};

class Hive {
 public:
  Hive() : root_("") {}

  const RegKey& root() const noexcept { return root_; }
  RegKey& root() noexcept { return root_; }

  // The key at `path` (key_names.h), or null.
  const RegKey* FindKey(std::string_view path) const;
  RegKey* FindKey(std::string_view path);

  // Creates the key and its missing parents; Ok when it already exists.
  RegStatus CreateKey(std::string_view path);
  // Deletes the key with all its subkeys and values.
  RegStatus DeleteKey(std::string_view path);
  // Set* create the key when it is missing.
  RegStatus SetString(std::string_view path, std::string_view name, std::string_view text);
  RegStatus SetDword(std::string_view path, std::string_view name, uint32_t value);
  RegStatus DeleteValue(std::string_view path, std::string_view name);

  RegStatus GetString(std::string_view path, std::string_view name, std::string& out) const;
  RegStatus GetDword(std::string_view path, std::string_view name, uint32_t& out) const;
  RegStatus GetSubkeyNames(std::string_view path, std::vector<std::string>& out) const;
  RegStatus GetValueInfos(std::string_view path, std::vector<RegValueInfo>& out) const;

  // What was wrong with the last write refused with InvalidArgument.
  const std::string& problem() const noexcept { return problem_; }

  // From StartChanges() on, every write that changes something is recorded
  // (a deleted subtree is kept, not copied) until KeepChanges() forgets the
  // record or UndoChanges() takes the changes back, newest first, leaving
  // the hive exactly as it was, order of keys and values included.
  void StartChanges();
  bool HasChanges() const noexcept { return !undo_.empty(); }
  void KeepChanges();
  void UndoChanges();

  std::vector<std::string> trailingComments;  // comment lines after the last value of the file

 private:
  RegStatus SetValue(std::string_view path, RegValue value);
  RegStatus Refuse(std::string problem);
  const RegValue* FindValue(std::string_view path, std::string_view name, RegStatus& status) const;

  // One recorded change, as what takes it back.
  struct Undo {
    enum class Kind { DropLastSubkey, PutSubkey, DropLastValue, PutValue, RestoreValue } kind;
    std::string keyPath;  // the key the change was made in
    size_t index = 0;
    std::optional<RegKey> subkey;
    std::optional<RegValue> value;
  };
  void Record(Undo undo);

  RegKey root_;
  std::string problem_;
  bool recording_ = false;
  std::vector<Undo> undo_;
};

}  // namespace albumcore::registry
