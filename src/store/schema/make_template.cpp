// albumcore_make_template: builds a catalogue file from layout scripts.
//
//   albumcore_make_template OUTPUT
//       the current layout as the build embedded it: the template
//   albumcore_make_template --layout SCRIPT [--layout SCRIPT ...] OUTPUT
//       the given scripts in order, e.g. --layout old_layouts/v1.sql
//
// A relative SCRIPT that does not exist from the working directory is looked
// up in the layout source folder. Exit status: 0 built, 1 build failed (the
// message names the script, line and statement), 2 bad command line.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "store/schema/catalogue_builder.h"

namespace fs = std::filesystem;
namespace schema = albumcore::store::schema;

namespace {

constexpr const char* kUsage =
    "usage: albumcore_make_template [--layout SCRIPT]... OUTPUT\n"
    "  without --layout: the current catalogue layout (the template)\n";

fs::path ResolveScript(const fs::path& script) {
  if (script.is_absolute() || fs::exists(script)) return script;
  return fs::path(ALBUMCORE_SCHEMA_SOURCE_DIR) / script;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<fs::path> scripts;
  fs::path output;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--layout" && i + 1 < argc) {
      scripts.push_back(ResolveScript(argv[++i]));
    } else if (!arg.empty() && arg[0] != '-' && output.empty()) {
      output = arg;
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (output.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  try {
    std::vector<schema::LayoutScript> layout;
    for (const auto& script : scripts) layout.push_back(schema::ReadLayoutScript(script));
    if (scripts.empty()) layout = schema::CurrentLayoutScripts();
    schema::BuildCatalogue(layout, output);
  } catch (const schema::BuildError& e) {
    std::fprintf(stderr, "albumcore_make_template: %s\n", e.what());
    return 1;
  }
  return 0;
}
