#include "items/descriptors/generic_type_descriptor.h"

#include <charconv>
#include <iostream>
#include <string_view>

#include "server/config/config_keys.h"

namespace albumcore::items {

using com::HRESULT;
using registry::RegStatus;

namespace {

void Report(std::string_view what) { std::cerr << "media type table: " << what << "\n"; }

std::string Cause(RegStatus status, const registry::RegistryStore& store) {
  if (status == RegStatus::NotFound) return "missing";
  const std::string name = registry::RegStatusName(status);
  const std::string& detail = store.lastError();
  return detail.empty() || detail == name ? name : name + " (" + detail + ")";
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The type number `entry` spells, whole; false for anything else.
bool ParseType(std::string_view entry, int32_t& type) {
  const char* end = entry.data() + entry.size();
  auto [next, error] = std::from_chars(entry.data(), end, type);
  return error == std::errc() && next == end && !entry.empty();
}

}  // namespace

LumGenericTypeDescriptor::LumGenericTypeDescriptor(std::string registryPath, const components::StringTable* strings)
    : registry_(std::move(registryPath)), strings_(strings) {}

std::string LumGenericTypeDescriptor::ReadName(int32_t type) {
  const std::string key = std::string(config::kFileMediaTypesKey) + "\\" + std::to_string(type);
  std::string reference;
  const RegStatus status = registry_.ReadString(key, config::kMediaTypeNameIdValue, reference);
  if (status != RegStatus::Ok) {
    // A type registered without a name is an ordinary "Other"; anything else
    // is worth a line.
    if (status != RegStatus::NotFound) {
      Report("the name of type " + std::to_string(type) + " is unreadable: " + Cause(status, registry_));
    }
    reference = config::kMediaTypeNameOther;
  }
  return strings_ ? strings_->Resolve(reference) : reference;
}

void LumGenericTypeDescriptor::Load() {
  if (loaded_) return;
  // Read once even when it fails: a broken hive is reported, not retried on
  // every call of a search screen.
  loaded_ = true;
  types_.clear();
  std::string order;
  const RegStatus status = registry_.ReadString(config::kFileMediaTypesKey, config::kUiOrderValue, order);
  if (status != RegStatus::Ok) {
    Report("no media types: the display order cannot be read (" + Cause(status, registry_) + ")");
    return;
  }
  std::string_view rest = order;
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    const std::string_view entry = Trimmed(rest.substr(0, comma));
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    int32_t type = 0;
    if (!ParseType(entry, type)) {
      Report("\"" + std::string(entry) + "\" in the display order \"" + order + "\" is no type number; left out");
      continue;
    }
    types_.push_back({type, ReadName(type)});
  }
}

const LumGenericTypeDescriptor::MediaType* LumGenericTypeDescriptor::At(int32_t index) {
  Load();
  if (index < 0 || static_cast<size_t>(index) >= types_.size()) return nullptr;
  return &types_[static_cast<size_t>(index)];
}

HRESULT LumGenericTypeDescriptor::GetMediaTypesCount(int32_t* pCount) {
  return com::CallGuard([&] {
    int32_t& count = com::CheckOut(pCount);
    Load();
    count = static_cast<int32_t>(types_.size());
  });
}

HRESULT LumGenericTypeDescriptor::GetMediaTypeName(int32_t index, com::Bstr* pName) {
  return com::CallGuard([&] {
    com::Bstr& name = com::CheckOut(pName);
    const MediaType* entry = At(index);
    name = com::Bstr(entry ? entry->name : std::string());
  });
}

HRESULT LumGenericTypeDescriptor::GetCommonPropertiesCount(int32_t* pCount) {
  return com::CallGuard([&] { com::CheckOut(pCount) = 0; });
}

HRESULT LumGenericTypeDescriptor::GetCommonPropertyInfo(int32_t, com::Bstr* pFieldName, int32_t* pType) {
  return com::CallGuard([&] {
    com::Bstr& field = com::CheckOut(pFieldName);
    int32_t& type = com::CheckOut(pType);
    field = com::Bstr(std::string());
    type = 0;
  });
}

HRESULT LumGenericTypeDescriptor::GetMediaType(int32_t index, int32_t* pMediaType) {
  return com::CallGuard([&] {
    int32_t& type = com::CheckOut(pMediaType);
    const MediaType* entry = At(index);
    type = entry ? entry->type : -1;
  });
}

}  // namespace albumcore::items
