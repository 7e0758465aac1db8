// Binding keywords to many items at once, the questions over all
// assignments, and the co-assigned keyword query.
#include <map>

#include "keywords_fixture.h"

namespace albumcore::tagging::keywords::test {
namespace {

std::string Pair(int32_t item, int32_t keyword) { return std::to_string(item) + ":" + std::to_string(keyword); }

TEST_F(KeywordsTest, BindAssignsEveryPairOnceWithOneEvent) {
  const int32_t i1 = AddItem(), i2 = AddItem(), k1 = MustCreate("k1"), k2 = MustCreate("k2");
  ASSERT_EQ(library_->Bind(Ids({i1}), Ids({k1})), com::S_OK);
  sink_->Take();
  // The pair already there is skipped, not refused; unknown IDs pair with
  // nothing.
  EXPECT_EQ(library_->Bind(Ids({i1, i2, 9999}), Ids({k1, k2, 8888})), com::S_OK);
  EXPECT_EQ(sink_->Take(), Strings{"OnKeywordsReBound()"});
  EXPECT_EQ(Assignments(), (Strings{Pair(i1, k1), Pair(i1, k2), Pair(i2, k1), Pair(i2, k2)}));
  EXPECT_EQ(library_->IsAssigned(k2), com::S_OK);
  EXPECT_EQ(library_->IsAssigned(-1), com::E_INVALIDARG);
  EXPECT_EQ(library_->AreAssigned(Ids({8888, k2})), com::S_OK);

  EXPECT_EQ(library_->UnBind(Ids({i1, i2}), Ids({k2})), com::S_OK);
  EXPECT_EQ(Assignments(), (Strings{Pair(i1, k1), Pair(i2, k1)}));
  EXPECT_EQ(library_->AreAssigned(Ids({k2})), com::S_FALSE);
  EXPECT_EQ(library_->IsAssigned(k2), com::S_FALSE);
  // Keywords other than an array: every keyword of those items goes.
  EXPECT_EQ(library_->UnBind(Ids({i2}), Variant()), com::S_OK);
  EXPECT_EQ(Assignments(), Strings{Pair(i1, k1)});
  EXPECT_EQ(sink_->Take(), (Strings{"OnKeywordsReBound()", "OnKeywordsReBound()"}));
}

TEST_F(KeywordsTest, ArgumentsThatAreNoIdArraysChangeNothing) {
  const int32_t item = AddItem(), k = MustCreate("k");
  sink_->Take();
  // Empty variants: done, nothing to do.
  EXPECT_EQ(library_->Bind(Variant(), Ids({k})), com::S_OK);
  EXPECT_EQ(library_->Bind(Ids({item}), Variant()), com::S_OK);
  EXPECT_EQ(library_->UnBind(Variant(), Ids({k})), com::S_OK);
  // Empty arrays give "()", which the engine refuses with its status.
  const com::HRESULT syntax = library_->Bind(Ids({}), Ids({k}));
  EXPECT_TRUE(com::IsJetError(syntax)) << com::DescribeHresult(syntax);
  EXPECT_EQ(library_->AreAssigned(Ids({})), syntax);
  EXPECT_EQ(library_->UnBind(Ids({item}), Ids({})), syntax);
  // Wrong types, 2-D arrays, fractions: refused before anything runs.
  com::SafeArray square(com::VT_I4, std::vector<com::SafeArrayBound>{{2, 0}, {2, 0}});
  for (const Variant& bad : {Variant("1,2"), Variant(7), Variant(square),
                             Variant(com::SafeArray::FromVector(com::VT_R8, std::vector<double>{1.5}))}) {
    EXPECT_EQ(library_->Bind(bad, Ids({k})), com::E_INVALIDARG) << bad.Describe();
    EXPECT_EQ(library_->Bind(Ids({item}), bad), com::E_INVALIDARG) << bad.Describe();
    EXPECT_EQ(library_->AreAssigned(bad), com::E_INVALIDARG) << bad.Describe();
    Variant items, keywords;
    EXPECT_EQ(library_->GetBindingInfo(bad, &items, &keywords), com::E_INVALIDARG) << bad.Describe();
  }
  EXPECT_EQ(library_->UnBind(Ids({item}), Variant(square)), com::E_INVALIDARG);
  EXPECT_EQ(library_->AreAssigned(Variant()), com::E_INVALIDARG);
  EXPECT_TRUE(Assignments().empty());
  EXPECT_TRUE(sink_->Take().empty());
}

TEST_F(KeywordsTest, BindingInfoListsParallelColumnsByKeyword) {
  const int32_t i1 = AddItem(), i2 = AddItem(), i3 = AddItem();
  const int32_t k1 = MustCreate("k1"), k2 = MustCreate("k2");
  ASSERT_EQ(library_->Bind(Ids({i1, i2}), Ids({k2})), com::S_OK);
  ASSERT_EQ(library_->Bind(Ids({i2}), Ids({k1})), com::S_OK);
  Variant items, keywords;
  EXPECT_EQ(library_->GetBindingInfo(Ids({i1, i2}), &items, &keywords), com::S_OK);
  EXPECT_EQ(IdsOf(keywords), (std::vector<int32_t>{k1, k2, k2}));
  EXPECT_EQ(IdsOf(items)[0], i2);
  // No rows, or no items: the outs stay as they were.
  Variant before("kept");
  items = keywords = before;
  EXPECT_EQ(library_->GetBindingInfo(Ids({i3}), &items, &keywords), com::S_OK);
  EXPECT_EQ(library_->GetBindingInfo(Variant(), &items, &keywords), com::S_OK);
  EXPECT_EQ(items, before);
  EXPECT_EQ(keywords, before);
  EXPECT_EQ(library_->GetBindingInfo(Ids({i1}), &items, nullptr), com::E_POINTER);
}

// Items 1-3 are photos (type 0), item 4 a video (type 2):
//   1: sea, sun, sand     2: sea, sun, dog     3: sea, cat     4: sea, sun, film
class CoAssignedTest : public KeywordsTest {
 protected:
  void SetUp() override {
    KeywordsTest::SetUp();
    for (const char* name : {"sea", "sun", "sand", "dog", "cat", "film"}) k[name] = MustCreate(name);
    const int32_t i1 = AddItem(0), i2 = AddItem(0), i3 = AddItem(0), i4 = AddItem(2);
    ASSERT_EQ(library_->Bind(Ids({i1, i2, i3, i4}), Ids({k["sea"]})), com::S_OK);
    ASSERT_EQ(library_->Bind(Ids({i1, i2, i4}), Ids({k["sun"]})), com::S_OK);
    ASSERT_EQ(library_->Bind(Ids({i1}), Ids({k["sand"]})), com::S_OK);
    ASSERT_EQ(library_->Bind(Ids({i2}), Ids({k["dog"]})), com::S_OK);
    ASSERT_EQ(library_->Bind(Ids({i3}), Ids({k["cat"]})), com::S_OK);
    ASSERT_EQ(library_->Bind(Ids({i4}), Ids({k["film"]})), com::S_OK);
  }
  // Names and IDs of the answer, checked against each other.
  Strings Ask(const std::string& filter, Variant chosen, com::HRESULT expected = com::S_OK) {
    Variant names;
    EXPECT_EQ(library_->GetAllAssignedKeywords(filter, &chosen, &names), expected);
    if (expected != com::S_OK) {
      EXPECT_TRUE(chosen.isEmpty() || !chosen.isArray()) << chosen.Describe();
      return {};
    }
    Strings got = NamesOf(names);
    std::vector<int32_t> want;
    for (const auto& name : got) want.push_back(k[name]);
    EXPECT_EQ(IdsOf(chosen), want);  // the result IDs replace the chosen ones
    return got;
  }
  std::map<std::string, int32_t> k;
};

TEST_F(CoAssignedTest, AnswersKeywordsOnItemsCarryingAllChosenOnes) {
  EXPECT_EQ(Ask("0", Variant()), (Strings{"cat", "dog", "sand", "sea", "sun"}));
  EXPECT_EQ(Ask("0,2", Ids({})), (Strings{"cat", "dog", "film", "sand", "sea", "sun"}));
  EXPECT_EQ(Ask("0", Ids({k["sea"]})), (Strings{"cat", "dog", "sand", "sun"}));
  EXPECT_EQ(Ask("0,2", Ids({k["sea"], k["sun"]})), (Strings{"dog", "film", "sand"}));
  EXPECT_EQ(Ask("2", Ids({k["sun"]})), (Strings{"film", "sea"}));
}

TEST_F(CoAssignedTest, NoRowsIsAFailureAndBadOutsAreRefused) {
  Ask("0", Ids({k["sea"], k["sun"], k["dog"]}), com::E_FAIL);
  Ask("5", Variant(), com::E_FAIL);
  Variant names;
  EXPECT_EQ(library_->GetAllAssignedKeywords("0", nullptr, &names), com::E_POINTER);
  Variant chosen = Ids({k["sea"]});
  EXPECT_EQ(library_->GetAllAssignedKeywords("0", &chosen, nullptr), com::E_POINTER);
  EXPECT_EQ(IdsOf(chosen), std::vector<int32_t>{k["sea"]});
}

}  // namespace
}  // namespace albumcore::tagging::keywords::test
