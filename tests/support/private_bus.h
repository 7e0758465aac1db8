// Test fixtures that start real processes: a private D-Bus daemon and a
// server executable on it. Both are stopped when the fixture goes.
#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace albumcore::testing {

// A process started with posix_spawn, its standard output readable by line.
class ChildProcess {
 public:
  // `mergeStderr` sends the child's standard error into the same pipe.
  ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& extraEnv,
               bool mergeStderr = false);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next line the child printed, without its newline; empty at end of
  // output or after `timeoutMs`.
  std::string ReadLine(int timeoutMs = 10000);
  // Everything the child prints until it closes its output.
  std::string ReadAll(int timeoutMs = 10000);
  void Signal(int signal);
  // Waits for the child to end; its exit status as waitpid gives it.
  int Wait();
  // Exit code, or 128 + signal number.
  int WaitExitCode();
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int stdoutFd_ = -1;
  std::string buffered_;
  bool reaped_ = false;
  int status_ = 0;
};

class PrivateBus {
 public:
  // Anyone may own any name and call anything; with `policyFolder`, the bus
  // refuses as a system bus does (no name owned, no method called but what
  // a policy file in that folder allows).
  explicit PrivateBus(const std::string& policyFolder = {});
  ~PrivateBus();
  const std::string& address() const { return address_; }
  const std::string& directory() const { return dir_; }

 private:
  std::string dir_;
  std::string address_;
  std::unique_ptr<ChildProcess> daemon_;
};

// Blocks until `name` has an owner on the bus (true) or `timeoutMs` passes.
bool WaitForName(const std::string& busAddress, const std::string& name, int timeoutMs = 10000);

}  // namespace albumcore::testing
