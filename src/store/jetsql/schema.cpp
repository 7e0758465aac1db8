#include "store/jetsql/ascii.h"
#include "store/jetsql/schema.h"

#include <cctype>
#include <cstdlib>

#include "store/jetsql/jet_text.h"

namespace albumcore::store::jetsql {

const char* JetTypeName(JetType type) {
  switch (type) {
    case JetType::Unknown: return "Unknown";
    case JetType::YesNo: return "YesNo";
    case JetType::Byte: return "Byte";
    case JetType::Integer: return "Integer";
    case JetType::Long: return "Long";
    case JetType::Currency: return "Currency";
    case JetType::Single: return "Single";
    case JetType::Double: return "Double";
    case JetType::Date: return "Date";
    case JetType::Text: return "Text";
    case JetType::Binary: return "Binary";
    case JetType::Memo: return "Memo";
    case JetType::Counter: return "Counter";
    case JetType::Guid: return "Guid";
  }
  return "Unknown";
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() == b.size()) {
    bool ascii = true, equal = true;
    for (size_t i = 0; i < a.size(); ++i) {
      const auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
      if (ca >= 0x80 || cb >= 0x80) {
        ascii = false;
        break;
      }
      if (std::tolower(ca) != std::tolower(cb)) equal = false;
    }
    if (ascii) return equal;
  }
  return CompareNoCase(a, b) == 0;
}

const ColumnInfo* TableInfo::FindColumn(std::string_view column) const {
  for (const auto& c : columns)
    if (SameName(c.name, column)) return &c;
  return nullptr;
}

namespace {

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

}  // namespace

bool HasTextAffinity(std::string_view declaredType) {
  const std::string t = Upper(declaredType);
  if (t.find("INT") != std::string::npos) return false;
  return t.find("CHAR") != std::string::npos || t.find("CLOB") != std::string::npos ||
         t.find("TEXT") != std::string::npos;
}

JetType JetTypeFromDeclared(std::string_view declaredType, bool autoIncrement, int64_t* size) {
  const std::string t = Upper(declaredType);
  if (size != nullptr) {
    *size = 0;
    const size_t open = t.find('(');
    if (open != std::string::npos) *size = std::atoll(t.c_str() + open + 1);
  }
  if (autoIncrement || StartsWith(t, "COUNTER") || StartsWith(t, "AUTOINCREMENT")) return JetType::Counter;
  static constexpr std::pair<std::string_view, JetType> kPrefixes[] = {
      {"YESNO", JetType::YesNo},        {"BIT", JetType::YesNo},           {"BOOLEAN", JetType::YesNo},
      {"LOGICAL", JetType::YesNo},      {"BYTE", JetType::Byte},           {"TINYINT", JetType::Byte},
      {"SHORT", JetType::Integer},      {"SMALLINT", JetType::Integer},    {"LONGTEXT", JetType::Memo},
      {"LONG TEXT", JetType::Memo},     {"MEMO", JetType::Memo},           {"LONGCHAR", JetType::Memo},
      {"NOTE", JetType::Memo},          {"LONGBINARY", JetType::Binary},   {"LONG BINARY", JetType::Binary},
      {"OLEOBJECT", JetType::Binary},   {"BLOB", JetType::Binary},         {"BINARY", JetType::Binary},
      {"VARBINARY", JetType::Binary},   {"DATETIME", JetType::Date},       {"DATE", JetType::Date},
      {"TIMESTAMP", JetType::Date},     {"TIME", JetType::Date},           {"CURRENCY", JetType::Currency},
      {"MONEY", JetType::Currency},     {"SINGLE", JetType::Single},       {"FLOAT4", JetType::Single},
      {"REAL", JetType::Single},        {"DOUBLE", JetType::Double},       {"FLOAT", JetType::Double},
      {"NUMERIC", JetType::Double},     {"DECIMAL", JetType::Double},      {"NUMBER", JetType::Double},
      {"GUID", JetType::Guid},          {"UNIQUEIDENTIFIER", JetType::Guid}, {"TEXT", JetType::Text},
      {"VARCHAR", JetType::Text},       {"NVARCHAR", JetType::Text},       {"CHAR", JetType::Text},
      {"STRING", JetType::Text},        {"CLOB", JetType::Memo},
  };
  for (const auto& [prefix, type] : kPrefixes)
    if (StartsWith(t, prefix)) return type;
  if (StartsWith(t, "LONG") || t.find("INT") != std::string::npos) return JetType::Long;
  return JetType::Unknown;
}

}  // namespace albumcore::store::jetsql
