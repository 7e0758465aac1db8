#include "dbus/reply_size.h"

#include <iostream>
#include <string>
#include <type_traits>
#include <vector>

#include "com/error.h"

namespace albumcore::dbus {

namespace {

// (qv): the struct's alignment, the tag, the variant's signature.
constexpr size_t kVariantFrameBytes = 24;
// A string: its length, its terminator, the padding before the next one.
constexpr size_t kStringFrameBytes = 8;
// An object path as the binding names objects (".../objects/<n>").
constexpr size_t kObjectPathBytes = 64;
// An array's length and the padding to its first element; each further
// dimension of an array with bounds carries a (ui) pair.
constexpr size_t kArrayFrameBytes = 16;
constexpr size_t kBoundBytes = 8;

}  // namespace

size_t WireBytesOf(const com::Variant& value) {
  // Arrays of VARIANTs may nest: walk them with a list of our own.
  size_t total = 0;
  std::vector<const com::Variant*> pending{&value};
  while (!pending.empty()) {
    const com::Variant& v = *pending.back();
    pending.pop_back();
    total += kVariantFrameBytes;
    if (!v.isArray()) {
      total += v.vt() == com::VT_BSTR ? kStringFrameBytes + v.bstr().str().size() : 8;
      continue;
    }
    const com::SafeArray& a = v.array();
    total += kArrayFrameBytes + kBoundBytes * a.bounds().size();
    std::visit(
        [&](const auto& elements) {
          using T = typename std::decay_t<decltype(elements)>::value_type;
          if constexpr (std::is_same_v<T, com::Bstr>) {
            for (const com::Bstr& s : elements) total += kStringFrameBytes + s.str().size();
          } else if constexpr (std::is_same_v<T, com::Variant>) {
            for (const com::Variant& e : elements) pending.push_back(&e);
          } else if constexpr (std::is_same_v<T, com::ComPtr<com::IUnknown>>) {
            total += elements.size() * (kStringFrameBytes + kObjectPathBytes);
          } else {
            total += elements.size() * sizeof(T);
          }
        },
        a.storage());
  }
  return total;
}

void CheckReplyFits(std::span<const com::Variant* const> values, size_t limit, const char* what) {
  size_t total = kReplyOverheadBytes;
  for (const com::Variant* v : values) total += WireBytesOf(*v);
  if (total <= limit) return;
  const std::string detail = std::string(what) + " needs about " + std::to_string(total) +
                             " bytes, over the reply limit of " + std::to_string(limit) + " bytes";
  std::cerr << "albumcore: " << detail << "; refused\n";
  throw com::ComError(com::E_MESSAGE_EXCEEDS_MAX_SIZE, detail);
}

}  // namespace albumcore::dbus
