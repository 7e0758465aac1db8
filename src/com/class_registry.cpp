#include "com/class_registry.h"

#include <algorithm>
#include <cctype>

namespace albumcore::com {

namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

void ClassRegistry::Register(ClassInfo info) {
  classes_.push_back(std::move(info));
  singletons_.emplace_back();
}

const ClassInfo* ClassRegistry::Find(std::string_view id) const {
  const auto guid = Guid::Parse(id);
  for (const auto& c : classes_) {
    if ((guid && *guid == c.clsid) || EqualsIgnoreCase(id, c.progId) || EqualsIgnoreCase(id, c.versionedProgId()) ||
        EqualsIgnoreCase(id, c.name)) {
      return &c;
    }
  }
  return nullptr;
}

HRESULT ClassRegistry::CreateInstance(std::string_view id, IUnknown* outer, ComPtr<IUnknown>* object) {
  return CallGuard([&]() -> HRESULT {
    auto& out = CheckOut(object);
    out.reset();
    const ClassInfo* info = Find(id);
    if (info == nullptr) return REGDB_E_CLASSNOTREG;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    const size_t index = static_cast<size_t>(info - classes_.data());
    if (info->singleInstance && singletons_[index]) {
      out = singletons_[index];
      return S_OK;
    }
    ComPtr<IUnknown> created = info->create();
    if (!created) return E_OUTOFMEMORY;
    if (info->singleInstance) singletons_[index] = created;
    out = std::move(created);
    return S_OK;
  });
}

}  // namespace albumcore::com
