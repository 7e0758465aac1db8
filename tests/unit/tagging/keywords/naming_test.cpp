// Creating, finding, renaming and destroying keywords of the library
// collection, with the events each fires.
#include "keywords_fixture.h"

namespace albumcore::tagging::keywords::test {
namespace {

TEST_F(KeywordsTest, CreateFindsNamesIgnoringCaseAndKeepsOddCharacters) {
  const int32_t dog = MustCreate("dog");
  int32_t id = 0;
  EXPECT_EQ(library_->Create("DOG", &id), com::S_FALSE);
  EXPECT_EQ(id, dog);
  // Unicode letters fold too; the store's text compares the same way.
  const int32_t strasse = MustCreate("Éclair Ωmega");
  EXPECT_EQ(library_->Create("éCLAIR ωMEGA", &id), com::S_FALSE);
  EXPECT_EQ(id, strasse);

  const std::vector<std::string> odd = {"say \"cheese\"", "a|b", "[x]", "100%", "st*r", "under_score", "a\"|\"b"};
  Strings created = {"OnKeywordCreated(" + std::to_string(dog) + ")", "OnKeywordCreated(" + std::to_string(strasse) + ")"};
  std::vector<int32_t> ids;
  for (const auto& name : odd) {
    ids.push_back(MustCreate(name));
    created.push_back("OnKeywordCreated(" + std::to_string(ids.back()) + ")");
  }
  EXPECT_EQ(sink_->Take(), created);
  for (size_t i = 0; i < odd.size(); ++i) {
    com::Bstr name;
    EXPECT_EQ(library_->KeywordName(ids[i], &name), com::S_OK);
    EXPECT_EQ(name, odd[i]);
    EXPECT_EQ(library_->FindKeyword(odd[i], &id), com::S_OK) << odd[i];
    EXPECT_EQ(id, ids[i]);
    EXPECT_EQ(library_->Create(odd[i], &id), com::S_FALSE) << odd[i];
  }
  EXPECT_EQ(library_->FindKeyword("cat", &id), com::S_FALSE);
  EXPECT_EQ(id, -1);
  EXPECT_EQ(Scalar("SELECT Count(*) FROM Keywords").i4(), 9);
  EXPECT_TRUE(sink_->Take().empty());
  EXPECT_EQ(library_->Create("x", nullptr), com::E_POINTER);
}

TEST_F(KeywordsTest, LongNamesAreCutTo250Utf16Units) {
  // 300 characters; a character above U+FFFF counts two units, never split.
  const std::string name = std::string(249, 'k') + "\xF0\x9F\x90\xB6" + std::string(50, 'z');
  const int32_t id = MustCreate(name);
  EXPECT_EQ(Scalar("SELECT KeywordName FROM Keywords WHERE KeywordID = " + std::to_string(id)).bstr(),
            std::string(249, 'k'));
  int32_t again = 0;
  EXPECT_EQ(library_->Create(std::string(250, 'K') + "tail", &again), com::S_OK);  // another name once cut
  EXPECT_EQ(library_->Rename(again, std::string(300, 'r')), com::S_OK);
  EXPECT_EQ(Scalar("SELECT Len(KeywordName) FROM Keywords WHERE KeywordID = " + std::to_string(again)).i4(), 250);
}

TEST_F(KeywordsTest, RenameChangesCaseButRefusesTheExactName) {
  const int32_t dog = MustCreate("dog");
  sink_->Take();
  EXPECT_EQ(library_->Rename(dog, "dog"), com::S_FALSE);
  EXPECT_TRUE(sink_->Take().empty());
  EXPECT_EQ(library_->Rename(dog, "Dog"), com::S_OK);
  EXPECT_EQ(sink_->Take(), Strings{"OnKeywordRenamed(" + std::to_string(dog) + ")"});
  com::Bstr name;
  EXPECT_EQ(library_->KeywordName(dog, &name), com::S_OK);  // the cache was dropped
  EXPECT_EQ(name, "Dog");
}

TEST_F(KeywordsTest, CacheListsByNameAndReloadsAfterChanges) {
  Variant ids(7), names("kept");  // an empty library leaves the outs alone
  EXPECT_EQ(library_->GetAllKeywords(&ids, &names), com::S_OK);
  EXPECT_EQ(ids, Variant(7));
  EXPECT_EQ(names, Variant("kept"));
  const int32_t b = MustCreate("beta"), a = MustCreate("Alpha"), c = MustCreate("gamma");
  int32_t count = 0, id = 0;
  EXPECT_EQ(library_->Count(&count), com::S_OK);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(library_->EnumKeywordIDs(0, &id), com::S_OK);
  EXPECT_EQ(id, a);
  EXPECT_EQ(library_->EnumKeywordIDs(3, &id), com::E_INVALIDARG);
  EXPECT_EQ(library_->IsInCollection(c), com::S_OK);
  EXPECT_EQ(library_->IsInCollection(c + 100), com::S_FALSE);
  com::Bstr name;
  EXPECT_EQ(library_->KeywordName(c + 100, &name), com::E_INVALIDARG);

  // Rows written behind the collection's back show after a reset only.
  db_->Execute("INSERT INTO Keywords ( KeywordName ) VALUES (Null)");
  const int32_t unnamed = Scalar("SELECT Max(KeywordID) FROM Keywords").i4();
  EXPECT_EQ(library_->IsInCollection(unnamed), com::S_FALSE);
  EXPECT_EQ(library_->ResetKeywordsCache(), com::S_OK);
  EXPECT_EQ(library_->KeywordName(unnamed, &name), com::S_OK);
  EXPECT_TRUE(name.isNull());

  EXPECT_EQ(library_->GetAllKeywords(&ids, &names), com::S_OK);
  EXPECT_EQ(IdsOf(ids), (std::vector<int32_t>{unnamed, a, b, c}));
  EXPECT_EQ(NamesOf(names), (Strings{"", "Alpha", "beta", "gamma"}));
  EXPECT_EQ(library_->GetAllKeywords(&ids, nullptr), com::E_POINTER);
}

// One Destroy fires a pair for its keyword; DestroyMultiple one pair (-1) for all.
TEST_F(KeywordsTest, DestroyTakesTheKeywordsAndTheirAssignments) {
  const int32_t item = AddItem(), a = MustCreate("a"), b = MustCreate("b"), c = MustCreate("c"), d = MustCreate("d");
  ASSERT_EQ(library_->Bind(Ids({item}), Ids({a, b, c, d})), com::S_OK);
  sink_->Take();
  EXPECT_EQ(library_->Destroy(a), com::S_OK);
  EXPECT_EQ(sink_->Take(), (Strings{"OnPreDestroyKeyword(" + std::to_string(a) + ")",
                                    "OnKeywordDestroyed(" + std::to_string(a) + ")"}));
  EXPECT_EQ(library_->IsInCollection(a), com::S_FALSE);
  EXPECT_EQ(library_->DestroyMultiple(Ids({c, d})), com::S_OK);
  EXPECT_EQ(sink_->Take(), (Strings{"OnPreDestroyKeyword(-1)", "OnKeywordDestroyed(-1)"}));
  EXPECT_EQ(Assignments(), Strings{std::to_string(item) + ":" + std::to_string(b)});
  int32_t count = 0;
  EXPECT_EQ(library_->Count(&count), com::S_OK);
  EXPECT_EQ(count, 1);
  // Nothing at all for an empty variant; a wrong type changes nothing.
  EXPECT_EQ(library_->DestroyMultiple(Variant()), com::S_OK);
  EXPECT_EQ(library_->DestroyMultiple(Variant("b")), com::E_INVALIDARG);
  EXPECT_TRUE(sink_->Take().empty());
}

TEST_F(KeywordsTest, WithoutADatabaseEveryOperationAnswersEPointer) {
  auto lone = com::MakeObject<LumKeywordsLibrary>();
  EXPECT_EQ(lone->Connect(nullptr, 0, nullptr), com::S_OK);
  int32_t n = 0;
  EXPECT_EQ(lone->Count(&n), com::E_POINTER);
  EXPECT_EQ(lone->Create("x", &n), com::E_POINTER);
  EXPECT_EQ(lone->Bind(Ids({1}), Ids({1})), com::E_POINTER);
  com::ComPtr<com::IUnknown> e;
  EXPECT_EQ(lone->_NewEnum(&e), com::E_NOTIMPL);
  EXPECT_EQ(lone->_NewEnum(nullptr), com::E_POINTER);
}

}  // namespace
}  // namespace albumcore::tagging::keywords::test
