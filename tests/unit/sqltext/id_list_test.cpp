#include <gtest/gtest.h>

#include "com/error.h"
#include "sqltext/id_list.h"

namespace albumcore::sqltext {
namespace {

using com::SafeArray;
using com::Variant;

com::HRESULT FailureOf(const SafeArray& array) {
  try {
    FormatIdList(array);
  } catch (const com::ComError& e) {
    return e.hr();
  }
  return com::S_OK;
}

TEST(FormatIdList, WalksFromTheLowerToTheUpperBound) {
  EXPECT_EQ(FormatIdList(SafeArray::FromVector<int32_t>(com::VT_I4, {4, 17, 9})), "(4,17,9)");
  EXPECT_EQ(FormatIdList(SafeArray::FromVector<int32_t>(com::VT_I4, {-1, 2147483647, -2147483647 - 1}, -5)),
            "(-1,2147483647,-2147483648)");
  const int32_t ids[] = {3, 1};
  EXPECT_EQ(FormatIdList(std::span<const int32_t>(ids)), "(3,1)");
}

TEST(FormatIdList, AcceptsWholeNumbersOfAnyNumericType) {
  std::vector<Variant> mixed = {Variant(7), Variant::I2(-3), Variant::UI1(200), Variant(12.0), Variant::UI4(5),
                                Variant::I8(-9)};
  EXPECT_EQ(FormatIdList(SafeArray::FromVector(com::VT_VARIANT, mixed)), "(7,-3,200,12,5,-9)");
  EXPECT_EQ(FormatIdList(SafeArray::FromVector<int16_t>(com::VT_I2, {1, 2})), "(1,2)");
}

TEST(FormatIdList, RefusesWhatIsNotAListOf32BitIds) {
  auto variants = [](Variant v) { return SafeArray::FromVector(com::VT_VARIANT, std::vector<Variant>{Variant(1), v}); };
  EXPECT_EQ(FailureOf(SafeArray(com::VT_I4, {{2, 0}, {2, 0}})), com::E_INVALIDARG);
  EXPECT_EQ(FailureOf(variants(Variant("12"))), com::E_INVALIDARG);
  EXPECT_EQ(FailureOf(variants(Variant())), com::E_INVALIDARG);
  EXPECT_EQ(FailureOf(variants(Variant::Null())), com::E_INVALIDARG);
  EXPECT_EQ(FailureOf(variants(Variant(1.5))), com::E_INVALIDARG);
  EXPECT_EQ(FailureOf(variants(Variant::UI4(2147483648u))), com::E_INVALIDARG);
  EXPECT_EQ(FailureOf(SafeArray::FromVector<com::Bstr>(com::VT_BSTR, {com::Bstr("1")})), com::E_INVALIDARG);
}

TEST(FormatIdList, EmptyArrayGivesEmptyParentheses) {
  EXPECT_EQ(FormatIdList(SafeArray(com::VT_I4, 0)), "()");
  EXPECT_EQ(FormatIdList(std::span<const int32_t>()), "()");
}

}  // namespace
}  // namespace albumcore::sqltext
