// A sink that writes down every IKivAlbumCoreEvents event it hears, as
// "Name(arg, arg)", so tests compare the exact sequence an operation fires.
// Text is quoted, variants described ("VT_I4 5").
#pragma once

#include <string>
#include <vector>

#include "typelib/kiv_album_core_events.h"

namespace albumcore::testing {

class RecordingSink final : public com::ComObject, public typelib::IKivAlbumCoreEvents {
 public:
  // What it heard since the last Take(), and forgets it.
  std::vector<std::string> Take() { return std::exchange(heard_, {}); }
  const std::vector<std::string>& heard() const { return heard_; }

  // Every event answers with this status (a failing sink, when a failure).
  com::HRESULT answer = com::S_OK;

#define RECORDING_SINK_EVENT(name, params, args) \
  com::HRESULT name params override {            \
    Record(#name, Args args);                    \
    return answer;                               \
  }
  KIV_ALBUM_CORE_EVENTS(RECORDING_SINK_EVENT)
#undef RECORDING_SINK_EVENT

 private:
  static std::string Text(int32_t v) { return std::to_string(v); }
  static std::string Text(uint32_t v) { return std::to_string(v); }
  static std::string Text(const com::Bstr& v) { return v.isNull() ? "null" : "\"" + v.str() + "\""; }
  static std::string Text(const com::Variant& v) { return v.Describe(); }
  static std::string Text(const com::Variant* v) { return v ? v->Describe() : "null"; }
  template <class... A>
  static std::string Args(const A&... a) {
    std::string s;
    ((s += (s.empty() ? "" : ", ") + Text(a)), ...);
    return s;
  }
  void Record(const char* name, const std::string& args) { heard_.push_back(std::string(name) + "(" + args + ")"); }

  std::vector<std::string> heard_;
};

}  // namespace albumcore::testing
