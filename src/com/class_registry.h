// The class registry: creates objects by class ID or ProgID.
//
// A class is registered with its name, class ID, version-independent ProgID
// ("Zeph.TovLibFactory"; the versioned form adds ".1") and a creator. A
// single-instance class answers the same object to every activation for the
// life of the registry. Aggregation is never supported.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "com/guid.h"
#include "com/unknown.h"

namespace albumcore::com {

struct ClassInfo {
  std::string name;         // "LumLibFactory"
  Guid clsid;
  std::string progId;       // version-independent
  std::string description;  // "LumLibFactory Class"
  bool singleInstance = false;
  std::function<ComPtr<IUnknown>()> create;

  std::string versionedProgId() const { return progId + ".1"; }
};

class ClassRegistry {
 public:
  void Register(ClassInfo info);

  // `id` is a braced class ID, a ProgID with or without its version suffix,
  // or a class name; letter case is ignored. REGDB_E_CLASSNOTREG for an
  // unknown class, CLASS_E_NOAGGREGATION when `outer` is given.
  HRESULT CreateInstance(std::string_view id, IUnknown* outer, ComPtr<IUnknown>* object);

  const ClassInfo* Find(std::string_view id) const;
  const std::vector<ClassInfo>& classes() const noexcept { return classes_; }

 private:
  std::vector<ClassInfo> classes_;
  std::vector<ComPtr<IUnknown>> singletons_;  // parallel to classes_
};

}  // namespace albumcore::com
