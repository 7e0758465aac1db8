#include "albums/album/membership.h"

#include <algorithm>

namespace albumcore::albums {

void Membership::Clear() {
  ids_.clear();
  objects_.clear();
}

void Membership::Assign(std::vector<int32_t> ids) {
  if (!std::is_sorted(ids.begin(), ids.end())) std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  ids_ = std::move(ids);
  objects_.clear();
}

bool Membership::Insert(int32_t id) {
  if (ids_.empty() || ids_.back() < id) {
    ids_.push_back(id);
    return true;
  }
  auto at = std::lower_bound(ids_.begin(), ids_.end(), id);
  if (at != ids_.end() && *at == id) return false;
  ids_.insert(at, id);
  return true;
}

bool Membership::Erase(int32_t id) {
  auto at = std::lower_bound(ids_.begin(), ids_.end(), id);
  if (at == ids_.end() || *at != id) return false;
  ids_.erase(at);
  objects_.erase(id);
  return true;
}

bool Membership::Contains(int32_t id) const { return std::binary_search(ids_.begin(), ids_.end(), id); }

}  // namespace albumcore::albums
