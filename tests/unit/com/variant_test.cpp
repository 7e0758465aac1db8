#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "com/variant.h"

namespace albumcore::com {
namespace {

HRESULT HrOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const ComError& e) {
    return e.hr();
  }
  return S_OK;
}

class Thing : public ComObject {};

TEST(Variant, TagsValuesAndMarkers) {
  EXPECT_EQ(Variant::Bool(true).boolVal(), -1);
  EXPECT_TRUE(Variant::Missing().isMissing());
  EXPECT_FALSE(Variant::Error(E_FAIL).isMissing());
  // A typed accessor of another type is a type mismatch, never a coercion.
  EXPECT_EQ(HrOf([] { (void)Variant(1.0).i4(); }), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(HrOf([] { (void)Variant(1).array(); }), DISP_E_TYPEMISMATCH);

  // Null and empty strings: equal, told apart by isNull().
  Bstr null;
  Bstr empty("");
  EXPECT_TRUE(Bstr(static_cast<const char*>(nullptr)).isNull());
  EXPECT_FALSE(empty.isNull());
  EXPECT_EQ(Variant(null), Variant(empty));
  EXPECT_TRUE(Variant(null).bstr().isNull());
  EXPECT_EQ(Variant(null).Describe(), "VT_BSTR null");
  EXPECT_EQ(Variant::Date(45351.5).Describe(), "VT_DATE 2024-02-29 12:00:00");
  EXPECT_EQ(Variant::Missing().Describe(), "VT_ERROR 0x80020004 (DISP_E_PARAMNOTFOUND)");
  EXPECT_EQ(Variant(SafeArray(VT_I4, {{2, 0}, {3, 1}})).Describe(), "VT_ARRAY|VT_I4 [0..1,1..3]");
}

TEST(Variant, EqualityAndCopyOnWrite) {
  EXPECT_NE(Variant(1), Variant(1.0));
  EXPECT_NE(Variant(), Variant::Null());
  Variant a(SafeArray::FromVector<int32_t>(VT_I4, {1, 2, 3}));
  EXPECT_EQ(a, Variant(SafeArray::FromVector<int32_t>(VT_I4, {1, 2, 3})));
  EXPECT_NE(a, Variant(SafeArray::FromVector<int32_t>(VT_I4, {1, 2, 4})));
  EXPECT_NE(a, Variant(SafeArray::FromVector<int32_t>(VT_I4, {1, 2, 3}, 1)));
  EXPECT_NE(a, Variant(SafeArray::FromVector<double>(VT_R8, {1, 2, 3})));

  Variant b = a;
  EXPECT_EQ(&a.array(), &b.array());
  b.mutableArray().set(0, Variant(9));
  EXPECT_NE(&a.array(), &b.array());
  EXPECT_EQ(a.array().get(0), Variant(1));
  EXPECT_EQ(b.array().get(0), Variant(9));
  const SafeArray* unshared = &b.array();
  b.mutableArray().set(1, Variant(8));
  EXPECT_EQ(&b.array(), unshared);
}

TEST(Variant, ChangeType) {
  EXPECT_EQ(Variant(" 12 ").ChangeType(VT_I4), Variant(12));
  EXPECT_EQ(Variant(2.5).ChangeType(VT_I4), Variant(2));  // half to even
  EXPECT_EQ(Variant(3.5).ChangeType(VT_I4), Variant(4));
  EXPECT_EQ(Variant(1.5).ChangeType(VT_BSTR), Variant("1.5"));
  EXPECT_EQ(Variant::Bool(true).ChangeType(VT_I4), Variant(-1));
  EXPECT_EQ(Variant().ChangeType(VT_BSTR), Variant(""));
  EXPECT_EQ(Variant(4e9).ChangeType(VT_UI4), Variant::UI4(4000000000u));
  // 64-bit integers print exactly, not through a double.
  EXPECT_EQ(Variant::I8((int64_t{1} << 53) + 1).ChangeType(VT_BSTR), Variant("9007199254740993"));
  EXPECT_EQ(Variant::I8(std::numeric_limits<int64_t>::max()).ToString(), "9223372036854775807");

  for (const char* text : {"abc", "", "12abc", "nan", "inf"}) {
    EXPECT_EQ(HrOf([&] { Variant(text).ChangeType(VT_R8); }), DISP_E_TYPEMISMATCH) << text;
  }
  EXPECT_EQ(HrOf([] { Variant::Null().ChangeType(VT_I4); }), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(HrOf([] { Variant::Missing().ChangeType(VT_I4); }), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(HrOf([] { Variant(1).ChangeType(VT_UNKNOWN); }), DISP_E_TYPEMISMATCH);

  const double nan = std::nan("");
  EXPECT_EQ(HrOf([] { Variant(2147483647.5).ChangeType(VT_I4); }), DISP_E_OVERFLOW);
  EXPECT_EQ(HrOf([&] { Variant(nan).ChangeType(VT_I4); }), DISP_E_OVERFLOW);
  EXPECT_EQ(HrOf([] { Variant(300).ChangeType(VT_UI1); }), DISP_E_OVERFLOW);
  EXPECT_EQ(HrOf([] { Variant(-1).ChangeType(VT_UI4); }), DISP_E_OVERFLOW);
  EXPECT_EQ(HrOf([] { Variant(1e30).ChangeType(VT_I8); }), DISP_E_OVERFLOW);
}

TEST(SafeArray, BoundsAndIndexing) {
  for (int32_t lower : {0, 1}) {
    SafeArray a(VT_I4, 3, lower);
    EXPECT_EQ(a.upperBound(), lower + 2);
    a.set(lower, Variant(10));
    a.set(lower + 2, Variant(30));
    EXPECT_EQ(a.elements<int32_t>(), (std::vector<int32_t>{10, 0, 30}));
    EXPECT_EQ(a.get(lower + 2), Variant(30));
    EXPECT_EQ(HrOf([&] { a.get(lower - 1); }), DISP_E_BADINDEX);
    EXPECT_EQ(HrOf([&] { a.get(lower + 3); }), DISP_E_BADINDEX);
  }
  EXPECT_EQ(SafeArray(VT_I4, 0).upperBound(), -1);

  SafeArray grid(VT_I4, {{2, 0}, {3, 1}});
  EXPECT_EQ(grid.upperBound(1), 3);
  EXPECT_EQ(HrOf([&] { (void)grid.lowerBound(2); }), DISP_E_BADINDEX);
  EXPECT_EQ(HrOf([&] { grid.get(0); }), DISP_E_BADINDEX);  // one index for two dimensions
}

TEST(SafeArray, ElementTypesAndCoercion) {
  SafeArray dates(VT_DATE, 1);
  EXPECT_EQ(HrOf([&] { dates.elements<int32_t>(); }), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(dates.get(0).vt(), VT_DATE);

  SafeArray flags(VT_BOOL, 2);
  flags.set(0, Variant(5));
  EXPECT_EQ(flags.elements<int16_t>()[0], VARIANT_TRUE);

  SafeArray names(VT_BSTR, 2);
  names.set(0, Variant(12));
  EXPECT_EQ(names.get(0), Variant("12"));
  EXPECT_TRUE(names.get(1).bstr().isNull());

  SafeArray bytes = SafeArray::FromVector<uint8_t>(VT_UI1, {0, 127, 255});
  EXPECT_EQ(Variant(bytes).vt(), VT_ARRAY | VT_UI1);
  EXPECT_EQ(bytes.get(2), Variant::UI1(255));
  EXPECT_EQ(HrOf([&] { bytes.set(0, Variant(256)); }), DISP_E_OVERFLOW);
  EXPECT_EQ(HrOf([&] { bytes.set(0, Variant("x")); }), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(bytes.get(0), Variant::UI1(0));  // a refused value leaves the element alone

  SafeArray errors(VT_ERROR, 1);
  errors.set(0, Variant::Missing());
  EXPECT_TRUE(errors.get(0).isMissing());
  EXPECT_EQ(HrOf([] { SafeArray(VT_EMPTY, 1); }), E_INVALIDARG);

  SafeArray mixed(VT_VARIANT, 3);
  mixed.set(0, Variant(1));
  EXPECT_TRUE(mixed.get(2).isEmpty());

  auto obj = MakeObject<Thing>();
  SafeArray objects(VT_UNKNOWN, 2);
  objects.set(0, Variant::Unknown(obj));
  EXPECT_EQ(obj->RefCountForTesting(), 2);
  EXPECT_EQ(objects.get(0).object().get(), static_cast<IUnknown*>(obj.get()));
  EXPECT_FALSE(objects.get(1).object());
  EXPECT_EQ(HrOf([&] { objects.set(1, Variant(1)); }), DISP_E_TYPEMISMATCH);
  objects = SafeArray(VT_UNKNOWN, 0);
  EXPECT_EQ(obj->RefCountForTesting(), 1);
}

}  // namespace
}  // namespace albumcore::com
