#include "server/command_line.h"

#include <algorithm>
#include <array>
#include <cctype>
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

std::string Lower(std::string word) {
  std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::tolower(c); });
  return word;
}

std::optional<ServerAction> SwitchAction(const std::string& token) {
  if (token.empty() || (token[0] != '-' && token[0] != '/')) return std::nullopt;
  const std::string word = Lower(token.substr(std::min(token.find_first_not_of("-/"), token.size())));
  for (const auto& [name, action] : kSwitches) {
    if (word == name) return action;
  }
  return std::nullopt;
}

// The option a "--" token names, if it is one of ours.
std::optional<std::string>* OptionSlot(CommandLine& line, const std::string& name) {
  if (name == "root") return &line.root;
  if (name == "group") return &line.group;
  return nullptr;
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine result;
  bool chosen = false;
  for (int i = 1; i < argc; ++i) {
    const std::string token = argv[i];
    if (token.rfind("--", 0) == 0) {
      const size_t eq = token.find('=');
      if (auto* slot = OptionSlot(result, Lower(token.substr(2, eq == std::string::npos ? eq : eq - 2)))) {
        if (eq != std::string::npos) {
          *slot = token.substr(eq + 1);
        } else if (i + 1 < argc) {
          *slot = argv[++i];
        } else {
          result.missingValue.push_back(token);
        }
        continue;
      }
    }
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
