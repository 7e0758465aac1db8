#include "server/lib_factory.h"

#include <cstdio>

#include "com/text.h"

namespace albumcore::server {

using com::HRESULT;
using registry::RegStatus;

namespace {

// Longest string a registry read hands back, in UTF-16 code units; a longer
// value does not fit the reader's buffer and fails the read.
constexpr size_t kMaxReadChars = 2080;

// A client's key path or name as a log line shows it: a hostile one can be
// megabytes long.
std::string ForLog(std::string_view text) {
  constexpr size_t kShown = 120;
  std::string_view shown = com::TruncateUtf16(text, kShown);
  return std::string(shown) + (shown.size() < text.size() ? "..." : "");
}

constexpr auto kRepeatQuiet = std::chrono::minutes(1);

}  // namespace

LumLibFactory::LumLibFactory(const std::string& registryPath, library::LibraryTableSettings libraries)
    : registry_(registryPath), libraries_(std::move(libraries)) {
  registry_.setLockTimeout(kRegistryLockWait);
}

HRESULT LumLibFactory::Open(const com::Bstr& bsDBMoniker, com::ComPtr<com::IUnknown>* ppLibrary) {
  return libraries_.Open(bsDBMoniker, /*passive=*/false, ppLibrary);
}

HRESULT LumLibFactory::OpenPassive(const com::Bstr& bsDBMoniker, com::ComPtr<com::IUnknown>* ppLibrary) {
  return libraries_.Open(bsDBMoniker, /*passive=*/true, ppLibrary);
}

HRESULT LumLibFactory::Close(const com::Bstr& bsDBMoniker) {
  libraries_.Close(bsDBMoniker);
  return com::S_OK;
}

HRESULT LumLibFactory::CloseEx(const com::Bstr& bsDBMoniker) {
  libraries_.CloseEx(bsDBMoniker);
  return com::S_OK;
}

HRESULT LumLibFactory::ClosePassive(const com::Bstr& bsDBMoniker) { return Close(bsDBMoniker); }

void LumLibFactory::ReapAndCleanup(std::function<void(bool anyOpen)> done) {
  // The web-share cleanup purges expired secret words, which arrive with
  // their manager; until then the tick only reaps.
  libraries_.Reap(std::move(done));
}

HRESULT LumLibFactory::PauseWebSharesCleanup(com::VARIANT_BOOL Pause) {
  cleanupPaused_ = Pause != 0;
  return com::S_OK;
}

HRESULT LumLibFactory::Refused(std::string_view operation, const com::Bstr& keyPath, const com::Bstr& valueName,
                               RegStatus status, const std::string& cause) {
  if (status == RegStatus::NotFound || status == RegStatus::WrongType) return com::S_FALSE;  // a plain "no"
  const auto now = std::chrono::steady_clock::now();
  if (cause == lastCause_ && now - lastLoggedAt_ < kRepeatQuiet) {
    ++repeats_;
    return com::S_FALSE;
  }
  std::string repeated = repeats_ == 0 ? "" : " (the previous cause came " + std::to_string(repeats_) + " more times)";
  std::fprintf(stderr, "registry: %.*s %s \"%s\" answered S_FALSE: %s%s\n", static_cast<int>(operation.size()),
               operation.data(), ForLog(keyPath).c_str(), ForLog(valueName).c_str(), cause.c_str(), repeated.c_str());
  lastCause_ = cause;
  lastLoggedAt_ = now;
  repeats_ = 0;
  return com::S_FALSE;
}

HRESULT LumLibFactory::RegWriteToLocalMachine(const com::Bstr& bsKeyPath, const com::Bstr& bsValueName,
                                              const com::Variant& varValue) {
  return com::CallGuard([&]() -> HRESULT {
    RegStatus status = RegStatus::WrongType;  // a type that is never written: a plain "no"
    if (varValue.vt() == com::VT_I4) {
      status = registry_.WriteDword(bsKeyPath.str(), bsValueName.str(), static_cast<uint32_t>(varValue.i4()));
    } else if (varValue.vt() == com::VT_BSTR && !varValue.bstr().isNull()) {
      status = registry_.WriteString(bsKeyPath.str(), bsValueName.str(), varValue.bstr().str());
    }
    if (status == RegStatus::Ok) return com::S_OK;
    return Refused("RegWriteToLocalMachine", bsKeyPath, bsValueName, status, registry_.lastError());
  });
}

HRESULT LumLibFactory::RegReadFromLocalMachine(const com::Bstr& bsKeyPath, const com::Bstr& bsValueName,
                                               com::Variant* pvarValue) {
  return com::CallGuard([&]() -> HRESULT {
    com::Variant& value = com::CheckOut(pvarValue);
    const uint16_t wanted = value.vt();
    value = com::Variant();
    auto refused = [&](RegStatus status, const std::string& cause) {
      return Refused("RegReadFromLocalMachine", bsKeyPath, bsValueName, status, cause);
    };
    if (wanted == com::VT_I4) {
      uint32_t number = 0;
      if (RegStatus s = registry_.ReadDword(bsKeyPath.str(), bsValueName.str(), number); s != RegStatus::Ok) {
        return refused(s, registry_.lastError());
      }
      value = com::Variant(static_cast<int32_t>(number));
      return com::S_OK;
    }
    if (wanted == com::VT_BSTR) {
      std::string text;
      if (RegStatus s = registry_.ReadString(bsKeyPath.str(), bsValueName.str(), text); s != RegStatus::Ok) {
        return refused(s, registry_.lastError());
      }
      if (com::Utf16Length(text) > kMaxReadChars) {
        return refused(RegStatus::InvalidArgument,
                       "the string is longer than the " + std::to_string(kMaxReadChars) + " characters a read returns");
      }
      value = com::Variant(std::move(text));
      return com::S_OK;
    }
    return com::S_FALSE;  // neither a number nor a string asked for
  });
}

}  // namespace albumcore::server
