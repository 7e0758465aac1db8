#include "com/hresult.h"

#include <cstdio>

namespace albumcore::com {

namespace {

const char* NameOf(HRESULT hr) {
  switch (hr) {
    case S_OK: return "S_OK";
    case S_FALSE: return "S_FALSE";
    case E_NOTIMPL: return "E_NOTIMPL";
    case E_NOINTERFACE: return "E_NOINTERFACE";
    case E_POINTER: return "E_POINTER";
    case E_ABORT: return "E_ABORT";
    case E_FAIL: return "E_FAIL";
    case CO_E_NOT_SUPPORTED: return "CO_E_NOT_SUPPORTED";
    case E_UNEXPECTED: return "E_UNEXPECTED";
    case E_ACCESSDENIED: return "E_ACCESSDENIED";
    case E_OUTOFMEMORY: return "E_OUTOFMEMORY";
    case E_INVALIDARG: return "E_INVALIDARG";
    case CLASS_E_NOAGGREGATION: return "CLASS_E_NOAGGREGATION";
    case REGDB_E_CLASSNOTREG: return "REGDB_E_CLASSNOTREG";
    case CONNECT_E_NOCONNECTION: return "CONNECT_E_NOCONNECTION";
    case CONNECT_E_CANNOTCONNECT: return "CONNECT_E_CANNOTCONNECT";
    case TYPE_E_ELEMENTNOTFOUND: return "TYPE_E_ELEMENTNOTFOUND";
    case DISP_E_TYPEMISMATCH: return "DISP_E_TYPEMISMATCH";
    case DISP_E_OVERFLOW: return "DISP_E_OVERFLOW";
    case DISP_E_BADINDEX: return "DISP_E_BADINDEX";
    case DISP_E_PARAMNOTFOUND: return "DISP_E_PARAMNOTFOUND";
    case DISP_E_ARRAYISLOCKED: return "DISP_E_ARRAYISLOCKED";
    case RPC_E_DISCONNECTED: return "RPC_E_DISCONNECTED";
    case E_MESSAGE_EXCEEDS_MAX_SIZE: return "E_MESSAGE_EXCEEDS_MAX_SIZE";
    case S_KEYWORD_ALREADY: return "S_KEYWORD_ALREADY";
    default: return nullptr;
  }
}

}  // namespace

std::string DescribeHresult(HRESULT hr) {
  char buf[64];
  const char* name = NameOf(hr);
  if (name != nullptr) {
    std::snprintf(buf, sizeof buf, "0x%08X (%s)", static_cast<uint32_t>(hr), name);
  } else if (IsJetError(hr)) {
    std::snprintf(buf, sizeof buf, "0x%08X (engine error %u)", static_cast<uint32_t>(hr),
                  static_cast<uint32_t>(hr) & 0xFFFFu);
  } else {
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<uint32_t>(hr));
  }
  return buf;
}

}  // namespace albumcore::com
