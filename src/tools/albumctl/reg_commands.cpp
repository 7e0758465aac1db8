#include "reg_commands.h"

#include <iostream>

#include "client/lib_factory.h"

namespace albumcore::tools {

namespace {

struct RegArgs {
  std::string key;
  std::string name;
  bool dword = false;
  std::optional<std::string> text;
  std::optional<int64_t> number;
};

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
    const com::HRESULT hr = factory.RegReadFromLocalMachine(args->key, args->name, value);
    if (hr != com::S_OK) {
      throw NegativeAnswer("no " + std::string(args->dword ? "number" : "string") + " value \"" + args->name +
                           "\" under " + args->key);
    }
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
    if (factory.RegWriteToLocalMachine(args->key, args->name, value) != com::S_OK) {
      throw NegativeAnswer("the server could not write \"" + args->name + "\" under " + args->key);
    }
  });
}

}  // namespace albumcore::tools
