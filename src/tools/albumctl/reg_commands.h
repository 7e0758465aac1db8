// `albumctl reg`: read and write values of the machine registry through
// the server's library factory.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>
#include <stdexcept>

#include "client/session.h"

namespace albumcore::tools {

// The server answered "no" (S_FALSE): nothing found or nothing written.
class NegativeAnswer : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

void AddRegCommands(CLI::App& app, std::function<std::shared_ptr<client::Session>()> connect);

}  // namespace albumcore::tools
