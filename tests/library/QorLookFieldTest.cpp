// The lookup field on the language model of the demonstration: people with a language
// looked up in a languages query ("id;Name" shown, "Font" added, stored in the record),
// its preparation at opening, every value and text operation, its errors, the size
// limit of the stored record, the lookup cache, and its levels in form files.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/DataModule.h"
#include "framework/core/Dialogs.h"
#include "framework/core/Exceptions.h"
#include "framework/data/MemDataSet.h"
#include "framework/stream/FormReader.h"
#include "framework/stream/FormWriter.h"
#include "library/QorLook.h"
#include "library/QorRegister.h"
#include "tests/support/ExpectError.h"

namespace {

using namespace fw;
using qor::TQorLookField;

/// Answers messages without a person and remembers them.
class TRecordedMessages : public TMessageService {
 public:
  std::vector<std::string> Messages;
  void ShowMessage(const std::string& m) override { Messages.push_back(m); }
  bool Confirm(const std::string&) override { return true; }
};

/// An in-memory dataset that runs the lookup preparation right after its cursor opens,
/// as the library's tables and queries do.
class THookedDataSet : public TMemDataSet {
 public:
  explicit THookedDataSet(TComponent* owner) : TMemDataSet(owner) {}

 protected:
  void OpenCursorComplete() override { qor::PrepareLookupFields(this); }
};

/// Records the lookup member that the dataset's validation sees.
class TTracedLookField : public TQorLookField {
 public:
  explicit TTracedLookField(TComponent* owner) : TQorLookField(owner) {}
  std::vector<std::string> SeenAtBinding;
  void BindLookup() override {
    SeenAtBinding.push_back(GetLookupResultFieldMember());
    TQorLookField::BindLookup();
  }
};

TField* AddField(TComponent* owner, TDataSet* ds, const TClassInfo& cls, const std::string& name, int size = 0) {
  auto* f = static_cast<TField*>(cls.CreateComponent(owner));
  if (size) f->SetSize(size);
  f->SetFieldName(name);
  f->SetDataSet(ds);
  return f;
}

class QorLookFieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OldMessages = SetMessageService(&Messages);
    QLang = new THookedDataSet(&Owner);
    QLang->SetName("QLang");
    TField* id = AddField(&Owner, QLang, TSmallintField::StaticClass(), "Id");
    id->SetDisplayLabel("id");
    id->SetDisplayWidth(5);
    AddField(&Owner, QLang, TStringField::StaticClass(), "Name", 20);
    AddField(&Owner, QLang, TStringField::StaticClass(), "Font", 20);
    AddField(&Owner, QLang, TSmallintField::StaticClass(), "FontSize");
    AddField(&Owner, QLang, TStringField::StaticClass(), "Layout", 8);
    QLang->Open();
    struct L {
      int id;
      const char* name;
      const char* font;
    };
    for (const L& l : {L{1, "English", "Arial"}, L{2, "Русский", "Times New Roman"}, L{3, "Deutsch", "DejaVu Sans"}}) {
      QLang->Append();
      QLang->FieldByName("Id")->SetAsInteger(l.id);
      QLang->FieldByName("Name")->SetAsString(l.name);
      QLang->FieldByName("Font")->SetAsString(l.font);
      QLang->FieldByName("Layout")->SetAsString("00000409");
      QLang->Post();
    }
    QLang->First();

    People = new THookedDataSet(&Owner);
    People->SetName("TbPeople");
    AddField(&Owner, People, TIntegerField::StaticClass(), "id");
    AddField(&Owner, People, TStringField::StaticClass(), "Name", 40);
    AddField(&Owner, People, TSmallintField::StaticClass(), "Lang");
    LangName = new TTracedLookField(&Owner);
    LangName->SetFieldName("LangName");
    LangName->SetDisplayLabel("Language");
    LangName->SetSize(25);
    LangName->SetFieldKind(fkLookup);
    LangName->SetLookupDataSet(QLang);
    LangName->SetLookupKeyFields("Id");
    LangName->SetKeyFields("Lang");
    LangName->SetLookupResultField("id;Name");
    LangName->SetListFieldIndex(1);
    LangName->SetLookupAddFields("Font");
    LangName->SetStoreLookupData(true);
    LangName->SetDataSet(People);
  }
  void TearDown() override { SetMessageService(OldMessages); }

  void OpenWithPeople() {
    People->Open();
    int rows[][2] = {{1, 2}, {2, 99}, {3, 1}};
    for (auto& r : rows) {
      People->Append();
      People->FieldByName("id")->SetAsInteger(r[0]);
      People->FieldByName("Lang")->SetAsInteger(r[1]);
      People->Post();
    }
    People->First();
  }

  TRecordedMessages Messages;
  TMessageService* OldMessages = nullptr;
  TComponent Owner{nullptr};
  THookedDataSet* QLang = nullptr;
  THookedDataSet* People = nullptr;
  TTracedLookField* LangName = nullptr;
};

TEST_F(QorLookFieldTest, OpeningPreparesTheLists) {
  OpenWithPeople();
  EXPECT_EQ(LangName->SeenAtBinding, std::vector<std::string>{"id"});  // validation sees one field
  EXPECT_EQ(LangName->GetLookupResultField(), "id;Name");
  EXPECT_EQ(LangName->GetLookupResultFieldMember(), "id;Name;Font");
  EXPECT_EQ(LangName->GetDisplayFieldCount(), 2);
  ASSERT_EQ(LangName->GetResultFieldList().size(), 3u);
  EXPECT_EQ(LangName->ResultField(2), QLang->FieldByName("Font"));
  EXPECT_EQ(LangName->GetDataSize(), 50);  // 4 + 23 + 23
  EXPECT_EQ(LangName->CurrentResultIndex, -1);
  EXPECT_TRUE(Messages.Messages.empty());

  // Closing keeps the own list; the next opening switches the member back to one name.
  People->Close();
  LangName->SeenAtBinding.clear();
  People->Open();
  EXPECT_EQ(LangName->SeenAtBinding, std::vector<std::string>{"id"});
  EXPECT_EQ(LangName->GetLookupResultField(), "id;Name");
}

TEST_F(QorLookFieldTest, ValuesAndTextsOfAPerson) {
  OpenWithPeople();
  struct Case {
    int recNo;
    const char* asString;
    const char* displayText;
    const char* font;
    bool isNull;
  };
  const Case cases[] = {
      {1, "2 Русский", "    2", "Times New Roman", false},
      {2, "99 ", "   99", "", true},  // no language 99: the key still shows
      {3, "1 English", "    1", "Arial", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.recNo);
    People->SetRecNo(c.recNo);
    EXPECT_EQ(LangName->GetAsString(), c.asString);
    EXPECT_EQ(LangName->GetText(), c.asString);
    EXPECT_EQ(LangName->GetDisplayText(), c.displayText);
    EXPECT_EQ(qor::LookFieldsText(LangName, "Font"), c.font);
    EXPECT_EQ(LangName->IsNull(), c.isNull);
    EXPECT_EQ(LangName->CurrentResultIndex, -1);
  }
  People->SetRecNo(1);
  EXPECT_EQ(qor::LookFieldsText(LangName, "Font;Name"), "Times New Roman Русский");
  EXPECT_EQ(qor::LookFieldsText(LangName, "Nothing"), "");
  LangName->CurrentResultIndex = 1;
  EXPECT_EQ(LangName->GetValue().AsString(), "Русский");
  LangName->CurrentResultIndex = 0;
  EXPECT_EQ(LangName->GetValue().VarType(), varSmallint);
  LangName->CurrentResultIndex = 5;
  EXPECT_THROW(LangName->GetValue(), EListError);
  LangName->CurrentResultIndex = -1;

  LangName->SetOptions(LangName->GetOptions() + qor::TQorLookFieldOptions{qor::foValueNotInLookup});
  People->SetRecNo(2);
  EXPECT_FALSE(LangName->IsNull());

  People->Edit();
  LangName->SetAsString("3 Deutsch");  // ignored for a lookup field
  EXPECT_EQ(LangName->GetAsString(), "99 ");
  People->FieldByName("Lang")->SetAsInteger(3);  // the key changes: the values follow
  EXPECT_EQ(LangName->GetAsString(), "3 Deutsch");
  People->Cancel();
}

TEST_F(QorLookFieldTest, WithoutStoredDataEachReadLocatesTheLookupRecord) {
  LangName->SetStoreLookupData(false);
  OpenWithPeople();
  EXPECT_EQ(LangName->GetDataSize(), 26);
  People->SetRecNo(3);
  QLang->Last();
  EXPECT_EQ(LangName->GetAsString(), "1 English");
  EXPECT_EQ(QLang->FieldByName("Id")->GetAsInteger(), 1);  // moved to the person's language
  People->SetRecNo(2);
  EXPECT_EQ(LangName->GetAsString(), "99 ");
  EXPECT_EQ(QLang->FieldByName("Id")->GetAsInteger(), 1);  // left where it was
}

// Without stored data the field shows the values of the lookup record of the person's
// key, read when asked for: it is null exactly when there is no such record (or, with
// foValueNotInLookup, when the person has no key), with or without the lookup cache.
TEST_F(QorLookFieldTest, WithoutStoredDataIsNullAgreesWithTheValueRead) {
  struct Case {
    bool cache;
    bool valueNotInLookup;
    int recNo;
    const char* asString;
    bool isNull;
  };
  const Case cases[] = {
      {false, false, 1, "2 Русский", false}, {false, false, 2, "99 ", true}, {false, false, 3, "1 English", false},
      {true, false, 1, "2 Русский", false},  {true, false, 2, "99 ", true},  {true, false, 3, "1 English", false},
      {false, true, 2, "99 ", false},        {true, true, 2, "99 ", false},
  };
  LangName->SetStoreLookupData(false);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.recNo) + (c.cache ? " cached" : "") + (c.valueNotInLookup ? " foValueNotInLookup" : ""));
    LangName->SetLookupCache(c.cache);
    auto options = qor::TQorLookFieldOptions::FromInt(qor::DefaultLookFieldOptions);
    if (c.valueNotInLookup) options = options + qor::TQorLookFieldOptions{qor::foValueNotInLookup};
    LangName->SetOptions(options);
    OpenWithPeople();
    People->SetRecNo(c.recNo);
    EXPECT_EQ(LangName->GetAsString(), c.asString);
    EXPECT_EQ(LangName->IsNull(), c.isNull);
    EXPECT_EQ(LangName->GetValue().IsNull(), std::string(c.asString) == "99 ");
    People->Close();
    People->EmptyDataSet();
  }
  // A person without a key: null, whatever the option says.
  LangName->SetLookupCache(false);
  OpenWithPeople();
  People->Edit();
  People->FieldByName("Lang")->Clear();
  EXPECT_TRUE(LangName->IsNull());
  People->Cancel();
}

/// Counts the scrolls of a dataset.
class TScrollCounter : public TObject {
 public:
  int Scrolls = 0;
  void AfterScroll(TDataSet*) { ++Scrolls; }
};

// Each read of a value that does not store its data puts the lookup dataset on the
// person's language, but moves it only when it stands elsewhere; with the lookup cache
// the values themselves come from the cache.
TEST_F(QorLookFieldTest, ReadsMoveTheLookupDataSetOnlyWhenItStandsElsewhere) {
  for (bool cache : {false, true}) {
    SCOPED_TRACE(cache ? "cached" : "not cached");
    LangName->SetStoreLookupData(false);
    LangName->SetLookupCache(cache);
    People->Open();
    for (int lang : {2, 2, 1, 99, 1, 3}) {
      People->Append();
      People->FieldByName("id")->SetAsInteger(People->GetRecordCount() + 1);
      People->FieldByName("Lang")->SetAsInteger(lang);
      People->Post();
    }
    QLang->Last();
    TScrollCounter counter;
    QLang->SetAfterScroll(Method<&TScrollCounter::AfterScroll>(&counter));
    std::vector<std::string> texts;
    for (People->First(); !People->GetEOF(); People->Next()) {
      texts.push_back(LangName->GetAsString());
      texts.push_back(LangName->GetDisplayText());
      LangName->IsNull();  // asks without moving
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"2 Русский", "    2", "2 Русский", "    2", "1 English", "    1",
                                               "99 ", "   99", "1 English", "    1", "3 Deutsch", "    3"}));
    EXPECT_EQ(counter.Scrolls, 3);  // to 2, to 1, to 3; language 99 leaves it on 1
    EXPECT_EQ(QLang->FieldByName("Id")->GetAsInteger(), 3);
    QLang->SetAfterScroll(nullptr);

    // The cache answers with what it read at opening; the lookup dataset with what it
    // holds now.
    QLang->Edit();
    QLang->FieldByName("Name")->SetAsString("Deutsch (neu)");
    QLang->Post();
    LangName->CurrentResultIndex = 1;
    EXPECT_EQ(LangName->GetAsString(), cache ? "Deutsch" : "Deutsch (neu)");
    LangName->CurrentResultIndex = -1;
    QLang->Edit();
    QLang->FieldByName("Name")->SetAsString("Deutsch");
    QLang->Post();
    People->Close();
    People->EmptyDataSet();
  }
}

// Whatever a field keeps to read quickly (rows found by key, the cached values by key),
// its values follow the lookup rows: an edited lookup record shows at the next fetch of
// the person, or, with the lookup cache, once the cache is filled again.
TEST_F(QorLookFieldTest, ValuesFollowEditsOfTheLookupRows) {
  struct Case {
    bool store, cache;
    const char* afterEdit;
  };
  const Case cases[] = {
      {true, false, "2 Russian"}, {false, false, "2 Russian"}, {true, true, "2 Русский"}, {false, true, "2 Русский"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.store ? "stored" : "not stored") + (c.cache ? ", cached" : ""));
    LangName->SetStoreLookupData(c.store);
    LangName->SetLookupCache(c.cache);
    OpenWithPeople();
    for (int pass = 0; pass < 2; ++pass)  // the second pass reads what the first one kept
      for (People->First(); !People->GetEOF(); People->Next()) LangName->GetAsString();
    ASSERT_TRUE(QLang->Locate("Id", Variant(std::int16_t{2}), {}));
    QLang->Edit();
    QLang->FieldByName("Name")->SetAsString("Russian");
    QLang->Post();
    People->First();
    EXPECT_EQ(LangName->GetAsString(), c.afterEdit);
    LangName->RefreshLookupList();
    People->Next();
    People->First();
    EXPECT_EQ(LangName->GetAsString(), "2 Russian");
    ASSERT_TRUE(QLang->Locate("Id", Variant(std::int16_t{2}), {}));
    QLang->Edit();
    QLang->FieldByName("Name")->SetAsString("Русский");
    QLang->Post();
    People->Close();
    People->EmptyDataSet();
  }
}

// A lookup dataset with default fields makes them anew at each opening: the field lets
// go of the old ones and reads through the new ones.
TEST_F(QorLookFieldTest, ALookupDataSetWithDefaultFieldsMayBeReopened) {
  auto* lang = new THookedDataSet(&Owner);
  lang->SetName("QDefaults");
  lang->GetFieldDefs()->Add("Id", ftSmallint);
  lang->GetFieldDefs()->Add("Name", ftString, 20);
  lang->CreateDataSet();
  lang->Append();
  lang->FieldByName("Id")->SetAsInteger(2);
  lang->FieldByName("Name")->SetAsString("Русский");
  lang->Post();
  LangName->SetLookupDataSet(lang);
  LangName->SetLookupAddFields("");
  for (bool store : {true, false}) {
    SCOPED_TRACE(store ? "stored" : "not stored");
    LangName->SetStoreLookupData(store);
    OpenWithPeople();
    EXPECT_EQ(LangName->GetAsString(), "2 Русский");
    lang->Close();  // its fields are freed
    if (store) {
      EXPECT_EQ(LangName->GetAsString(), "2 Русский");  // the record keeps its values
    }
    lang->Open();
    People->Next();
    People->First();
    EXPECT_EQ(LangName->GetAsString(), "2 Русский");
    EXPECT_FALSE(LangName->IsNull());
    People->Close();
    People->EmptyDataSet();
  }
}

// Integers are read as text straight from the record or the lookup row; they read as
// their values' text, the extremes included.
TEST_F(QorLookFieldTest, IntegerValuesReadAsTheirText) {
  auto* numbers = new THookedDataSet(&Owner);
  numbers->SetName("QNumbers");
  AddField(&Owner, numbers, TSmallintField::StaticClass(), "Id");
  AddField(&Owner, numbers, TLargeintField::StaticClass(), "Big");
  AddField(&Owner, numbers, TWordField::StaticClass(), "Small");
  numbers->Open();
  const std::int64_t bigs[] = {INT64_MIN, -1, 0, 7, INT64_MAX};
  for (int i = 0; i < 5; ++i) {
    numbers->Append();
    numbers->FieldByName("Id")->SetAsInteger(i + 1);
    numbers->FieldByName("Big")->SetAsVariant(Variant(bigs[i]));
    numbers->FieldByName("Small")->SetAsInteger(i * 16000);
    numbers->Post();
  }
  LangName->SetLookupDataSet(numbers);
  LangName->SetLookupResultField("Big;Small");
  LangName->SetLookupAddFields("");
  for (bool store : {true, false}) {
    SCOPED_TRACE(store ? "stored" : "not stored");
    LangName->SetStoreLookupData(store);
    People->Open();
    for (int i = 0; i < 5; ++i) {
      People->Append();
      People->FieldByName("Lang")->SetAsInteger(i + 1);
      People->Post();
      EXPECT_EQ(LangName->GetAsString(), std::to_string(bigs[i]) + " " + std::to_string(i * 16000));
    }
    People->Close();
    People->EmptyDataSet();
  }
}

// "Out Limit" is told for every field of the class whose data size is above the limit,
// each time the size is computed, that is at each opening.
TEST_F(QorLookFieldTest, OutLimitForEveryFieldOfTheClassAboveTheLimit) {
  struct Case {
    const char* what;
    TFieldKind kind;
    int size;
    bool store;
    int messagesPerOpening;
  };
  const Case cases[] = {
      {"data field", fkData, 9000, false, 1},
      {"data field at the limit", fkData, 8191, false, 0},
      {"calculated field", fkCalculated, 9000, false, 1},
      {"lookup field without stored data", fkLookup, 9000, false, 1},
      {"lookup field storing 50 bytes", fkLookup, 9000, true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TComponent owner(nullptr);
    auto* ds = new THookedDataSet(&owner);
    AddField(&owner, ds, TSmallintField::StaticClass(), "Lang");
    auto* f = new TQorLookField(&owner);
    f->SetFieldName("Big");
    f->SetSize(c.size);
    f->SetFieldKind(c.kind);
    if (c.kind == fkLookup) {
      f->SetLookupDataSet(QLang);
      f->SetLookupKeyFields("Id");
      f->SetKeyFields("Lang");
      f->SetLookupResultField("id;Name");
      f->SetLookupAddFields("Font");
      f->SetStoreLookupData(c.store);
    }
    f->SetDataSet(ds);
    Messages.Messages.clear();
    for (int opening = 1; opening <= 2; ++opening) {
      ds->Open();
      ds->Append();
      ds->FieldByName("Lang")->SetAsInteger(1);
      ds->Post();
      EXPECT_EQ(Messages.Messages.size(), static_cast<std::size_t>(opening * c.messagesPerOpening));
      ds->Close();
    }
    for (const std::string& m : Messages.Messages) EXPECT_EQ(m, "Out Limit");
  }
}

TEST_F(QorLookFieldTest, ListsAndTheOwnResultText) {
  LangName->SetLookupGridFields("Name;Layout");
  EXPECT_EQ(LangName->AllResultFields(), "id;Name;Font;Layout");
  OpenWithPeople();
  EXPECT_EQ(LangName->GetResultFieldList().size(), 4u);
  EXPECT_EQ(LangName->DisplayFieldsWidth(), 5 + 20);
  EXPECT_THROW(LangName->SetLookupAddFields("Name"), EDatabaseError);  // open dataset
  People->Close();
  // Setting the dataset's own member behind the field's back: the field adopts it.
  LangName->SetLookupResultFieldMember("Name");
  LangName->SetLookupGridFields("");
  People->Open();
  EXPECT_EQ(LangName->GetLookupResultField(), "Name");
  EXPECT_EQ(LangName->GetLookupResultFieldMember(), "Name;Font");
}

TEST_F(QorLookFieldTest, TheLookupCacheHoldsAllResultValues) {
  LangName->SetLookupCache(true);
  OpenWithPeople();
  EXPECT_TRUE(LangName->GetLookupCache());
  EXPECT_FALSE(LangName->GetSavedLookupCache());
  EXPECT_EQ(LangName->GetLookupList().Count(), 3u);
  Variant value = LangName->GetLookupList().ValueOfKey(Variant(std::int16_t{2}));
  ASSERT_TRUE(value.IsArray());
  EXPECT_EQ(value[1].AsString(), "Русский");
  EXPECT_EQ(value[2].AsString(), "Times New Roman");
  People->SetRecNo(1);
  EXPECT_EQ(LangName->GetAsString(), "2 Русский");
}

// Only the opening prepares the field: asking a closed field for its size changes none of
// its settings, so the cache is still filled when the dataset opens.
TEST_F(QorLookFieldTest, AskingAClosedFieldForItsSizePreparesNothing) {
  LangName->SetLookupCache(true);
  LangName->GetDataSize();
  LangName->GetDataSize();
  EXPECT_TRUE(LangName->GetLookupCache());
  EXPECT_EQ(LangName->GetLookupResultFieldMember(), "id;Name");
  OpenWithPeople();
  EXPECT_TRUE(LangName->GetLookupCache());
  EXPECT_EQ(LangName->GetLookupList().Count(), 3u);
}

TEST_F(QorLookFieldTest, WrongSettingsKeepThePeopleClosed) {
  auto* cont = new THookedDataSet(&Owner);
  cont->SetName("QCont");
  AddField(&Owner, cont, TSmallintField::StaticClass(), "Id");
  AddField(&Owner, cont, TStringField::StaticClass(), "Name");
  struct Case {
    const char* what;
    std::function<void()> spoil;
    const char* message;
  };
  const Case cases[] = {
      {"missing result field", [&] { LangName->SetLookupAddFields("Colour"); }, "QLang: Field 'Colour' not found"},
      {"missing level-down field", [&] {
         LangName->SetLookupLevelUp("Id");
         LangName->SetLookupLevelDown("AmountDown");
       },
       "QLang: Field 'AmountDown' not found"},
      {"incomplete level", [&] {
         auto* level = LangName->GetLookupLevels()->Add();
         level->SetDataSet(cont);
         level->SetResultFields("Id;Name");
       },
       "Lookup information for field 'Language' is incomplete"},
      {"level key not a field", [&] {
         auto* level = LangName->GetLookupLevels()->Add();
         level->SetDataSet(cont);
         level->SetKeyField("Code");
         level->SetResultFields("Id;Name");
       },
       "QCont: Field 'Code' not found"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LangName->SetLookupAddFields("Font");
    LangName->SetLookupLevelUp("");
    LangName->SetLookupLevelDown("");
    LangName->GetLookupLevels()->Clear();
    c.spoil();
    ExpectError<EDatabaseError>([&] { People->Open(); }, c.message);
    EXPECT_FALSE(People->GetActive());
  }
  // A complete level opens its dataset; freeing it empties the level.
  LangName->SetLookupAddFields("Font");
  LangName->SetLookupLevelUp("");
  LangName->SetLookupLevelDown("");
  LangName->GetLookupLevels()->Clear();
  auto* level = LangName->GetLookupLevels()->Add();
  level->SetDataSet(cont);
  level->SetKeyField("Id");
  level->SetResultFields("Id;Name");
  People->Open();
  EXPECT_TRUE(cont->GetActive());
  People->Close();
  delete cont;
  EXPECT_EQ(LangName->GetLookupLevels()->LevelDataSet(0), nullptr);
  EXPECT_THROW(People->Open(), EDatabaseError);
}

TEST_F(QorLookFieldTest, AnOversizedStoredRecordShowsOutLimitAndStaysInItsBuffer) {
  auto* big = new THookedDataSet(&Owner);
  big->SetName("QBig");
  AddField(&Owner, big, TSmallintField::StaticClass(), "Id");
  AddField(&Owner, big, TStringField::StaticClass(), "A", 5000);
  AddField(&Owner, big, TStringField::StaticClass(), "B", 5000);
  big->Open();
  big->Append();
  big->FieldByName("Id")->SetAsInteger(1);
  big->FieldByName("A")->SetAsString(std::string(5000, 'a'));
  big->FieldByName("B")->SetAsString(std::string(5000, 'b'));
  big->Post();
  LangName->SetLookupDataSet(big);
  LangName->SetLookupResultField("A;B");
  LangName->SetLookupAddFields("");
  for (int opening = 1; opening <= 2; ++opening) {
    OpenWithPeople();
    EXPECT_EQ(Messages.Messages.size(), static_cast<std::size_t>(opening));
    EXPECT_EQ(Messages.Messages.back(), "Out Limit");
    People->SetRecNo(2);
    People->Edit();
    People->FieldByName("Lang")->SetAsInteger(1);
    LangName->CurrentResultIndex = 0;
    EXPECT_EQ(LangName->GetAsString(), std::string(5000, 'a'));
    LangName->CurrentResultIndex = 1;  // beyond the working buffer: nothing stored
    EXPECT_TRUE(LangName->GetValue().IsNull());
    LangName->CurrentResultIndex = -1;
    People->Cancel();
    People->Close();
    People->EmptyDataSet();
  }
}

TEST_F(QorLookFieldTest, LevelsTravelInFormFilesAsLookupLevelsData) {
  qor::RegisterLibraryClasses();
  const std::string form =
      "object DM1: TDataModule\n"
      "  OldCreateOrder = False\n"
      "  object QCont: TMemDataSet\n"
      "  end\n"
      "  object QCountry: TMemDataSet\n"
      "  end\n"
      "  object TbPeople: TMemDataSet\n"
      "    object TbPeopleCountryName1: TQorLookField\n"
      "      DisplayLabel = 'Country'\n"
      "      DisplayWidth = 50\n"
      "      FieldKind = fkLookup\n"
      "      FieldName = 'CountryName1'\n"
      "      KeyFields = 'Country'\n"
      "      LookupDataSet = QCountry\n"
      "      LookupKeyFields = 'Id'\n"
      "      LookupResultField = 'id;Name'\n"
      "      Size = 45\n"
      "      ListFieldIndex = 1\n"
      "      LookupFilterField = 'Continent'\n"
      "      HeadLine = True\n"
      "      HeadColor = 10930928\n"
      "      StoreLookupData = True\n"
      "      LookupLevelsData = <\n"
      "        item\n"
      "          DataSet = QCont\n"
      "          KeyField = 'Id'\n"
      "          ResultFields = 'Id;Name'\n"
      "        end>\n"
      "    end\n"
      "  end\n"
      "end\n";
  std::unique_ptr<TComponent> dm(ReadComponentText(form, nullptr));
  auto* field = static_cast<TQorLookField*>(dm->FindComponent("TbPeopleCountryName1"));
  ASSERT_EQ(field->GetLookupLevels()->GetCount(), 1);
  EXPECT_EQ(field->GetLookupLevels()->LevelDataSet(0), dm->FindComponent("QCont"));
  EXPECT_EQ(field->GetLookupLevels()->LevelKeyField(0), "Id");
  EXPECT_EQ(field->GetOptions().ToInt(), qor::DefaultLookFieldOptions);
  EXPECT_EQ(WriteComponentText(dm.get()), form);
}

}  // namespace
