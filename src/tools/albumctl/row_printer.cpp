#include "row_printer.h"

#include <algorithm>
#include <cstdio>

#include "com/oadate.h"
#include "com/text.h"
#include "display_text.h"

namespace albumcore::tools {

namespace {

using com::Variant;

std::string TableText(const Variant& v) {
  switch (v.vt()) {
    case com::VT_NULL: return "NULL";
    case com::VT_EMPTY: return "";
    case com::VT_BOOL: return v.boolVal() ? "True" : "False";
    default:
      if (v.isArray()) {
        const auto& a = v.array();
        return "<" + std::to_string(a.size()) + (a.elementType() == com::VT_UI1 ? " bytes>" : " elements>");
      }
      return DisplayText(v.ToString());
  }
}

std::string JsonValue(const Variant& v) {
  switch (v.vt()) {
    case com::VT_NULL:
    case com::VT_EMPTY: return "null";
    case com::VT_BOOL: return v.boolVal() ? "true" : "false";
    case com::VT_I2: case com::VT_I4: case com::VT_I8: case com::VT_UI1: case com::VT_UI4: case com::VT_R8:
      return v.ToString();
    case com::VT_DATE: {
      auto t = com::FromOaDate(v.date());
      if (!t) return "null";
      char buf[40];
      std::snprintf(buf, sizeof buf, "\"%04d-%02d-%02dT%02d:%02d:%02d\"", t->year, t->month, t->day, t->hour,
                    t->minute, t->second);
      return buf;
    }
    case com::VT_BSTR: return JsonString(v.bstr().str());
    default:
      if (v.isArray() && v.array().elementType() == com::VT_UI1) {
        std::string hex = "\"";
        for (uint8_t b : v.array().elements<uint8_t>()) {
          char buf[3];
          std::snprintf(buf, sizeof buf, "%02x", b);
          hex += buf;
        }
        return hex + "\"";
      }
      return JsonString(TableText(v));
  }
}

}  // namespace

size_t PrintRows(store::dao::Recordset& rows, RowFormat format, std::ostream& out) {
  const int columns = rows.FieldCount();
  std::vector<std::string> names;
  for (int c = 0; c < columns; ++c) names.push_back(rows.Fields(c).Name());
  std::vector<std::string> shownNames;
  for (const auto& n : names) shownNames.push_back(DisplayText(n));

  std::vector<std::vector<Variant>> values;
  if (!rows.IsEOF()) rows.MoveFirst();
  for (; !rows.IsEOF(); rows.MoveNext()) {
    std::vector<Variant> row;
    for (int c = 0; c < columns; ++c) row.push_back(rows.GetValue(c));
    values.push_back(std::move(row));
  }

  if (format == RowFormat::Json) {
    out << "[";
    for (size_t r = 0; r < values.size(); ++r) {
      out << (r ? ",\n " : "\n ") << "{";
      for (int c = 0; c < columns; ++c) {
        out << (c ? ", " : "") << JsonString(names[c]) << ": " << JsonValue(values[r][c]);
      }
      out << "}";
    }
    out << (values.empty() ? "]\n" : "\n]\n");
    return values.size();
  }

  // Column widths in characters, capped so one long memo does not push the
  // rest off the screen.
  constexpr size_t kMaxWidth = 60;
  std::vector<std::vector<std::string>> cells;
  std::vector<size_t> width;
  for (const auto& n : shownNames) width.push_back(com::Utf16Length(n));
  for (const auto& row : values) {
    std::vector<std::string> line;
    for (int c = 0; c < columns; ++c) {
      std::string text = TableText(row[c]);
      if (com::Utf16Length(text) > kMaxWidth) text = std::string(com::TruncateUtf16(text, kMaxWidth - 1)) + "…";
      width[c] = std::max(width[c], com::Utf16Length(text));
      line.push_back(std::move(text));
    }
    cells.push_back(std::move(line));
  }
  auto printLine = [&](const std::vector<std::string>& line) {
    for (int c = 0; c < columns; ++c) {
      out << (c ? " | " : "") << line[c];
      if (c + 1 < columns) out << std::string(width[c] - com::Utf16Length(line[c]), ' ');
    }
    out << "\n";
  };
  printLine(shownNames);
  for (int c = 0; c < columns; ++c) out << (c ? "-+-" : "") << std::string(width[c], '-');
  out << "\n";
  for (const auto& line : cells) printLine(line);
  out << "(" << values.size() << (values.size() == 1 ? " row)\n" : " rows)\n");
  return values.size();
}

void PrintRowsAffected(int64_t count, RowFormat format, std::ostream& out) {
  if (format == RowFormat::Json) out << "{\"recordsAffected\": " << count << "}\n";
  else out << count << (count == 1 ? " row" : " rows") << " affected\n";
}

}  // namespace albumcore::tools
