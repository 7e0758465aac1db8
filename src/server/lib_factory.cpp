#include "server/lib_factory.h"

#include "com/text.h"

namespace albumcore::server {

using com::HRESULT;

namespace {

// Longest string a registry read hands back, in UTF-16 code units; a longer
// value does not fit the reader's buffer and fails the read.
constexpr size_t kMaxReadChars = 2080;

}  // namespace

LumLibFactory::LumLibFactory(registry::RegistryStore& registry) : registry_(registry) {}

HRESULT LumLibFactory::Open(const com::Bstr&, com::ComPtr<com::IUnknown>* ppLibrary) {
  if (ppLibrary == nullptr) return com::E_POINTER;
  ppLibrary->reset();
  return com::E_NOTIMPL;  // catalogues are not served yet
}

HRESULT LumLibFactory::OpenPassive(const com::Bstr& bsDBMoniker, com::ComPtr<com::IUnknown>* ppLibrary) {
  return Open(bsDBMoniker, ppLibrary);
}

// No catalogue is ever open yet, so every close finds nothing to do.
HRESULT LumLibFactory::Close(const com::Bstr&) { return com::S_OK; }
HRESULT LumLibFactory::CloseEx(const com::Bstr&) { return com::S_OK; }
HRESULT LumLibFactory::ClosePassive(const com::Bstr& bsDBMoniker) { return Close(bsDBMoniker); }

HRESULT LumLibFactory::PauseWebSharesCleanup(com::VARIANT_BOOL Pause) {
  cleanupPaused_ = Pause != 0;
  return com::S_OK;
}

HRESULT LumLibFactory::RegWriteToLocalMachine(const com::Bstr& bsKeyPath, const com::Bstr& bsValueName,
                                              const com::Variant& varValue) {
  return com::CallGuard([&]() -> HRESULT {
    registry::RegStatus status = registry::RegStatus::InvalidArgument;
    if (varValue.vt() == com::VT_I4) {
      status = registry_.WriteDword(bsKeyPath.str(), bsValueName.str(), static_cast<uint32_t>(varValue.i4()));
    } else if (varValue.vt() == com::VT_BSTR && !varValue.bstr().isNull()) {
      status = registry_.WriteString(bsKeyPath.str(), bsValueName.str(), varValue.bstr().str());
    }
    return status == registry::RegStatus::Ok ? com::S_OK : com::S_FALSE;
  });
}

HRESULT LumLibFactory::RegReadFromLocalMachine(const com::Bstr& bsKeyPath, const com::Bstr& bsValueName,
                                               com::Variant* pvarValue) {
  return com::CallGuard([&]() -> HRESULT {
    com::Variant& value = com::CheckOut(pvarValue);
    const uint16_t wanted = value.vt();
    value = com::Variant();
    if (wanted == com::VT_I4) {
      uint32_t number = 0;
      if (registry_.ReadDword(bsKeyPath.str(), bsValueName.str(), number) != registry::RegStatus::Ok) {
        return com::S_FALSE;
      }
      value = com::Variant(static_cast<int32_t>(number));
      return com::S_OK;
    }
    if (wanted == com::VT_BSTR) {
      std::string text;
      if (registry_.ReadString(bsKeyPath.str(), bsValueName.str(), text) != registry::RegStatus::Ok ||
          com::Utf16Length(text) > kMaxReadChars) {
        return com::S_FALSE;
      }
      value = com::Variant(std::move(text));
      return com::S_OK;
    }
    return com::S_FALSE;
  });
}

}  // namespace albumcore::server
