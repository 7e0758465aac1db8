#include "server/command_line.h"

#include <algorithm>
#include <cctype>

namespace albumcore::server {

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine result;
  for (int i = 1; i < argc; ++i) {
    std::string token = argv[i];
    if (token.empty() || (token[0] != '-' && token[0] != '/')) {
      result.unknown.push_back(token);
      continue;
    }
    std::string word = token.substr(token.find_first_not_of("-/") == std::string::npos ? token.size()
                                                                                        : token.find_first_not_of("-/"));
    std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::tolower(c); });
    if (word == "regserver") {
      result.action = ServerAction::RegServer;
    } else if (word == "unregserver") {
      result.action = ServerAction::UnregServer;
    } else if (word == "service") {
      result.action = ServerAction::Service;
    } else if (word == "help" || word == "h" || word == "?") {
      result.action = ServerAction::Help;
    } else {
      result.unknown.push_back(token);
    }
  }
  return result;
}

}  // namespace albumcore::server
