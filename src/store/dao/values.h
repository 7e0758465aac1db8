// Column values as typed automation values, and back.
//
// Reading: a column's Jet type (from its declared type) picks the variant
// type: Long/Counter VT_I4, Integer VT_I2, Byte VT_UI1, Single/Double/Currency
// VT_R8, Date VT_DATE, Yes/No VT_BOOL, Text/Memo/GUID VT_BSTR, Binary
// VT_ARRAY|VT_UI1, NULL VT_NULL. A value the column's affinity left in another
// storage class (text in a number column) comes back as that text. Columns of
// no declared type (expressions) go by storage class: an integer that fits 32
// bits is VT_I4, a larger one VT_R8.
//
// Writing: CoerceToColumn() turns what a caller puts into a field into the
// column's type (VT_BSTR "5" into a Long is 5), raising 3421 when it has no
// such form and 3163 when text is longer than the column (UTF-16 units).
// CoerceParameter() does the same for a statement's parameter, to the type
// the translation gives it; a value compared, not assigned, that has no
// such form is Jet's 3464 (type mismatch in criteria).
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string_view>

#include "com/variant.h"
#include "store/jetsql/schema.h"
#include "store/jetsql/translator.h"

namespace albumcore::store::dao {

com::Variant ReadColumn(sqlite3_stmt* stmt, int column, jetsql::JetType type);

// `size` is the declared text size (0: unlimited); errors name the value's
// destination as "<kind> '<name>'".
com::Variant CoerceToColumn(const com::Variant& value, jetsql::JetType type, int64_t size, std::string_view name,
                            std::string_view kind = "field");
com::Variant CoerceParameter(const com::Variant& value, const jetsql::QueryParameter& parameter);

// Binds by the variant's own type; raises 3421 for a type SQLite cannot hold.
void BindVariant(sqlite3_stmt* stmt, int index, const com::Variant& value);

}  // namespace albumcore::store::dao
