// The members of an album, by item ID, with the item objects clients asked
// for through the album. The IDs are a sorted vector: an album is loaded
// in one pass without an allocation per member, and new items, whose IDs
// are the highest, join at the end. The few item objects asked for sit
// beside it.
//
// Main loop only, as the album.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "com/unknown.h"

namespace albumcore::albums {

class Membership {
 public:
  void Clear();
  // The members become `ids`, in any order; a repeated ID counts once.
  void Assign(std::vector<int32_t> ids);
  // False when `id` was a member already.
  bool Insert(int32_t id);
  // False when `id` was no member.
  bool Erase(int32_t id);
  bool Contains(int32_t id) const;
  size_t size() const noexcept { return ids_.size(); }
  bool empty() const noexcept { return ids_.empty(); }
  // The slot of the item object kept for member `id`, empty until set.
  com::ComPtr<com::IUnknown>& Object(int32_t id) { return objects_[id]; }

 private:
  std::vector<int32_t> ids_;  // ascending, each once
  std::unordered_map<int32_t, com::ComPtr<com::IUnknown>> objects_;
};

}  // namespace albumcore::albums
