// LumItemEnumerator: hands out, one per call, the IDs an album's
// enumeration query returned (the first column of each row), read when the
// enumeration starts.
#pragma once

#include <vector>

#include "com/unknown.h"
#include "store/dao/recordset.h"
#include "typelib/kiv_album.h"

namespace albumcore::albums {

class LumItemEnumerator final : public com::ComObject, public typelib::IKivItemEnumerator {
 public:
  static constexpr std::string_view kClassName = "LumItemEnumerator";

  // Reads every row's first column; starts again at the first.
  void SetRecordSet(store::dao::Recordset& rows);
  com::HRESULT NextItem(int32_t* plItemID) override;
  size_t size() const noexcept { return ids_.size(); }

 private:
  std::vector<int32_t> ids_;
  size_t next_ = 0;
};

}  // namespace albumcore::albums
