#include "store/dao/values.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "com/text.h"
#include "store/dao/errors.h"
#include "store/jetsql/jet_dates.h"

namespace albumcore::store::dao {

using com::Variant;
using jetsql::JetType;

namespace {

Variant TextOf(sqlite3_value* v) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
  const int n = sqlite3_value_bytes(v);
  return Variant(com::Bstr(std::string_view(p != nullptr ? p : "", static_cast<size_t>(n))));
}

Variant BlobOf(sqlite3_value* v) {
  const auto* p = static_cast<const uint8_t*>(sqlite3_value_blob(v));
  const int n = sqlite3_value_bytes(v);
  std::vector<uint8_t> bytes(p, p + (p != nullptr ? n : 0));
  return Variant(com::SafeArray::FromVector(com::VT_UI1, std::move(bytes)));
}

Variant Number(int64_t v) {
  if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max())
    return Variant(static_cast<int32_t>(v));
  return Variant(static_cast<double>(v));
}

Variant ByStorage(sqlite3_value* v, int storage) {
  switch (storage) {
    case SQLITE_INTEGER: return Number(sqlite3_value_int64(v));
    case SQLITE_FLOAT: return Variant(sqlite3_value_double(v));
    case SQLITE_BLOB: return BlobOf(v);
    default: return TextOf(v);
  }
}

bool IsNumeric(int storage) { return storage == SQLITE_INTEGER || storage == SQLITE_FLOAT; }

std::string Destination(std::string_view kind, std::string_view name) {
  return std::string(kind) + " '" + std::string(name) + "'";
}

[[noreturn]] void Conversion(std::string_view kind, std::string_view name, const Variant& v) {
  ThrowJet(jeterr::kConversion, "cannot store " + v.Describe() + " in " + Destination(kind, name));
}

}  // namespace

// Reads through the column's sqlite3_value: every sqlite3_column_* call
// takes the connection's mutex, the sqlite3_value_* calls do not, and a
// typed read needs a type check and a value.
Variant ReadColumn(sqlite3_stmt* s, int c, JetType type) {
  sqlite3_value* v = sqlite3_column_value(s, c);
  const int storage = sqlite3_value_type(v);
  if (storage == SQLITE_NULL) return Variant::Null();
  switch (type) {
    case JetType::Long:
    case JetType::Counter:
      if (storage == SQLITE_INTEGER) return Number(sqlite3_value_int64(v));
      break;
    case JetType::Integer:
      if (storage == SQLITE_INTEGER) {
        const int64_t n = sqlite3_value_int64(v);
        if (n >= INT16_MIN && n <= INT16_MAX) return Variant::I2(static_cast<int16_t>(n));
        return Number(n);
      }
      break;
    case JetType::Byte:
      if (storage == SQLITE_INTEGER) {
        const int64_t n = sqlite3_value_int64(v);
        if (n >= 0 && n <= 255) return Variant::UI1(static_cast<uint8_t>(n));
        return Number(n);
      }
      break;
    case JetType::Single:
    case JetType::Double:
    case JetType::Currency:
      if (IsNumeric(storage)) return Variant(sqlite3_value_double(v));
      break;
    case JetType::Date:
      if (IsNumeric(storage)) return Variant::Date(sqlite3_value_double(v));
      break;
    case JetType::YesNo:
      if (IsNumeric(storage)) return Variant::Bool(sqlite3_value_double(v) != 0);
      break;
    case JetType::Text:
    case JetType::Memo:
    case JetType::Guid:
      if (storage != SQLITE_BLOB) return TextOf(v);
      break;
    case JetType::Binary:
      return BlobOf(v);
    case JetType::Unknown:
      break;
  }
  return ByStorage(v, storage);
}

Variant CoerceToColumn(const Variant& value, JetType type, int64_t size, std::string_view name,
                       std::string_view kind) {
  if (value.isNull() || value.isEmpty()) return Variant::Null();
  if (value.isArray() && type != JetType::Binary) Conversion(kind, name, value);
  try {
    switch (type) {
      case JetType::Long:
      case JetType::Counter:
        return value.ChangeType(com::VT_I4);
      case JetType::Integer:
        return value.ChangeType(com::VT_I2);
      case JetType::Byte:
        return value.ChangeType(com::VT_UI1);
      case JetType::Single:
      case JetType::Double:
      case JetType::Currency:
        return value.ChangeType(com::VT_R8);
      case JetType::YesNo:
        return value.ChangeType(com::VT_BOOL);
      case JetType::Date:
        if (value.vt() == com::VT_BSTR) {
          if (auto d = jetsql::ParseDateText(value.bstr().str())) return Variant::Date(*d);
          return Variant::Date(value.ChangeType(com::VT_R8).r8());
        }
        return value.ChangeType(com::VT_DATE);
      case JetType::Text:
      case JetType::Memo:
      case JetType::Guid: {
        Variant text = value.ChangeType(com::VT_BSTR);
        if (type == JetType::Text && size > 0 && text.bstr().utf16Length() > static_cast<size_t>(size))
          ThrowJet(jeterr::kFieldTooSmall, "the value is too long for " + Destination(kind, name));
        return text;
      }
      case JetType::Binary:
        if (value.isArray()) {
          if (value.array().elementType() != com::VT_UI1) Conversion(kind, name, value);
          return value;
        }
        if (value.vt() == com::VT_BSTR) {
          const std::string& t = value.bstr().str();
          return Variant(com::SafeArray::FromVector(com::VT_UI1, std::vector<uint8_t>(t.begin(), t.end())));
        }
        Conversion(kind, name, value);
      case JetType::Unknown:
        return value;
    }
  } catch (const com::ComError& e) {
    if (e.hr() == com::DISP_E_TYPEMISMATCH || e.hr() == com::DISP_E_OVERFLOW) Conversion(kind, name, value);
    throw;
  }
  return value;
}

Variant CoerceParameter(const Variant& value, const jetsql::QueryParameter& p) {
  if (p.type == JetType::Unknown) return value;
  if (!p.criterion) return CoerceToColumn(value, p.type, p.size, p.name, "parameter");
  try {
    return CoerceToColumn(value, p.type, 0, p.name, "parameter");
  } catch (const com::ComError& e) {
    if (e.hr() != com::JetError(jeterr::kConversion)) throw;
    ThrowJet(jeterr::kTypeMismatch, "Data type mismatch in criteria expression: parameter '" + p.name + "' is " +
                                        value.Describe());
  }
}

void BindVariant(sqlite3_stmt* s, int i, const Variant& v) {
  int rc = SQLITE_OK;
  if (v.isArray()) {
    if (v.array().elementType() != com::VT_UI1) ThrowJet(jeterr::kConversion, "cannot bind " + v.Describe());
    const auto& bytes = v.array().elements<uint8_t>();
    rc = sqlite3_bind_blob64(s, i, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
  } else {
    switch (v.vt()) {
      case com::VT_EMPTY:
      case com::VT_NULL: rc = sqlite3_bind_null(s, i); break;
      case com::VT_I2: rc = sqlite3_bind_int(s, i, v.i2()); break;
      case com::VT_I4: rc = sqlite3_bind_int(s, i, v.i4()); break;
      case com::VT_I8: rc = sqlite3_bind_int64(s, i, v.i8()); break;
      case com::VT_UI1: rc = sqlite3_bind_int(s, i, v.ui1()); break;
      case com::VT_UI4: rc = sqlite3_bind_int64(s, i, v.ui4()); break;
      case com::VT_BOOL: rc = sqlite3_bind_int(s, i, v.boolVal() != 0 ? -1 : 0); break;
      case com::VT_R8: rc = sqlite3_bind_double(s, i, v.r8()); break;
      case com::VT_DATE: rc = sqlite3_bind_double(s, i, v.date()); break;
      case com::VT_BSTR: {
        const std::string& t = v.bstr().str();
        rc = sqlite3_bind_text64(s, i, t.data(), t.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
      }
      default: ThrowJet(jeterr::kConversion, "cannot bind " + v.Describe());
    }
  }
  if (rc != SQLITE_OK) ThrowEngineError(sqlite3_db_handle(s), rc);
}

}  // namespace albumcore::store::dao
