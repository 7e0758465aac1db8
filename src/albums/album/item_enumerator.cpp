#include "albums/album/item_enumerator.h"

namespace albumcore::albums {

void LumItemEnumerator::SetRecordSet(store::dao::Recordset& rows) {
  ids_.clear();
  next_ = 0;
  for (; !rows.IsEOF(); rows.MoveNext()) ids_.push_back(rows.GetValue(0).ToI4());
}

com::HRESULT LumItemEnumerator::NextItem(int32_t* plItemID) {
  return com::CallGuard([&]() -> com::HRESULT {
    int32_t& id = com::CheckOut(plItemID);
    if (next_ >= ids_.size()) return com::S_FALSE;
    id = ids_[next_++];
    return com::S_OK;
  });
}

}  // namespace albumcore::albums
