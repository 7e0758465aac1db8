// Reference-counted objects and interfaces.
//
// An interface is an abstract class deriving virtually from IUnknown and
// naming itself in kInterfaceName. A class derives from ComObject (which owns
// the reference count) and from each interface it offers. Asking an object
// for another interface is a checked cast (QueryInterface<T>): it yields null,
// or E_NOINTERFACE through QueryInterfaceOrThrow, when the object lacks it.
//
// Objects live on the server's main thread; the count is atomic only so that
// a worker may hold a reference while it finishes.
#pragma once

#include <atomic>
#include <string_view>
#include <utility>

#include "com/error.h"

namespace albumcore::com {

class IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IUnknown";

  virtual void AddRef() noexcept = 0;
  virtual void Release() noexcept = 0;

 protected:
  virtual ~IUnknown() = default;
};

// Owning pointer that holds one reference.
template <class T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(std::nullptr_t) noexcept {}
  // Takes a new reference to `p`.
  explicit ComPtr(T* p) noexcept : p_(p) { if (p_) p_->AddRef(); }
  ComPtr(const ComPtr& o) noexcept : ComPtr(o.p_) {}
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(const ComPtr<U>& o) noexcept : ComPtr(static_cast<T*>(o.get())) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(ComPtr<U>&& o) noexcept : p_(o.detach()) {}
  ~ComPtr() { reset(); }

  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  // Adopts a reference the caller already owns.
  static ComPtr Adopt(T* p) noexcept {
    ComPtr r;
    r.p_ = p;
    return r;
  }

  void reset() noexcept {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* detach() noexcept { return std::exchange(p_, nullptr); }
  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  T& operator*() const noexcept { return *p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }

  friend bool operator==(const ComPtr& a, const ComPtr& b) noexcept { return a.p_ == b.p_; }

 private:
  T* p_ = nullptr;
};

// Base of every concrete class: owns the reference count.
class ComObject : public virtual IUnknown {
 public:
  void AddRef() noexcept final { refs_.fetch_add(1, std::memory_order_relaxed); }
  void Release() noexcept final {
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }
  long RefCountForTesting() const noexcept { return refs_.load(); }

 protected:
  ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

 private:
  std::atomic<long> refs_{0};
};

// Creates an object of class T with one reference held by the result.
template <class T, class... Args>
ComPtr<T> MakeObject(Args&&... args) {
  return ComPtr<T>(new T(std::forward<Args>(args)...));
}

// Checked interface cast: null when the object does not offer T.
template <class T, class U>
ComPtr<T> QueryInterface(U* object) noexcept {
  if (object == nullptr) return {};
  return ComPtr<T>(dynamic_cast<T*>(static_cast<IUnknown*>(object)));
}
template <class T, class U>
ComPtr<T> QueryInterface(const ComPtr<U>& object) noexcept {
  return QueryInterface<T>(object.get());
}

template <class T, class U>
ComPtr<T> QueryInterfaceOrThrow(const ComPtr<U>& object) {
  if (!object) throw ComError(E_POINTER);
  ComPtr<T> r = QueryInterface<T>(object.get());
  if (!r) throw ComError(E_NOINTERFACE, std::string(T::kInterfaceName));
  return r;
}

}  // namespace albumcore::com
