#include "reg_commands.h"

#include <iostream>

#include "client/lib_factory.h"
#include "com/text.h"
#include "registry/registry_path.h"
#include "registry/registry_store.h"

namespace albumcore::tools {

namespace {

using registry::RegStatus;

// Longest string the factory's read hands back, in UTF-16 code units.
constexpr size_t kMaxReadChars = 2080;

struct RegArgs {
  std::string key;
  std::string name;
  bool dword = false;
  std::optional<std::string> text;
  std::optional<int64_t> number;
};

std::string ValueIn(const RegArgs& args) { return "\"" + args.name + "\" under " + args.key; }

// The registry file as the server finds it (same environment, same rules),
// for telling why the server said no.
registry::RegistryStore ServersRegistry() {
  return registry::RegistryStore(registry::ResolveRegistryPath(registry::RegistryMode::LocalServer));
}

// A file that cannot be used is a failure; anything else the registry
// refuses is a "no".
[[noreturn]] void Explain(RegStatus status, const std::string& what, const registry::RegistryStore& store) {
  if (status == RegStatus::Malformed || status == RegStatus::IoError) throw LocalFailure(what + ": " + store.lastError());
  throw NegativeAnswer(what + ": " + store.lastError());
}

[[noreturn]] void ExplainFailedRead(const RegArgs& args) {
  const std::string kind = args.dword ? "number" : "string";
  auto store = ServersRegistry();
  uint32_t number = 0;
  std::string text;
  const RegStatus status =
      args.dword ? store.ReadDword(args.key, args.name, number) : store.ReadString(args.key, args.name, text);
  switch (status) {
    case RegStatus::NotFound: throw NegativeAnswer("no " + kind + " value " + ValueIn(args));
    case RegStatus::WrongType: throw NegativeAnswer("the value " + ValueIn(args) + " is not a " + kind);
    case RegStatus::Ok:
      if (!args.dword && com::Utf16Length(text) > kMaxReadChars) {
        throw NegativeAnswer("the string value " + ValueIn(args) + " is longer than the " +
                             std::to_string(kMaxReadChars) + " characters a read returns");
      }
      throw NegativeAnswer("the server found no " + kind + " value " + ValueIn(args) + ", though " + store.path() +
                           " has one: does the server use another registry file?");
    default: Explain(status, "cannot read " + ValueIn(args), store);
  }
}

[[noreturn]] void ExplainFailedWrite(const RegArgs& args) {
  auto store = ServersRegistry();
  const RegStatus status = store.CheckEdit([&](registry::Hive& hive) {
    return args.text ? hive.SetString(args.key, args.name, *args.text)
                     : hive.SetDword(args.key, args.name, static_cast<uint32_t>(*args.number));
  });
  if (status == RegStatus::Ok) {
    // Nothing wrong with the file now: the server met something passing
    // (another process holding the registry's lock, a full disk). Its log
    // says what.
    throw LocalFailure("the server could not write " + ValueIn(args) + " to " + store.path() +
                       "; the server's log says why");
  }
  Explain(status, "cannot write " + ValueIn(args), store);
}

}  // namespace

void AddRegCommands(CLI::App& app, std::function<std::shared_ptr<client::Session>()> connect) {
  auto* reg = app.add_subcommand("reg", "read and write machine registry values through the server");
  reg->require_subcommand(1);
  auto args = std::make_shared<RegArgs>();

  auto* read = reg->add_subcommand("read", "print a value (a string unless --dword)");
  read->add_option("key", args->key, "key path under HKEY_LOCAL_MACHINE")->required();
  read->add_option("name", args->name, "value name")->required();
  read->add_flag("--dword", args->dword, "read a 32-bit number");
  read->callback([args, connect] {
    client::LibFactory factory(connect());
    com::Variant value = args->dword ? com::Variant(0) : com::Variant("");
    if (factory.RegReadFromLocalMachine(args->key, args->name, value) != com::S_OK) ExplainFailedRead(*args);
    if (value.vt() == com::VT_I4) {
      std::cout << value.i4() << "\n";
    } else {
      std::cout << value.ToString() << "\n";
    }
  });

  auto* write = reg->add_subcommand("write", "store a string or a 32-bit number");
  write->add_option("key", args->key, "key path under HKEY_LOCAL_MACHINE (created when missing)")->required();
  write->add_option("name", args->name, "value name")->required();
  auto* text = write->add_option("--string", args->text, "store this text");
  auto* number = write->add_option("--dword", args->number, "store this number")->check(CLI::Range(INT64_C(-2147483648), INT64_C(4294967295)));
  text->excludes(number);
  write->callback([args, connect] {
    if (!args->text && !args->number) throw CLI::ValidationError("give the value with --string TEXT or --dword N");
    client::LibFactory factory(connect());
    const com::Variant value =
        args->text ? com::Variant(*args->text) : com::Variant(static_cast<int32_t>(static_cast<uint32_t>(*args->number)));
    if (factory.RegWriteToLocalMachine(args->key, args->name, value) != com::S_OK) ExplainFailedWrite(*args);
  });
}

}  // namespace albumcore::tools
