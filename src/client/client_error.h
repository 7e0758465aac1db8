// Failures of the client library, with a message a person can act on.
#pragma once

#include <sdbus-c++/Error.h>

#include <stdexcept>
#include <string>

namespace albumcore::client {

// The server could not be reached, or the bus failed under a call.
class TransportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Turns a D-Bus failure into a TransportError that says what to do.
[[noreturn]] void RaiseTransportError(const sdbus::Error& error, const std::string& serverName);

}  // namespace albumcore::client
