// The reply shapes most slots share: a status alone, or a status and one
// value (a number, a text, a VARIANT, an object). The helpers are named
// Reply* so that no generated slot name can hide them. Each runs the object's
// call and every conversion of its values inside one CallGuard, so a value
// that cannot travel becomes the status, and the out value keeps what the
// object left in it (its default when the call never got that far).
#pragma once

#include <array>
#include <string>
#include <tuple>
#include <utility>

#include "dbus/reply_size.h"
#include "dbus/stubs/call_values.h"

namespace albumcore::dbus {

class TypedStub : public Stub {
 protected:
  using Stub::Stub;

  CallValues Values() { return CallValues(binding_, Caller()); }

  // call() -> HRESULT or void.
  template <class Call>
  uint32_t Reply(Call&& call) {
    return Wire(com::CallGuard(std::forward<Call>(call)));
  }
  // call(int32_t*) -> HRESULT.
  template <class Call>
  std::tuple<uint32_t, int32_t> ReplyNumber(Call&& call, int32_t initial = 0) {
    int32_t value = initial;
    const com::HRESULT hr = com::CallGuard([&] { return call(&value); });
    return {Wire(hr), value};
  }
  // call(com::Bstr*) -> HRESULT; a null string goes out empty.
  template <class Call>
  std::tuple<uint32_t, std::string> ReplyText(Call&& call) {
    com::Bstr text;
    const com::HRESULT hr = com::CallGuard([&] { return call(&text); });
    return {Wire(hr), text.str()};
  }
  // call(com::Variant*) -> HRESULT.
  template <class Call>
  std::tuple<uint32_t, WireVariant> ReplyValue(Call&& call) {
    WireVariant out = CallValues::Empty();
    const com::HRESULT hr = com::CallGuard([&] {
      com::Variant value;
      const com::HRESULT answered = call(&value);
      out = Values().Out(value);
      return answered;
    });
    return {Wire(hr), std::move(out)};
  }
  // call(com::ComPtr<com::IUnknown>*) -> HRESULT; the object goes out as a
  // path the caller holds one reference on ("/" for none).
  template <class Call>
  std::tuple<uint32_t, sdbus::ObjectPath> ReplyObject(Call&& call) {
    sdbus::ObjectPath path("/");
    const com::HRESULT hr = com::CallGuard([&] {
      com::ComPtr<com::IUnknown> object;
      const com::HRESULT answered = call(&object);
      path = Values().Path(object);
      return answered;
    });
    return {Wire(hr), path};
  }
  // Values that grow with the catalogue (listings as parallel arrays): as
  // the object left them when together they fit in a reply; else, or when
  // one cannot travel, all empty and that failure is the status. `what`
  // names the call for the log line of a refusal.
  template <size_t N>
  std::pair<com::HRESULT, std::array<WireVariant, N>> ReplyBounded(
      com::HRESULT hr, const std::array<const com::Variant*, N>& values, const char* what) {
    std::array<WireVariant, N> wire;
    wire.fill(CallValues::Empty());
    const com::HRESULT encoded = com::CallGuard([&] {
      CheckReplyFits(values, binding_.maxReplyBytes(), what);
      CallValues out = Values();
      std::array<WireVariant, N> all;
      for (size_t i = 0; i < N; ++i) all[i] = out.Out(*values[i]);
      wire = std::move(all);
    });
    return {com::Failed(encoded) ? encoded : hr, std::move(wire)};
  }
};

}  // namespace albumcore::dbus
