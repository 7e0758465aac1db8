// Placeholder statements and the SQL text of values, on the statements the
// server fills in.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "com/error.h"
#include "com/oadate.h"
#include "jet_string_expression.h"
#include "sqltext/placeholder.h"
#include "sqltext/sql_date.h"

namespace albumcore::sqltext {
namespace {

using com::Variant;

com::HRESULT FailureOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const com::ComError& e) {
    return e.hr();
  }
  return com::S_OK;
}

TEST(ReplacePlaceholder, FirstWholeWordOnly) {
  EXPECT_EQ(ReplacePlaceholder("SELECT * FROM SmartViews WHERE SmartViewID = varID;", "varID", Variant(42)),
            "SELECT * FROM SmartViews WHERE SmartViewID = 42;");
  // varID inside varIDs, or at the end of another word, is not the placeholder.
  EXPECT_EQ(ReplacePlaceholder("SELECT varIDs, myvarID, var_ID FROM T WHERE A = varID OR B = varID", "varID",
                               Variant(7)),
            "SELECT varIDs, myvarID, var_ID FROM T WHERE A = 7 OR B = varID");
  EXPECT_EQ(ReplacePlaceholder("X=varID", "varID", Variant(1)), "X=1");  // at both ends of the text
  EXPECT_EQ(ReplacePlaceholder("WHERE x = VARID", "varID", Variant(1)), "WHERE x = VARID");  // case-sensitive
  EXPECT_EQ(FailureOf([] { ReplacePlaceholder("x", "", Variant(1)); }), com::E_INVALIDARG);
}

TEST(ReplacePlaceholder, TextFilledInEarlierNeverCapturesALaterPlaceholder) {
  // The smart-view insertion fills its placeholders in statement order; a
  // name that spells the next placeholder stays part of the name.
  std::string sql =
      "INSERT INTO SmartViews (Name, RequestID, ReadOnly, Hidden, CategoryID) "
      "SELECT varViewName, varRequestID, varReadOnly, varHidden, varCategoryID;";
  sql = ReplacePlaceholder(sql, "varViewName", Variant("varRequestID \"quoted\" 'x' varHidden"));
  sql = ReplacePlaceholder(sql, "varRequestID", Variant("Custom:Ringtones"));
  sql = ReplacePlaceholder(sql, "varReadOnly", Variant::Bool(true));
  sql = ReplacePlaceholder(sql, "varHidden", Variant::Bool(false));
  sql = ReplacePlaceholder(sql, "varCategoryID", Variant("4"));
  EXPECT_EQ(sql,
            "INSERT INTO SmartViews (Name, RequestID, ReadOnly, Hidden, CategoryID) "
            "SELECT \"varRequestID \" & chr(34) & \"quoted\" & chr(34) & \" 'x' varHidden\", \"Custom:Ringtones\", "
            "true, false, \"4\";");
}

TEST(SqlValueText, EachTypeAsJetReadsIt) {
  EXPECT_EQ(SqlValueText(Variant("a|b")), "\"a\" & chr(124) & \"b\"");
  EXPECT_EQ(testing::EvaluateJetStringExpression(SqlValueText(Variant("a|b\"c"))), "a|b\"c");
  EXPECT_EQ(SqlValueText(Variant(com::Bstr::Null())), "\"\"");
  EXPECT_EQ(SqlValueText(Variant(-2147483647 - 1)), "-2147483648");
  EXPECT_EQ(SqlValueText(Variant::UI4(4294967295u)), "4294967295");
  EXPECT_EQ(SqlValueText(Variant::I8(-9007199254740993LL)), "-9007199254740993");
  EXPECT_EQ(SqlValueText(Variant(0.1)), "0.1");
  EXPECT_EQ(SqlValueText(Variant::Bool(true)), "true");
  EXPECT_EQ(SqlValueText(Variant::Null()), "Null");
  EXPECT_EQ(SqlValueText(Variant::Date(45352.0)), "#3/1/2024#");

  EXPECT_EQ(FailureOf([] { SqlValueText(Variant()); }), com::DISP_E_TYPEMISMATCH);
  EXPECT_EQ(FailureOf([] { SqlValueText(Variant(std::nan(""))); }), com::E_INVALIDARG);
  EXPECT_EQ(FailureOf([] { SqlValueText(Variant(std::numeric_limits<double>::infinity())); }), com::E_INVALIDARG);
}

TEST(SqlDateText, UsShortDateWithoutTime) {
  auto at = [](com::DateTime t) { return SqlDateText(*com::ToOaDate(t)); };
  EXPECT_EQ(at({2024, 3, 1, 0, 0, 0, 0}), "#3/1/2024#");
  EXPECT_EQ(at({2024, 12, 31, 23, 59, 59, 999}), "#12/31/2024#");  // the time never rounds into the next day
  EXPECT_EQ(at({100, 1, 2, 0, 0, 0, 0}), "#1/2/0100#");             // never a two-digit year
  EXPECT_EQ(SqlDateText(-1.25), "#12/29/1899#");                    // 6:00 on the day before the epoch
  EXPECT_EQ(FailureOf([] { SqlDateText(std::nan("")); }), com::E_INVALIDARG);
  EXPECT_EQ(FailureOf([] { SqlDateText(3000000.0); }), com::E_INVALIDARG);
}

}  // namespace
}  // namespace albumcore::sqltext
