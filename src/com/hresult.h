// Status codes of the object runtime.
//
// Every automation method returns an HRESULT: 0 and 1 are success (S_OK,
// S_FALSE), anything with the high bit set is a failure. Engine failures of the
// catalogue store travel as Jet error numbers in facility 0x800A.
#pragma once

#include <cstdint>
#include <string>

namespace albumcore::com {

using HRESULT = int32_t;

constexpr HRESULT MakeHresult(uint32_t bits) { return static_cast<HRESULT>(bits); }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeHresult(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = MakeHresult(0x80004002);
inline constexpr HRESULT E_POINTER = MakeHresult(0x80004003);
inline constexpr HRESULT E_ABORT = MakeHresult(0x80004004);
inline constexpr HRESULT E_FAIL = MakeHresult(0x80004005);
inline constexpr HRESULT CO_E_NOT_SUPPORTED = MakeHresult(0x80004021);
inline constexpr HRESULT E_UNEXPECTED = MakeHresult(0x8000FFFF);
inline constexpr HRESULT E_ACCESSDENIED = MakeHresult(0x80070005);
inline constexpr HRESULT E_OUTOFMEMORY = MakeHresult(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = MakeHresult(0x80070057);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHresult(0x80040110);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHresult(0x80040154);
inline constexpr HRESULT CONNECT_E_NOCONNECTION = MakeHresult(0x80040200);
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = MakeHresult(0x80040202);
// The number catalogue clients test for when a field is not found; some
// platform headers give this name another value.
inline constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = MakeHresult(0x80028017);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHresult(0x80020005);
inline constexpr HRESULT DISP_E_OVERFLOW = MakeHresult(0x8002000A);
inline constexpr HRESULT DISP_E_BADINDEX = MakeHresult(0x8002000B);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = MakeHresult(0x80020004);
inline constexpr HRESULT DISP_E_ARRAYISLOCKED = MakeHresult(0x8002000D);
inline constexpr HRESULT RPC_E_DISCONNECTED = MakeHresult(0x80010108);
// A reply that would not fit in one message of the transport.
inline constexpr HRESULT E_MESSAGE_EXCEEDS_MAX_SIZE = MakeHresult(0x800710F0);
// Success code some keyword operations answer instead of S_OK.
inline constexpr HRESULT S_KEYWORD_ALREADY = MakeHresult(0x42000003);

inline constexpr bool Succeeded(HRESULT hr) { return hr >= 0; }
inline constexpr bool Failed(HRESULT hr) { return hr < 0; }

// A Jet engine error number (3075, 3078, ...) as a status in facility 0x800A.
inline constexpr HRESULT JetError(uint16_t number) {
  return MakeHresult(0x800A0000u | number);
}
inline constexpr bool IsJetError(HRESULT hr) {
  return (static_cast<uint32_t>(hr) & 0xFFFF0000u) == 0x800A0000u;
}

// "0x80004005 (E_FAIL)" for messages and logs.
std::string DescribeHresult(HRESULT hr);

}  // namespace albumcore::com
