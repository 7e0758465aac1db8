#include "events/event_source.h"

namespace albumcore::events {

com::HRESULT EventSource::FindConnectionPoint(std::string_view interfaceName,
                                              com::ComPtr<com::IConnectionPoint>* point) {
  if (point == nullptr) return com::E_POINTER;
  for (const auto& p : points_) {
    if (p->interfaceName() == interfaceName) {
      *point = p;
      return com::S_OK;
    }
  }
  point->reset();
  return com::E_NOINTERFACE;
}

}  // namespace albumcore::events
