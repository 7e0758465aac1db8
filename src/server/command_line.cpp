#include "server/command_line.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <utility>

namespace albumcore::server {

namespace {

constexpr std::array<std::pair<std::string_view, ServerAction>, 6> kSwitches = {{
    {"regserver", ServerAction::RegServer},
    {"unregserver", ServerAction::UnregServer},
    {"service", ServerAction::Service},
    {"help", ServerAction::Help},
    {"h", ServerAction::Help},
    {"?", ServerAction::Help},
}};

std::optional<ServerAction> SwitchAction(const std::string& token) {
  if (token.empty() || (token[0] != '-' && token[0] != '/')) return std::nullopt;
  std::string word = token.substr(std::min(token.find_first_not_of("-/"), token.size()));
  std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::tolower(c); });
  for (const auto& [name, action] : kSwitches) {
    if (word == name) return action;
  }
  return std::nullopt;
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine result;
  bool chosen = false;
  for (int i = 1; i < argc; ++i) {
    const std::string token = argv[i];
    const std::optional<ServerAction> action = SwitchAction(token);
    if (!action) {
      result.unknown.push_back(token);
    } else if (chosen && *action != result.action) {
      result.conflicting.push_back(token);
    } else {
      result.action = *action;
      chosen = true;
    }
  }
  return result;
}

}  // namespace albumcore::server
