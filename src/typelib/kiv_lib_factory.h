// IKivLibFactory: the first object every client creates. It opens catalogue
// databases by path and reads and writes values of the machine registry on
// behalf of clients.
#pragma once

#include "com/unknown.h"
#include "com/variant.h"

namespace albumcore::typelib {

using com::HRESULT;

class IKivLibFactory : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKivLibFactory";

  virtual HRESULT Open(const com::Bstr& bsDBMoniker, com::ComPtr<com::IUnknown>* ppLibrary) = 0;
  virtual HRESULT OpenPassive(const com::Bstr& bsDBMoniker, com::ComPtr<com::IUnknown>* ppLibrary) = 0;
  virtual HRESULT Close(const com::Bstr& bsDBMoniker) = 0;
  virtual HRESULT CloseEx(const com::Bstr& bsDBMoniker) = 0;
  virtual HRESULT ClosePassive(const com::Bstr& bsDBMoniker) = 0;
  virtual HRESULT PauseWebSharesCleanup(com::VARIANT_BOOL Pause) = 0;
  // S_OK when written, S_FALSE on any failure.
  virtual HRESULT RegWriteToLocalMachine(const com::Bstr& bsKeyPath, const com::Bstr& bsValueName,
                                         const com::Variant& varValue) = 0;
  // The type of *pvarValue on entry selects what is read (VT_I4 or VT_BSTR).
  // S_OK when read, S_FALSE otherwise with *pvarValue left empty.
  virtual HRESULT RegReadFromLocalMachine(const com::Bstr& bsKeyPath, const com::Bstr& bsValueName,
                                          com::Variant* pvarValue) = 0;
};

}  // namespace albumcore::typelib
