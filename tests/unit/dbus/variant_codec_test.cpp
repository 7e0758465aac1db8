// The VARIANT codec on values a hostile client could send, without a bus.
#include <gtest/gtest.h>

#include <climits>

#include "dbus/variant_codec.h"

namespace albumcore::dbus {
namespace {

using Bounds = std::vector<sdbus::Struct<uint32_t, int32_t>>;

WireVariant Shaped(const Bounds& bounds, std::vector<int32_t> elements) {
  return WireVariant(uint16_t{com::VT_ARRAY | com::VT_I4},
                     sdbus::Variant(sdbus::Struct<Bounds, std::vector<int32_t>>(bounds, std::move(elements))));
}

com::HRESULT DecodeStatus(const WireVariant& wire) {
  return com::CallGuard([&] { DecodeVariant(wire, nullptr); });
}

TEST(VariantCodec, ArrayShapesThatMakeNoSenseAreRefused) {
  // A product of counts that wraps to zero in 64 bits (4 x 65,536).
  EXPECT_EQ(DecodeStatus(Shaped(Bounds(4, {65536, 0}), {})), com::DISP_E_TYPEMISMATCH);
  // Counts that claim more, or fewer, elements than the message carries.
  EXPECT_EQ(DecodeStatus(Shaped({{3, 0}, {2, 0}}, {1, 2, 3, 4, 5})), com::DISP_E_TYPEMISMATCH);
  EXPECT_EQ(DecodeStatus(Shaped({{65536, 0}, {65536, 0}}, {1, 2})), com::DISP_E_TYPEMISMATCH);
  // No dimension, or more than an automation array has.
  EXPECT_EQ(DecodeStatus(Shaped({}, {})), com::DISP_E_TYPEMISMATCH);
  EXPECT_EQ(DecodeStatus(Shaped(Bounds(kMaxArrayDimensions + 1, {1, 0}), {7})), com::DISP_E_TYPEMISMATCH);
  // An upper bound past the largest index.
  EXPECT_EQ(DecodeStatus(Shaped({{2, INT32_MAX}}, {1, 2})), com::DISP_E_TYPEMISMATCH);

  // What makes sense arrives as sent.
  com::Variant grid = DecodeVariant(Shaped({{2, -1}, {3, 1}}, {1, 2, 3, 4, 5, 6}), nullptr);
  ASSERT_EQ(grid.array().dimensions(), 2u);
  EXPECT_EQ(grid.array().bounds()[0], (com::SafeArrayBound{2, -1}));
  EXPECT_EQ(grid.array().size(), 6u);
  EXPECT_EQ(DecodeVariant(Shaped(Bounds(kMaxArrayDimensions, {1, 0}), {7}), nullptr).array().dimensions(),
            kMaxArrayDimensions);
  EXPECT_EQ(DecodeVariant(Shaped({{1, INT32_MAX}}, {9}), nullptr).array().upperBound(), INT32_MAX);
  EXPECT_EQ(DecodeVariant(Shaped({{0, 0}, {5, 0}}, {}), nullptr).array().size(), 0u);
}

TEST(VariantCodec, ArraysOfVariantsNestOnlySoDeep) {
  auto nested = [](int levels) {
    WireVariant wire(uint16_t{com::VT_I4}, sdbus::Variant(int32_t{1}));
    for (int i = 0; i < levels; ++i) {
      wire = WireVariant(uint16_t{com::VT_ARRAY | com::VT_VARIANT}, sdbus::Variant(std::vector<WireVariant>{wire}));
    }
    return wire;
  };
  EXPECT_EQ(DecodeStatus(nested(kMaxVariantNesting)), com::S_OK);
  EXPECT_EQ(DecodeStatus(nested(kMaxVariantNesting + 1)), com::DISP_E_TYPEMISMATCH);
}

}  // namespace
}  // namespace albumcore::dbus
