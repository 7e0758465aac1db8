#include "private_bus.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sdbus-c++/sdbus-c++.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace albumcore::testing {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& extraEnv,
                           bool mergeStderr) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  if (mergeStderr) posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);

  std::map<std::string, std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry(*e);
    auto eq = entry.find('=');
    if (eq != std::string::npos) env[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [k, v] : extraEnv) env[k] = v;
  std::vector<std::string> envStrings;
  for (const auto& [k, v] : env) envStrings.push_back(k + "=" + v);
  std::vector<char*> envp;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = argv;
  std::vector<char*> argp;
  for (auto& s : args) argp.push_back(s.data());
  argp.push_back(nullptr);

  const int rc = posix_spawn(&pid_, argp[0], &actions, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  stdoutFd_ = pipeFds[0];
  if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
}

ChildProcess::~ChildProcess() {
  if (!reaped_) {
    kill(pid_, SIGKILL);
    Wait();
  }
  close(stdoutFd_);
}

std::string ChildProcess::ReadAll(int timeoutMs) {
  std::string all;
  for (std::string line = ReadLine(timeoutMs); !line.empty() || !buffered_.empty(); line = ReadLine(timeoutMs)) {
    all += line + "\n";
  }
  return all;
}

std::string ChildProcess::ReadLine(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    auto nl = buffered_.find('\n');
    if (nl != std::string::npos) {
      std::string line = buffered_.substr(0, nl);
      buffered_.erase(0, nl + 1);
      return line;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return {};
    pollfd p{stdoutFd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return {};
    char buf[4096];
    ssize_t n = read(stdoutFd_, buf, sizeof buf);
    if (n <= 0) return {};
    buffered_.append(buf, static_cast<size_t>(n));
  }
}

void ChildProcess::Signal(int signal) {
  if (!reaped_) kill(pid_, signal);
}

int ChildProcess::Wait() {
  if (!reaped_) {
    while (waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
  }
  return status_;
}

int ChildProcess::WaitExitCode() {
  int status = Wait();
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

PrivateBus::PrivateBus(const std::string& policyFolder) {
  char tmpl[] = "/tmp/albumcore-bus-XXXXXX";
  if (mkdtemp(tmpl) == nullptr) throw std::runtime_error("mkdtemp failed");
  dir_ = tmpl;
  const std::string config = dir_ + "/bus.conf";
  const std::string openPolicy = R"(  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
)";
  // What a system bus allows before its policy files punch holes.
  const std::string systemPolicy = R"(  <policy context="default">
    <allow user="*"/>
    <deny own="*"/>
    <deny send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus.Introspectable"/>
  </policy>
  <includedir>)" + policyFolder + R"(</includedir>
)";
  std::ofstream(config) << R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=)" << dir_ << R"(</listen>
  <auth>EXTERNAL</auth>
)" << (policyFolder.empty() ? openPolicy : systemPolicy)
                        << "</busconfig>\n";
  daemon_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{"/usr/bin/dbus-daemon", "--config-file=" + config, "--nofork", "--print-address=1"},
      std::map<std::string, std::string>{});
  address_ = daemon_->ReadLine();
  if (address_.empty()) throw std::runtime_error("dbus-daemon did not start");
}

PrivateBus::~PrivateBus() {
  daemon_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

bool WaitForName(const std::string& busAddress, const std::string& name, int timeoutMs) {
  auto connection = sdbus::createSessionBusConnectionWithAddress(busAddress);
  auto bus = sdbus::createProxy(*connection, "org.freedesktop.DBus", "/org/freedesktop/DBus");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    bool owned = false;
    bus->callMethod("NameHasOwner").onInterface("org.freedesktop.DBus").withArguments(name).storeResultsTo(owned);
    if (owned) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

}  // namespace albumcore::testing
