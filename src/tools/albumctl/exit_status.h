// albumctl's exit statuses, one per kind of outcome, and the exceptions that
// carry a command's outcome out to main(), which maps each to its status.
//
//   0  success
//   1  the answer is "no": nothing found, nothing written, a check found damage
//   2  the server could not be reached (no bus, no server, no answer)
//   3  the command line is wrong
//   4  a failure: the server or the engine answered an error status, or a
//      file (a catalogue, the registry) could not be used
//   5  the library named does not exist (only `library open` makes one)
#pragma once

#include <stdexcept>

namespace albumcore::tools {

enum ExitStatus : int {
  kExitSuccess = 0,
  kExitNo = 1,
  kExitUnreachable = 2,
  kExitUsage = 3,
  kExitFailure = 4,
  kExitNoLibrary = 5,
};

// The answer is "no" (exit kExitNo); the message says what was not there.
class NegativeAnswer : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// No catalogue file where a command was told to find its library (exit
// kExitNoLibrary): commands other than `library open` never make one.
class LibraryNotFound : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Something albumctl found broken itself, without a status from the server
// or the engine (exit kExitFailure), e.g. a malformed registry file.
class LocalFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A failure albumctl has already told in full on standard error (a script's
// statement, with where it failed): exit kExitFailure, printing nothing more.
class ToldFailure : public std::runtime_error {
 public:
  ToldFailure() : std::runtime_error("failure told already") {}
};

}  // namespace albumcore::tools
