#include "registry/hive.h"

#include <algorithm>
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

const RegKey* RegKey::FindSubkey(std::string_view name) const {
  std::string folded = FoldName(name);
  for (const RegKey& k : subkeys_) {
    if (k.folded_ == folded) return &k;
  }
  return nullptr;
}

RegKey* RegKey::FindSubkey(std::string_view name) {
  return const_cast<RegKey*>(std::as_const(*this).FindSubkey(name));
}

RegKey& RegKey::AddSubkey(std::string_view name) {
  if (RegKey* existing = FindSubkey(name)) return *existing;
  return subkeys_.emplace_back(std::string(name));
}

bool RegKey::RemoveSubkey(std::string_view name) {
  std::string folded = FoldName(name);
  auto it = std::find_if(subkeys_.begin(), subkeys_.end(), [&](const RegKey& k) { return k.folded_ == folded; });
  if (it == subkeys_.end()) return false;
  subkeys_.erase(it);
  return true;
}

const RegValue* RegKey::FindValue(std::string_view name) const {
  for (const RegValue& v : values_) {
    if (SameName(v.name, name)) return &v;
  }
  return nullptr;
}

void RegKey::SetValue(RegValue value) {
  for (RegValue& v : values_) {
    if (SameName(v.name, value.name)) {
      value.name = std::move(v.name);
      if (value.comments.empty()) value.comments = std::move(v.comments);
      v = std::move(value);
      return;
    }
  }
  values_.push_back(std::move(value));
}

bool RegKey::RemoveValue(std::string_view name) {
  auto it = std::find_if(values_.begin(), values_.end(), [&](const RegValue& v) { return SameName(v.name, name); });
  if (it == values_.end()) return false;
  values_.erase(it);
  return true;
}

// ---- Hive ------------------------------------------------------------------

const RegKey* Hive::FindKey(std::string_view path) const {
  const RegKey* key = &root_;
  for (std::string_view name : SplitKeyPath(path)) {
    key = key->FindSubkey(name);
    if (key == nullptr) return nullptr;
  }
  return key;
}

RegKey* Hive::FindKey(std::string_view path) {
  return const_cast<RegKey*>(std::as_const(*this).FindKey(path));
}

RegStatus Hive::CreateKey(std::string_view path) {
  std::vector<std::string_view> names = SplitKeyPath(path);
  if (!std::all_of(names.begin(), names.end(), IsValidKeyName)) return RegStatus::InvalidArgument;
  RegKey* key = &root_;
  for (std::string_view name : names) key = &key->AddSubkey(name);
  return RegStatus::Ok;
}

RegStatus Hive::DeleteKey(std::string_view path) {
  std::vector<std::string_view> names = SplitKeyPath(path);
  if (names.empty()) return RegStatus::InvalidArgument;
  RegKey* parent = &root_;
  for (size_t i = 0; i + 1 < names.size(); ++i) {
    parent = parent->FindSubkey(names[i]);
    if (parent == nullptr) return RegStatus::NotFound;
  }
  return parent->RemoveSubkey(names.back()) ? RegStatus::Ok : RegStatus::NotFound;
}

RegStatus Hive::SetValue(std::string_view path, RegValue value) {
  if (!IsValidValueName(value.name)) return RegStatus::InvalidArgument;
  if (RegStatus s = CreateKey(path); s != RegStatus::Ok) return s;
  FindKey(path)->SetValue(std::move(value));
  return RegStatus::Ok;
}

RegStatus Hive::SetString(std::string_view path, std::string_view name, std::string_view text) {
  if (!IsValidUtf8(text)) return RegStatus::InvalidArgument;
  return SetValue(path, RegValue::String(std::string(name), std::string(text)));
}

RegStatus Hive::SetDword(std::string_view path, std::string_view name, uint32_t value) {
  return SetValue(path, RegValue::Dword(std::string(name), value));
}

RegStatus Hive::DeleteValue(std::string_view path, std::string_view name) {
  RegKey* key = FindKey(path);
  if (key == nullptr) return RegStatus::NotFound;
  return key->RemoveValue(name) ? RegStatus::Ok : RegStatus::NotFound;
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
