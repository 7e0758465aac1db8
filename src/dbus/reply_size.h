// What values cost in a reply, counted before the reply is built.
//
// A message past the bus's limit is not merely refused: the bus daemon
// drops the connection that sent it, which would take the server off the
// bus for every client. So a slot whose reply grows with the catalogue (an
// item listing) counts its values first and answers
// E_MESSAGE_EXCEEDS_MAX_SIZE, with empty values, when they would not fit.
#pragma once

#include <cstddef>
#include <span>

#include "com/variant.h"

namespace albumcore::dbus {

// The bus daemon's own default for one message on a system bus, and the
// protocol's limit, which no configured bus goes past.
inline constexpr size_t kDefaultMaxReplyBytes = size_t{32} << 20;
inline constexpr size_t kProtocolMaxMessageBytes = size_t{128} << 20;
// What the header, the status and the argument signature may take besides
// the values.
inline constexpr size_t kReplyOverheadBytes = 1024;

// An upper bound of the bytes `value` takes in a message as (qv),
// alignment included.
size_t WireBytesOf(const com::Variant& value);

// Raises ComError(E_MESSAGE_EXCEEDS_MAX_SIZE) when `values` together
// would make a reply larger than `limit`; `what` names the call for the
// log line on stderr.
void CheckReplyFits(std::span<const com::Variant* const> values, size_t limit, const char* what);

}  // namespace albumcore::dbus
