// The single error type of the object runtime and the method-boundary helper.
//
// Inside a method, failures are raised as ComError carrying an HRESULT. At
// every interface boundary CallGuard turns a raised ComError into its status,
// std::bad_alloc into E_OUTOFMEMORY and anything else into E_UNEXPECTED, so no
// exception ever crosses an interface.
#pragma once

#include <exception>
#include <new>
#include <string>
#include <type_traits>

#include "com/hresult.h"

namespace albumcore::com {

class ComError : public std::exception {
 public:
  explicit ComError(HRESULT hr, std::string detail = {})
      : hr_(hr), detail_(std::move(detail)), message_(DescribeHresult(hr) + (detail_.empty() ? "" : ": " + detail_)) {}

  HRESULT hr() const noexcept { return hr_; }
  // What went wrong in words, without the status; may be empty.
  const std::string& detail() const noexcept { return detail_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  HRESULT hr_;
  std::string detail_;
  std::string message_;
};

// Raises a failure status; success statuses pass through.
inline HRESULT ThrowIfFailed(HRESULT hr) {
  if (Failed(hr)) throw ComError(hr);
  return hr;
}

// Runs `body` (returning HRESULT or void) and maps whatever it raises to the
// status the caller sees.
template <class Body>
HRESULT CallGuard(Body&& body) noexcept {
  try {
    if constexpr (std::is_void_v<decltype(body())>) {
      body();
      return S_OK;
    } else {
      return body();
    }
  } catch (const ComError& e) {
    return e.hr();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// Out-pointer check shared by every method: a null out-pointer is E_POINTER.
template <class T>
T& CheckOut(T* out) {
  if (out == nullptr) throw ComError(E_POINTER);
  return *out;
}

}  // namespace albumcore::com
