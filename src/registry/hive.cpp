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

bool RegKey::RemoveSubkey(std::string_view name) {
  auto it = subkeyIndex_.find(FoldName(name));
  if (it == subkeyIndex_.end()) return false;
  subkeys_.erase(subkeys_.begin() + static_cast<ptrdiff_t>(it->second));
  ReindexSubkeys();
  return true;
}

const RegValue* RegKey::FindValue(std::string_view name) const {
  auto it = valueIndex_.find(FoldName(name));
  return it == valueIndex_.end() ? nullptr : &values_[it->second];
}

bool RegKey::SetValue(RegValue value) {
  auto [it, added] = valueIndex_.emplace(FoldName(value.name), values_.size());
  if (added) {
    values_.push_back(std::move(value));
    return true;
  }
  RegValue& old = values_[it->second];
  const bool same = old.type == value.type && old.text == value.text && old.dword == value.dword &&
                    old.rawData == value.rawData;
  value.name = std::move(old.name);
  if (value.comments.empty()) value.comments = std::move(old.comments);
  old = std::move(value);
  return !same;
}

bool RegKey::RemoveValue(std::string_view name) {
  auto it = valueIndex_.find(FoldName(name));
  if (it == valueIndex_.end()) return false;
  values_.erase(values_.begin() + static_cast<ptrdiff_t>(it->second));
  ReindexValues();
  return true;
}

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

RegStatus Hive::CreateKey(std::string_view path) {
  auto names = SplitKeyPath(path);
  if (!names) return Refuse(TooDeep());
  for (std::string_view name : *names) {
    if (std::string problem = KeyNameProblem(name); !problem.empty()) return Refuse(std::move(problem));
  }
  RegKey* key = &root_;
  for (std::string_view name : *names) {
    RegKey& parent = *key;
    const size_t count = parent.subkeys().size();
    key = &parent.AddSubkey(name);
    if (parent.subkeys().size() != count) ++revision_;
  }
  return RegStatus::Ok;
}

RegStatus Hive::DeleteKey(std::string_view path) {
  auto names = SplitKeyPath(path);
  if (!names) return RegStatus::NotFound;
  if (names->empty()) return Refuse("the root key cannot be deleted");
  RegKey* parent = &root_;
  for (size_t i = 0; i + 1 < names->size(); ++i) {
    parent = parent->FindSubkey((*names)[i]);
    if (parent == nullptr) return RegStatus::NotFound;
  }
  if (!parent->RemoveSubkey(names->back())) return RegStatus::NotFound;
  ++revision_;
  return RegStatus::Ok;
}

RegStatus Hive::SetValue(std::string_view path, RegValue value) {
  if (std::string problem = ValueNameProblem(value.name); !problem.empty()) return Refuse(std::move(problem));
  if (RegStatus s = CreateKey(path); s != RegStatus::Ok) return s;
  if (FindKey(path)->SetValue(std::move(value))) ++revision_;
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
  if (key == nullptr || !key->RemoveValue(name)) return RegStatus::NotFound;
  ++revision_;
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
