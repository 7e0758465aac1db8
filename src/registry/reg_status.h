// Outcome of every registry store operation.
//
// A plain enum, cheap to return and compare. The store keeps a readable
// detail of the last failure (file, line, system error) in lastError().
#pragma once

namespace albumcore::registry {

enum class [[nodiscard]] RegStatus {
  Ok,
  NotFound,         // the key or value does not exist
  WrongType,        // the value exists with another type than the one asked for
  Malformed,        // the file cannot be fully parsed; reads fail, writes are refused
  IoError,          // the file, its lock or its directory could not be read or written
  InvalidArgument,  // a name the file format cannot carry, or an operation on the root
};

// "Ok", "NotFound", ... for messages and test output.
const char* RegStatusName(RegStatus status);

}  // namespace albumcore::registry
