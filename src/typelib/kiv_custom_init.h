// IKivCustomInit: a component a client names to the library (InitObject),
// which the library creates and runs once with itself.
#pragma once

#include "com/unknown.h"
#include "com/variant.h"

namespace albumcore::typelib {

class IKivCustomInit : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKivCustomInit";
  virtual com::HRESULT Run(const com::Bstr& bstrInitParam, com::IUnknown* pLibrary) = 0;
};

}  // namespace albumcore::typelib
