// The hive file format and the in-memory hive, without touching the disk.
#include <gtest/gtest.h>

#include <sstream>

#include "registry/hive.h"
#include "registry/reg_file_format.h"

namespace albumcore::registry {
namespace {

constexpr const char* kAlbum = "SOFTWARE\\Orvane\\Crestkit9\\Album";

Hive Parse(const std::string& text) {
  Hive hive;
  std::string error;
  EXPECT_TRUE(ParseRegFile(text, "machine.reg", hive, error)) << error;
  return hive;
}

std::string ParseError(const std::string& text) {
  Hive hive;
  std::string error;
  EXPECT_FALSE(ParseRegFile(text, "machine.reg", hive, error)) << text;
  return error;
}

Hive RoundTrip(const Hive& hive) { return Parse(FormatRegFile(hive)); }

// "\\k\\k...": a path `levels` keys deep.
std::string DeepPath(size_t levels) {
  std::string path;
  for (size_t i = 0; i < levels; ++i) path += "\\k";
  return path;
}

std::string HexBytes(size_t count) {
  std::string list;
  for (size_t i = 0; i < count; ++i) list += i == 0 ? "00" : ",00";
  return list;
}

TEST(RegFileFormat, ReadsWhatAPersonWritesAndKeepsWhatItDoesNotUnderstand) {
  const std::string file =
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; installed by hand\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane\\Crestkit9\\Album]\r\n"
      "\"DBLocation\"=\"C:\\\\Data\\\\\\\"Album\\\"\"\r\n"
      "@=\"default\"\r\n"
      "\"Count\" = dword:0000000A\r\n"
      "\"Small\"=dword:7\r\n"
      "; expands %HOME%\r\n"
      "\"Expand\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,\\\r\n"
      "  00,00\r\n"
      "\"Multi\"=hex(7):61,00,00,00,00,00\r\n"
      "\"Blob\"=hex:de,ad,be,ef\r\n"
      "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\r\n";
  Hive hive = Parse(file);

  std::string text;
  uint32_t number = 0;
  ASSERT_EQ(hive.GetString(kAlbum, "DBLocation", text), RegStatus::Ok);
  EXPECT_EQ(text, "C:\\Data\\\"Album\"");
  ASSERT_EQ(hive.GetString(kAlbum, "", text), RegStatus::Ok);
  EXPECT_EQ(text, "default");
  ASSERT_EQ(hive.GetDword(kAlbum, "Count", number), RegStatus::Ok);
  EXPECT_EQ(number, 10u);
  ASSERT_EQ(hive.GetDword(kAlbum, "Small", number), RegStatus::Ok);
  EXPECT_EQ(number, 7u);
  for (const char* other : {"Expand", "Multi", "Blob", "Qword"}) {
    EXPECT_EQ(hive.GetString(kAlbum, other, text), RegStatus::WrongType) << other;
    EXPECT_EQ(hive.GetDword(kAlbum, other, number), RegStatus::WrongType) << other;
  }

  // Rewritten, the values of other types and the comments survive as written.
  std::string rewritten = FormatRegFile(hive);
  EXPECT_NE(rewritten.find("; installed by hand\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane\\Crestkit9\\Album]"),
            std::string::npos) << rewritten;
  EXPECT_NE(rewritten.find("; expands %HOME%\n\"Expand\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,\\\n  00,00\n"),
            std::string::npos) << rewritten;
  for (const char* line : {"\"Multi\"=hex(7):61,00,00,00,00,00\n", "\"Blob\"=hex:de,ad,be,ef\n",
                           "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\n", "\"Count\"=dword:0000000a\n"})
    EXPECT_NE(rewritten.find(line), std::string::npos) << line;
  EXPECT_EQ(FormatRegFile(Parse(rewritten)), rewritten);
}

TEST(RegFileFormat, StringsThatAreNotPlainTextTravelAsUtf16WithoutTerminator) {
  Hive hive;
  ASSERT_EQ(hive.SetString("K", "Lines", "one\ntwo"), RegStatus::Ok);
  ASSERT_EQ(hive.SetString("K", "Plain", "abc"), RegStatus::Ok);
  std::string file = FormatRegFile(hive);
  EXPECT_NE(file.find("\"Plain\"=\"abc\"\n"), std::string::npos);
  EXPECT_NE(file.find("\"Lines\"=hex(1):6f,00,6e,00,65,00,0a,00,74,00,77,00,6f,00\n"), std::string::npos) << file;

  std::string text;
  // A terminating null written by another tool is dropped on reading.
  Hive terminated = Parse("Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n\"v\"=hex(1):61,00,62,00,00,00\n");
  ASSERT_EQ(terminated.GetString("K", "v", text), RegStatus::Ok);
  EXPECT_EQ(text, "ab");

  // Controls, NULs inside and at the end, non-ASCII and a character beyond
  // U+FFFF, long enough to wrap over several lines.
  const std::string hostile = std::string("x\0y\r\n\t", 6) + " \xC3\xA9t\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80 " +
                              std::string(60, 'z') + std::string("\0", 1);
  ASSERT_EQ(hive.SetString("K", "v", hostile), RegStatus::Ok);
  file = FormatRegFile(hive);
  std::istringstream lines(file);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
  ASSERT_EQ(RoundTrip(hive).GetString("K", "v", text), RegStatus::Ok);
  EXPECT_EQ(text, hostile);

  // hex(1) that is not text (an unpaired surrogate) is kept verbatim rather than mangled.
  Hive odd = Parse("Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n\"v\"=hex(1):00,d8,41,00\n");
  EXPECT_EQ(odd.GetString("K", "v", text), RegStatus::WrongType);
  EXPECT_NE(FormatRegFile(odd).find("\"v\"=hex(1):00,d8,41,00\n"), std::string::npos);
}

TEST(RegFileFormat, MalformedLinesAreReportedWithTheirNumber) {
  const std::string header = "Windows Registry Editor Version 5.00\n\n";
  const std::string key = "[HKEY_LOCAL_MACHINE\\K]\n";
  struct Case {
    std::string text;
    std::string expected;  // prefix of the error
  };
  const Case cases[] = {
      {"REGEDIT4\n", "machine.reg:1: expected the header"},
      {"\xFF\xFEW\0i\0n\0", "machine.reg:1: the file is UTF-16"},
      {header + "\"v\"=\"x\"\n", "machine.reg:3: a value before"},
      {header + key + "just text\n", "machine.reg:4: expected a [key] line"},
      {header + key + "\"v\"=\"a\\nb\"\n", "machine.reg:4: bad escape"},
      {header + key + "\"v\"=\"open\n", "machine.reg:4: missing closing quote"},
      {header + key + "\"v\"=\"x\" trailing\n", "machine.reg:4: unexpected text"},
      {header + key + "\"v\"=dword:123456789\n", "machine.reg:4: a dword needs"},
      {header + key + "\"v\"=dword:12g4\n", "machine.reg:4: bad hex digit"},
      {header + key + "\"v\"=hex:12,zz\n", "machine.reg:4: bad hex data"},
      {header + key + "\"v\"=hex:123\n", "machine.reg:4: bad hex data"},
      {header + key + "\"v\"=hex(2:00\n", "machine.reg:4: bad hex(type)"},
      {header + key + "\"v\"=hex:00,\\\n", "machine.reg:4: the hex data continues"},
      {header + key + "\"v\"=-\n", "machine.reg:4: value deletion"},
      {header + key + "\"v\"=str:x\n", "machine.reg:4: expected \"text\""},
      {header + key + "\"v\" \"x\"\n", "machine.reg:4: expected '='"},
      {header + "[-HKEY_LOCAL_MACHINE\\K]\n", "machine.reg:3: key deletion"},
      {header + "[HKEY_CURRENT_USER\\K]\n", "machine.reg:3: only HKEY_LOCAL_MACHINE"},
      {header + "[HKEY_LOCAL_MACHINE\\A\\\\B]\n", "machine.reg:3: an empty key name"},
      {header + "[HKEY_LOCAL_MACHINE\\" + std::string(256, 'k') + "]\n", "machine.reg:3: a key name longer than 255"},
      {header + "[HKEY_LOCAL_MACHINE" + DeepPath(513) + "]\n", "machine.reg:3: a key path deeper than 512"},
      {header + key + "\"" + std::string(16384, 'n') + "\"=\"x\"\n", "machine.reg:4: a value name longer than 16383"},
      {header + key + "\"v\"=\"" + std::string(32769, 'x') + "\"\n", "machine.reg:4: value data over 65536 bytes"},
      {header + key + "\"v\"=hex:" + HexBytes(65537) + "\n", "machine.reg:4: value data over 65536 bytes"},
      {header + "[HKEY_LOCAL_MACHINE\\K\n", "machine.reg:3: a [key] line must end"},
      {header + key + "\"v\"=\"\xC3\x28\"\n", "machine.reg:4: text is not valid UTF-8"},
      // The line of a broken continuation is the line where the value starts.
      {header + key + "\"ok\"=hex:00,\\\n  01\n\"v\"=hex:00,\\\n  0x\n", "machine.reg:6: bad hex data"},
  };
  EXPECT_TRUE(Parse("").root().subkeys().empty());
  for (const Case& c : cases) {
    std::string error = ParseError(c.text);
    EXPECT_EQ(error.rfind(c.expected, 0), 0u) << "got: " << error << "\nfor: " << c.text;
  }
}

TEST(Hive, NamesIgnoreCaseButKeepTheirOwn) {
  Hive hive;
  ASSERT_EQ(hive.SetString("Software\\Été", "Name", "1"), RegStatus::Ok);
  ASSERT_EQ(hive.SetString("SOFTWARE\\éTÉ", "NAME", "2"), RegStatus::Ok);  // the same value
  std::vector<std::string> names;
  ASSERT_EQ(hive.GetSubkeyNames("", names), RegStatus::Ok);
  EXPECT_EQ(names, std::vector<std::string>{"Software"});
  ASSERT_EQ(hive.GetSubkeyNames("software", names), RegStatus::Ok);
  EXPECT_EQ(names, std::vector<std::string>{"Été"});
  std::vector<RegValueInfo> values;
  ASSERT_EQ(hive.GetValueInfos("software\\ÉTÉ", values), RegStatus::Ok);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].name, "Name");
  std::string text;
  ASSERT_EQ(hive.GetString("\\\\SOFTWARE\\\\été\\", "name", text), RegStatus::Ok);
  EXPECT_EQ(text, "2");
}

TEST(Hive, SubkeysEnumerateInCreationOrderAcrossTheFile) {
  Hive hive;
  for (const char* k : {"F\\3", "F\\17", "F\\100", "F\\2"}) ASSERT_EQ(hive.CreateKey(k), RegStatus::Ok);
  std::vector<std::string> names;
  ASSERT_EQ(RoundTrip(hive).GetSubkeyNames("F", names), RegStatus::Ok);
  EXPECT_EQ(names, (std::vector<std::string>{"3", "17", "100", "2"}));

  // A file that lists 17 before 3 enumerates them so, also when 3's section comes later.
  Hive fromFile = Parse(
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\F\\17]\n\n[HKEY_LOCAL_MACHINE\\G]\n\n"
      "[HKEY_LOCAL_MACHINE\\F\\3]\n");
  ASSERT_EQ(fromFile.GetSubkeyNames("F", names), RegStatus::Ok);
  EXPECT_EQ(names, (std::vector<std::string>{"17", "3"}));
  ASSERT_EQ(fromFile.GetSubkeyNames("", names), RegStatus::Ok);
  EXPECT_EQ(names, (std::vector<std::string>{"F", "G"}));
}

TEST(Hive, HoldsWhatTheRegistryHoldsAndRefusesWhatIsBeyond) {
  Hive hive;
  // Limits count UTF-16 units: an astral character counts two.
  const std::string longest = std::string(253, 'k') + "\xF0\x9F\x98\x80";
  EXPECT_EQ(hive.CreateKey("A\\" + longest), RegStatus::Ok);
  EXPECT_EQ(hive.CreateKey("A\\" + longest + "x"), RegStatus::InvalidArgument);
  EXPECT_EQ(hive.problem(), "a key name longer than 255 characters");
  EXPECT_EQ(hive.CreateKey(DeepPath(512)), RegStatus::Ok);
  EXPECT_EQ(hive.CreateKey(DeepPath(513)), RegStatus::InvalidArgument);
  EXPECT_EQ(hive.problem(), "a key path deeper than 512 levels");
  EXPECT_EQ(hive.SetString("A", std::string(16383, 'n'), "x"), RegStatus::Ok);
  EXPECT_EQ(hive.SetString("A", std::string(16384, 'n'), "x"), RegStatus::InvalidArgument);
  EXPECT_EQ(hive.SetString("A", "v", std::string(32768, 'x')), RegStatus::Ok);
  EXPECT_EQ(hive.SetString("A", "v", std::string(32767, 'x') + "\xF0\x9F\x98\x80"), RegStatus::InvalidArgument);
  EXPECT_EQ(hive.problem(), "value data over 65536 bytes");

  // Names the file cannot carry; nothing is half-created.
  EXPECT_EQ(hive.CreateKey("B\\bad\nname"), RegStatus::InvalidArgument);
  EXPECT_EQ(hive.SetString("B", "bad\tname", "x"), RegStatus::InvalidArgument);
  EXPECT_EQ(hive.SetString("B", "v", "\xFF\xFE"), RegStatus::InvalidArgument);
  EXPECT_EQ(hive.DeleteKey(""), RegStatus::InvalidArgument);
  EXPECT_EQ(hive.FindKey("B"), nullptr);
  EXPECT_EQ(hive.DeleteValue("B", "v"), RegStatus::NotFound);

  // A hostile path is refused, not walked: 30,000 levels in 60 KB.
  const std::string hostile = DeepPath(30000);
  EXPECT_EQ(hive.CreateKey(hostile), RegStatus::InvalidArgument);
  EXPECT_EQ(hive.SetDword(hostile, "v", 1), RegStatus::InvalidArgument);
  EXPECT_EQ(hive.FindKey(hostile), nullptr);
  EXPECT_EQ(hive.DeleteKey(hostile), RegStatus::NotFound);

  // The deepest tree formats and parses back, and a bounded format stops early.
  Hive deep = RoundTrip(hive);
  EXPECT_NE(deep.FindKey(DeepPath(512)), nullptr);
  EXPECT_FALSE(FormatRegFile(hive, 1000).has_value());
}

TEST(Hive, ChangesTakenBackLeaveTheHiveExactlyAsItWas) {
  Hive hive = Parse(
      "Windows Registry Editor Version 5.00\n\n"
      "; kept above A\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"\n\"y\"=dword:00000002\n\"z\"=hex:01\n\n"
      "[HKEY_LOCAL_MACHINE\\A\\B\\C]\n\"deep\"=\"3\"\n\n[HKEY_LOCAL_MACHINE\\D]\n");
  const std::string before = FormatRegFile(hive);

  hive.StartChanges();
  EXPECT_FALSE(hive.HasChanges());
  ASSERT_EQ(hive.SetString("a", "X", "1"), RegStatus::Ok);  // the same value: no change
  EXPECT_FALSE(hive.HasChanges());
  ASSERT_EQ(hive.SetString("A", "x", "changed"), RegStatus::Ok);
  ASSERT_EQ(hive.DeleteValue("A", "y"), RegStatus::Ok);
  ASSERT_EQ(hive.SetDword("A", "new", 5), RegStatus::Ok);
  ASSERT_EQ(hive.DeleteKey("A\\B"), RegStatus::Ok);
  ASSERT_EQ(hive.CreateKey("A\\B\\Other\\Deeper"), RegStatus::Ok);
  ASSERT_EQ(hive.SetString("E\\F", "v", "w"), RegStatus::Ok);
  ASSERT_EQ(hive.DeleteKey("D"), RegStatus::Ok);
  EXPECT_TRUE(hive.HasChanges());
  hive.UndoChanges();
  EXPECT_EQ(FormatRegFile(hive), before);
  std::string text;
  EXPECT_EQ(hive.GetString("A\\B\\C", "deep", text), RegStatus::Ok);  // the subtree came back whole

  // Kept changes stay, and are not taken back by a later undo.
  hive.StartChanges();
  ASSERT_EQ(hive.SetString("A", "x", "kept"), RegStatus::Ok);
  hive.KeepChanges();
  hive.StartChanges();
  ASSERT_EQ(hive.DeleteKey("A"), RegStatus::Ok);
  hive.UndoChanges();
  ASSERT_EQ(hive.GetString("A", "x", text), RegStatus::Ok);
  EXPECT_EQ(text, "kept");
}

}  // namespace
}  // namespace albumcore::registry
