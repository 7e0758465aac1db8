// albumctl: the command-line client of the catalogue server.
//
//   albumctl ping
//   albumctl reg read  'SOFTWARE\Orvane\Crestkit9\Album' DBName
//   albumctl reg read  'SOFTWARE\Orvane\Crestkit9\Album' Count --dword
//   albumctl reg write 'SOFTWARE\Orvane\Crestkit9\Album' DBName --string main.olb
//   albumctl reg write 'SOFTWARE\Orvane\Crestkit9\Album' Count --dword 10
//   albumctl db sql catalogue.db "SELECT Name FROM AlbumItems WHERE ItemType = 9" [--json]
//   albumctl db query catalogue.db GetItemRecord -p item_id=12
//   albumctl db check|repair|upgrade|version catalogue.db
//   albumctl db compact catalogue.db compacted.db
//   albumctl file info ~/Pictures/*.jpg
//   albumctl library open|close|info ~/Pictures/pictures.db
//   albumctl item import ~/Pictures/2024 --library ~/Pictures/pictures.db
//   albumctl item list|show|set ... --library ~/Pictures/pictures.db
//   albumctl watch --library ~/Pictures/pictures.db
//
// Exit status: see exit_status.h (0 success, 1 the answer is no, 2 the
// server could not be reached, 3 a wrong command line, 4 a failure, 5 no
// library at the path given).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>

#include "client/lib_factory.h"
#include "db_commands.h"
#include "exit_status.h"
#include "file_commands.h"
#include "item_commands.h"
#include "album_commands.h"
#include "library_commands.h"
#include "reg_commands.h"
#include "watch_command.h"

int main(int argc, char** argv) {
  namespace ac = albumcore;
  CLI::App app{"Command-line client of the media catalogue server"};
  app.require_subcommand(1);
  app.footer(
      "Exit status: 0 success; 1 the answer is no (nothing found, nothing written); 2 the server cannot be "
      "reached; 3 the command line is wrong; 4 a failure (the server or the engine refused, a file cannot be "
      "used); 5 no library at the path given.");
  std::string busAddress;
  std::string serverName = ac::client::kDefaultServerName;
  app.add_option("--bus", busAddress, "D-Bus address (default: the session bus)");
  app.add_option("--server", serverName, "bus name of the server")->capture_default_str();

  auto connect = [&] { return ac::client::Session::Connect(busAddress, serverName); };

  auto* ping = app.add_subcommand("ping", "check that the server answers");
  ping->callback([&] {
    auto session = connect();
    ac::client::LibFactory factory(session);
    std::cout << "catalogue server " << serverName << " is running\n";
  });

  ac::tools::AddRegCommands(app, connect);
  ac::tools::AddDbCommands(app);
  ac::tools::AddFileCommands(app);
  ac::tools::AddLibraryCommands(app, connect);
  ac::tools::AddItemCommands(app, connect);
  ac::tools::AddAlbumCommands(app, connect);
  ac::tools::AddWatchCommand(app, connect);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? ac::tools::kExitSuccess : ac::tools::kExitUsage;
  } catch (const ac::tools::ToldFailure&) {
    return ac::tools::kExitFailure;
  } catch (const ac::tools::LibraryNotFound& e) {
    std::cerr << "albumctl: " << e.what() << "\n";
    return ac::tools::kExitNoLibrary;
  } catch (const ac::tools::NegativeAnswer& e) {
    std::cerr << "albumctl: " << e.what() << "\n";
    return ac::tools::kExitNo;
  } catch (const ac::client::TransportError& e) {
    std::cerr << "albumctl: " << e.what() << "\n";
    return ac::tools::kExitUnreachable;
  } catch (const ac::com::ComError& e) {
    // The words first; the status for scripts and bug reports after.
    const std::string status = ac::com::DescribeHresult(e.hr());
    std::cerr << "albumctl: " << (e.detail().empty() ? status : e.detail() + " [" + status + "]") << "\n";
    return ac::tools::kExitFailure;
  } catch (const std::exception& e) {
    std::cerr << "albumctl: " << e.what() << "\n";
    return ac::tools::kExitFailure;
  }
  return 0;
}
