// Runs a check as an unprivileged user, so that permissions apply even when
// the tests run as root: in a child process that drops to "nobody".
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include <gtest/gtest.h>

namespace albumcore::file_system::testing {

inline constexpr uid_t kNobody = 65534;

// The check's exit code (0: passed); 77 when the process cannot change user.
inline int RunAsNobody(const std::function<int()>& check) {
  const pid_t child = ::fork();
  if (child < 0) return 77;
  if (child == 0) {
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
                             ::setresuid(kNobody, kNobody, kNobody) != 0)) {
      ::_exit(77);
    }
    ::_exit(check());
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 99;
  return WEXITSTATUS(status);
}

}  // namespace albumcore::file_system::testing
