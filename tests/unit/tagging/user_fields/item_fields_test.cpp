// Fields assigned to one item and their values, of every type.
#include "user_fields_fixture.h"

namespace albumcore::tagging::testing {
namespace {

using namespace typelib;
using com::Variant;

std::string Ids(int32_t a, int32_t b) { return std::to_string(a) + ", " + std::to_string(b); }

class ItemFieldsTest : public UserFieldsTest {
 protected:
  void SetUp() override {
    UserFieldsTest::SetUp();
    item_ = NewItem();
    fields_ = ItemFields(item_);
    events_ = Listen(fields_.get());
  }
  // What a collection connected afresh reads from the file.
  Variant Stored(int32_t field) {
    Variant value;
    EXPECT_EQ(ItemFields(item_)->get_Value(field, &value), com::S_OK);
    return value;
  }

  int32_t item_ = 0;
  com::ComPtr<LumUserFieldsItem> fields_;
  com::ComPtr<RecordingSink> events_;
};

TEST_F(ItemFieldsTest, EveryTypeKeepsItsValueInItsOwnTable) {
  const std::string memo(3000, 'm');  // past the 255 units of a text field
  const struct {
    int32_t type;
    const char* table;
    Variant value;
  } kCases[] = {
      {NAX_FIELD_TEXT, "AssignedFieldsText", Variant("Rome")},
      {NAX_FIELD_INTEGER, "AssignedFieldsNumber", Variant(42)},
      {NAX_FIELD_DATE, "AssignedFieldsDate", Variant::Date(45413.5)},
      {NAX_FIELD_YESNO, "AssignedFieldsYesNo", Variant::Bool(true)},
      {NAX_FIELD_ONOFF, "AssignedFieldsOnOff", Variant::Bool(false)},
      {NAX_FIELD_MEMO, "AssignedFieldsMemo", Variant(memo)},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.table);
    const int32_t field = Define(std::string("Field ") + c.table, c.type);
    ASSERT_EQ(fields_->Add(field, c.value), com::S_OK);
    EXPECT_EQ(events_->Take(), (Strings{"OnUserFieldValueChanged(" + Ids(item_, field) + ", " + c.value.Describe() + ")",
                                        "OnUserFieldAdded(" + Ids(item_, field) + ")"}));
    Variant value;
    EXPECT_EQ(fields_->get_Value(field, &value), com::S_OK);
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(Stored(field), c.value);
    EXPECT_EQ(Scalar(std::string("SELECT Count(*) FROM ") + c.table + " WHERE FieldID = " + std::to_string(field)),
              "VT_I4 1");
  }
  int32_t count = 0;
  EXPECT_EQ(fields_->Count(&count), com::S_OK);
  EXPECT_EQ(count, 6);
}

// A second Add sets the value without a second row; text is converted by the
// engine and announced as given.
TEST_F(ItemFieldsTest, ValuesChangeInPlaceAndTextIsConvertedByTheEngine) {
  const int32_t weight = Define("Weight", NAX_FIELD_INTEGER);
  const int32_t taken = Define("Taken", NAX_FIELD_DATE);
  ASSERT_EQ(fields_->Add(weight, 1), com::S_OK);
  ASSERT_EQ(fields_->Add(taken, Variant()), com::S_OK);
  events_->Take();
  ASSERT_EQ(fields_->Add(weight, Variant("12")), com::S_OK);
  EXPECT_EQ(events_->Take(), Strings{"OnUserFieldValueChanged(" + Ids(item_, weight) + ", VT_BSTR \"12\")"});
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AssignedFieldsNumber"), "VT_I4 1");
  EXPECT_EQ(Stored(weight), Variant(12));
  ASSERT_EQ(fields_->put_Value(taken, Variant("2024-05-01")), com::S_OK);
  EXPECT_EQ(events_->Take(), Strings{"OnUserFieldValueChanged(" + Ids(item_, taken) + ", VT_BSTR \"2024-05-01\")"});
  EXPECT_EQ(Stored(taken), Variant::Date(45413));  // 1 May 2024
}

TEST_F(ItemFieldsTest, AddingWithoutAStorableValueAssignsAnEmptyField) {
  const int32_t place = Define("Place", NAX_FIELD_TEXT);
  const int32_t flag = Define("Flag", NAX_FIELD_YESNO);
  ASSERT_EQ(fields_->Add(place, Variant()), com::S_OK);
  ASSERT_EQ(fields_->Add(flag, Variant(2.5)), com::S_OK);  // a double is not written
  EXPECT_EQ(events_->Take(), (Strings{"OnUserFieldAdded(" + Ids(item_, place) + ")",
                                      "OnUserFieldAdded(" + Ids(item_, flag) + ")"}));
  EXPECT_EQ(fields_->IsPresent(place), com::S_OK);
  Variant value(7);
  EXPECT_EQ(fields_->get_Value(place, &value), com::S_OK);
  EXPECT_TRUE(value.isEmpty()) << value.Describe();
  EXPECT_TRUE(Stored(flag).isEmpty());
}

TEST_F(ItemFieldsTest, UnassignedFieldsHaveNoValueAndNegativeIDsFail) {
  const int32_t place = Define("Place", NAX_FIELD_TEXT);
  Variant value(7);
  EXPECT_EQ(fields_->get_Value(place, &value), com::TYPE_E_ELEMENTNOTFOUND);
  EXPECT_TRUE(value.isEmpty());
  EXPECT_EQ(fields_->put_Value(place, Variant("x")), com::TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(fields_->Remove(place), com::S_FALSE);
  EXPECT_EQ(fields_->IsPresent(place), com::S_FALSE);
  EXPECT_EQ(fields_->put_Value(-1, Variant("x")), com::E_FAIL);
  EXPECT_EQ(fields_->Remove(-2), com::E_FAIL);
  // Without a type the library knows, nothing is written.
  EXPECT_EQ(fields_->Add(place + 50, Variant("x")), com::E_FAIL);
  EXPECT_EQ(fields_->Add(Define("Illegal", NAX_FIELD_ILLEGAL_TYPE), 1), com::E_FAIL);
  EXPECT_EQ(fields_->Add(Define("Odd", 9), 1), com::E_UNEXPECTED);
  EXPECT_TRUE(events_->Take().empty());
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AssignedFieldsText"), "VT_I4 0");
}

TEST_F(ItemFieldsTest, AValueTheEngineCannotConvertChangesNothing) {
  const int32_t weight = Define("Weight", NAX_FIELD_INTEGER);
  const int32_t taken = Define("Taken", NAX_FIELD_DATE);
  ASSERT_EQ(fields_->Add(weight, 5), com::S_OK);
  events_->Take();

  EXPECT_EQ(fields_->put_Value(weight, Variant("abc")), com::JetError(3421));
  EXPECT_EQ(Stored(weight), Variant(5));
  // Assignment and value go together: the refused value leaves no row.
  EXPECT_EQ(fields_->Add(taken, Variant("not a date")), com::JetError(3421));
  EXPECT_EQ(fields_->IsPresent(taken), com::S_FALSE);
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AssignedFieldsDate"), "VT_I4 0");
  EXPECT_TRUE(events_->Take().empty());
}

TEST_F(ItemFieldsTest, RemoveTakesTheFieldFromTheItemOnly) {
  const int32_t place = Define("Place", NAX_FIELD_MEMO);
  const int32_t other = NewItem();
  ASSERT_EQ(fields_->Add(place, "Rome"), com::S_OK);
  ASSERT_EQ(ItemFields(other)->Add(place, "Oslo"), com::S_OK);
  events_->Take();
  ASSERT_EQ(fields_->Remove(place), com::S_OK);
  EXPECT_EQ(events_->Take(), Strings{"OnUserFieldRemoved(" + Ids(item_, place) + ")"});
  int32_t count = -1;
  EXPECT_EQ(fields_->Count(&count), com::S_OK);
  EXPECT_EQ(count, 0);
  Variant value;
  EXPECT_EQ(ItemFields(other)->get_Value(place, &value), com::S_OK);
  EXPECT_EQ(value, Variant("Oslo"));
}

}  // namespace
}  // namespace albumcore::tagging::testing
