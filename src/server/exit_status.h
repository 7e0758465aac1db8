// The server executable's exit statuses. A registration switch exits with
// the outcome of its work; a running server with how it ended.
#pragma once

namespace albumcore::server {

enum ExitStatus : int {
  kExitOk = 0,            // registered, unregistered, or served and stopped (idle, signal, the bus ended)
  kExitRegistration = 1,  // registration could not write or remove the registry or a file
  kExitUsage = 2,         // the command line is wrong
  kExitNameTaken = 3,     // another server owns the bus name
  kExitServeFailed = 4,   // serving failed: no bus, a bus error, a failure at start
};

}  // namespace albumcore::server
