#include "registry/hive.h"

#include <utility>

#include "registry/key_names.h"

namespace albumcore::registry {

RegValue RegValue::String(std::string name, std::string text) {
  RegValue v;
  v.name = std::move(name);
  v.type = RegType::String;
  v.text = std::move(text);
  return v;
}

RegValue RegValue::Dword(std::string name, uint32_t value) {
  RegValue v;
  v.name = std::move(name);
  v.type = RegType::Dword;
  v.dword = value;
  return v;
}

// ---- RegKey ----------------------------------------------------------------

RegKey::RegKey(std::string name) : name_(std::move(name)), folded_(FoldName(name_)) {}

RegKey::~RegKey() {
  // The subtree is taken apart here, one key at a time, so that destroying
  // a child never has children of its own left to destroy: the stack stays
  // flat however deep the tree.
  std::vector<RegKey> doomed = std::move(subkeys_);
  while (!doomed.empty()) {
    RegKey last = std::move(doomed.back());
    doomed.pop_back();
    for (RegKey& child : last.subkeys_) doomed.push_back(std::move(child));
    last.subkeys_.clear();
  }
}

void RegKey::ReindexSubkeys() {
  subkeyIndex_.clear();
  for (size_t i = 0; i < subkeys_.size(); ++i) subkeyIndex_.emplace(subkeys_[i].folded_, i);
}

void RegKey::ReindexValues() {
  valueIndex_.clear();
  for (size_t i = 0; i < values_.size(); ++i) valueIndex_.emplace(FoldName(values_[i].name), i);
}

const RegKey* RegKey::FindSubkey(std::string_view name) const {
  auto it = subkeyIndex_.find(FoldName(name));
  return it == subkeyIndex_.end() ? nullptr : &subkeys_[it->second];
}

RegKey* RegKey::FindSubkey(std::string_view name) {
  return const_cast<RegKey*>(std::as_const(*this).FindSubkey(name));
}

RegKey& RegKey::AddSubkey(std::string_view name) {
  auto [it, added] = subkeyIndex_.try_emplace(FoldName(name), subkeys_.size());
  if (!added) return subkeys_[it->second];
  return subkeys_.emplace_back(std::string(name));
}

const RegValue* RegKey::FindValue(std::string_view name) const {
  auto it = valueIndex_.find(FoldName(name));
  return it == valueIndex_.end() ? nullptr : &values_[it->second];
}

RegKey::ValueChange RegKey::SetValue(RegValue value) {
  auto [it, added] = valueIndex_.emplace(FoldName(value.name), values_.size());
  if (added) {
    values_.push_back(std::move(value));
    return {ValueChange::Kind::Added, values_.size() - 1, std::nullopt};
  }
  RegValue& old = values_[it->second];
  if (old.type == value.type && old.text == value.text && old.dword == value.dword && old.rawData == value.rawData) {
    return {ValueChange::Kind::Unchanged, it->second, std::nullopt};
  }
  value.name = old.name;
  if (value.comments.empty()) value.comments = old.comments;
  ValueChange change{ValueChange::Kind::Replaced, it->second, std::move(old)};
  values_[it->second] = std::move(value);
  return change;
}

std::optional<std::pair<size_t, RegKey>> RegKey::TakeSubkey(std::string_view name) {
  auto it = subkeyIndex_.find(FoldName(name));
  if (it == subkeyIndex_.end()) return std::nullopt;
  const size_t index = it->second;
  std::pair<size_t, RegKey> taken{index, std::move(subkeys_[index])};
  subkeys_.erase(subkeys_.begin() + static_cast<ptrdiff_t>(index));
  ReindexSubkeys();
  return taken;
}

void RegKey::PutSubkey(size_t index, RegKey key) {
  subkeys_.insert(subkeys_.begin() + static_cast<ptrdiff_t>(index), std::move(key));
  ReindexSubkeys();
}

std::optional<std::pair<size_t, RegValue>> RegKey::TakeValue(std::string_view name) {
  auto it = valueIndex_.find(FoldName(name));
  if (it == valueIndex_.end()) return std::nullopt;
  const size_t index = it->second;
  std::pair<size_t, RegValue> taken{index, std::move(values_[index])};
  values_.erase(values_.begin() + static_cast<ptrdiff_t>(index));
  ReindexValues();
  return taken;
}

void RegKey::PutValue(size_t index, RegValue value) {
  values_.insert(values_.begin() + static_cast<ptrdiff_t>(index), std::move(value));
  ReindexValues();
}

void RegKey::RestoreValue(size_t index, RegValue value) { values_[index] = std::move(value); }

// ---- Hive ------------------------------------------------------------------

namespace {

std::string TooDeep() { return "a key path deeper than " + std::to_string(kMaxKeyDepth) + " levels"; }

}  // namespace

RegStatus Hive::Refuse(std::string problem) {
  problem_ = std::move(problem);
  return RegStatus::InvalidArgument;
}

const RegKey* Hive::FindKey(std::string_view path) const {
  auto names = SplitKeyPath(path);
  if (!names) return nullptr;  // deeper than any key can be
  const RegKey* key = &root_;
  for (std::string_view name : *names) {
    key = key->FindSubkey(name);
    if (key == nullptr) return nullptr;
  }
  return key;
}

RegKey* Hive::FindKey(std::string_view path) {
  return const_cast<RegKey*>(std::as_const(*this).FindKey(path));
}

void Hive::StartChanges() {
  undo_.clear();
  recording_ = true;
}

void Hive::KeepChanges() {
  undo_.clear();
  recording_ = false;
}

void Hive::UndoChanges() {
  recording_ = false;
  while (!undo_.empty()) {
    Undo undo = std::move(undo_.back());
    undo_.pop_back();
    // Newest first, so the key each change was made in is there again.
    RegKey& key = *FindKey(undo.keyPath);
    switch (undo.kind) {
      case Undo::Kind::DropLastSubkey: key.TakeSubkey(key.subkeys().back().name()); break;
      case Undo::Kind::PutSubkey: key.PutSubkey(undo.index, std::move(*undo.subkey)); break;
      case Undo::Kind::DropLastValue: key.TakeValue(key.values().back().name); break;
      case Undo::Kind::PutValue: key.PutValue(undo.index, std::move(*undo.value)); break;
      case Undo::Kind::RestoreValue: key.RestoreValue(undo.index, std::move(*undo.value)); break;
    }
  }
}

void Hive::Record(Undo undo) {
  if (recording_) undo_.push_back(std::move(undo));
}

RegStatus Hive::CreateKey(std::string_view path) {
  auto names = SplitKeyPath(path);
  if (!names) return Refuse(TooDeep());
  for (std::string_view name : *names) {
    if (std::string problem = KeyNameProblem(name); !problem.empty()) return Refuse(std::move(problem));
  }
  RegKey* key = &root_;
  size_t existing = 0;  // the leading names that are there already
  while (existing < names->size()) {
    RegKey* next = key->FindSubkey((*names)[existing]);
    if (next == nullptr) break;
    key = next;
    ++existing;
  }
  if (existing == names->size()) return RegStatus::Ok;
  // Dropping the first new key takes the whole new chain back.
  std::string parentPath;
  for (size_t i = 0; i < existing; ++i) parentPath.append("\\").append((*names)[i]);
  Record({Undo::Kind::DropLastSubkey, std::move(parentPath), 0, {}, {}});
  for (size_t i = existing; i < names->size(); ++i) key = &key->AddSubkey((*names)[i]);
  return RegStatus::Ok;
}

RegStatus Hive::DeleteKey(std::string_view path) {
  auto names = SplitKeyPath(path);
  if (!names) return RegStatus::NotFound;
  if (names->empty()) return Refuse("the root key cannot be deleted");
  std::string parentPath;
  RegKey* parent = &root_;
  for (size_t i = 0; i + 1 < names->size() && parent != nullptr; ++i) {
    parent = parent->FindSubkey((*names)[i]);
    parentPath += '\\';
    parentPath += (*names)[i];
  }
  auto taken = parent ? parent->TakeSubkey(names->back()) : std::nullopt;
  if (!taken) return RegStatus::NotFound;
  Record({Undo::Kind::PutSubkey, std::move(parentPath), taken->first, std::move(taken->second), {}});
  return RegStatus::Ok;
}

RegStatus Hive::SetValue(std::string_view path, RegValue value) {
  if (std::string problem = ValueNameProblem(value.name); !problem.empty()) return Refuse(std::move(problem));
  if (RegStatus s = CreateKey(path); s != RegStatus::Ok) return s;
  RegKey::ValueChange change = FindKey(path)->SetValue(std::move(value));
  if (change.kind == RegKey::ValueChange::Kind::Added) {
    Record({Undo::Kind::DropLastValue, std::string(path), 0, {}, {}});
  } else if (change.kind == RegKey::ValueChange::Kind::Replaced) {
    Record({Undo::Kind::RestoreValue, std::string(path), change.index, {}, std::move(change.old)});
  }
  return RegStatus::Ok;
}

RegStatus Hive::SetString(std::string_view path, std::string_view name, std::string_view text) {
  // The size first: a hostile ten-megabyte text is refused without a copy.
  if (!StringDataFits(text)) {
    return Refuse("value data over " + std::to_string(kMaxValueDataBytes) + " bytes");
  }
  if (!IsValidUtf8(text)) return Refuse("text that is not valid UTF-8");
  return SetValue(path, RegValue::String(std::string(name), std::string(text)));
}

RegStatus Hive::SetDword(std::string_view path, std::string_view name, uint32_t value) {
  return SetValue(path, RegValue::Dword(std::string(name), value));
}

RegStatus Hive::DeleteValue(std::string_view path, std::string_view name) {
  RegKey* key = FindKey(path);
  auto taken = key ? key->TakeValue(name) : std::nullopt;
  if (!taken) return RegStatus::NotFound;
  Record({Undo::Kind::PutValue, std::string(path), taken->first, {}, std::move(taken->second)});
  return RegStatus::Ok;
}

const RegValue* Hive::FindValue(std::string_view path, std::string_view name, RegStatus& status) const {
  const RegKey* key = FindKey(path);
  const RegValue* value = key ? key->FindValue(name) : nullptr;
  status = value ? RegStatus::Ok : RegStatus::NotFound;
  return value;
}

RegStatus Hive::GetString(std::string_view path, std::string_view name, std::string& out) const {
  RegStatus status;
  const RegValue* value = FindValue(path, name, status);
  if (value == nullptr) return status;
  if (value->type != RegType::String) return RegStatus::WrongType;
  out = value->text;
  return RegStatus::Ok;
}

RegStatus Hive::GetDword(std::string_view path, std::string_view name, uint32_t& out) const {
  RegStatus status;
  const RegValue* value = FindValue(path, name, status);
  if (value == nullptr) return status;
  if (value->type != RegType::Dword) return RegStatus::WrongType;
  out = value->dword;
  return RegStatus::Ok;
}

RegStatus Hive::GetSubkeyNames(std::string_view path, std::vector<std::string>& out) const {
  const RegKey* key = FindKey(path);
  if (key == nullptr) return RegStatus::NotFound;
  out.clear();
  for (const RegKey& k : key->subkeys()) out.push_back(k.name());
  return RegStatus::Ok;
}

RegStatus Hive::GetValueInfos(std::string_view path, std::vector<RegValueInfo>& out) const {
  const RegKey* key = FindKey(path);
  if (key == nullptr) return RegStatus::NotFound;
  out.clear();
  for (const RegValue& v : key->values()) out.push_back({v.name, v.type});
  return RegStatus::Ok;
}

}  // namespace albumcore::registry
