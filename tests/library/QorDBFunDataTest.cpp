// Tests of the QorDBFun routines that work on the fields of a dataset: GetFieldNameList,
// CheckFieldNames, FieldsDisplayWidth and LookupResultWidth.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "framework/core/Component.h"
#include "framework/core/Exceptions.h"
#include "framework/data/Field.h"
#include "framework/data/MemDataSet.h"
#include "library/QorDBFun.h"
#include "tests/support/ExpectError.h"

namespace {

using fw::TField;
using fw::TMemDataSet;

// A closed dataset "Data" with the definitions Id (integer), Name (string 20), Info (memo)
// and Picture (graphic), and persistent fields made from them with a calculated field
// "Calc" first and a lookup field "ContName" between the definitions' fields:
//   Calc, Id, Name, ContName, Info, Picture.
// The lookup field reads "Cont" (Id, Name string 30, Code string 4).
class QorDBFunDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FCont = new TMemDataSet(&FRoot);
    FCont->SetName("Cont");
    FCont->GetFieldDefs()->Add("Id", fw::ftInteger);
    FCont->GetFieldDefs()->Add("Name", fw::ftString, 30);
    FCont->GetFieldDefs()->Add("Code", fw::ftString, 4);
    for (int i = 0; i < FCont->GetFieldDefs()->GetCount(); ++i)
      FCont->GetFieldDefs()->GetItem(i)->CreateField(&FRoot, FCont);

    FData = new TMemDataSet(&FRoot);
    FData->SetName("Data");
    auto* defs = FData->GetFieldDefs();
    defs->Add("Id", fw::ftInteger);
    defs->Add("Name", fw::ftString, 20);
    defs->Add("Info", fw::ftMemo);
    defs->Add("Picture", fw::ftGraphic);

    FCalc = new fw::TStringField(&FRoot);
    FCalc->SetFieldName("Calc");
    FCalc->SetFieldKind(fw::fkCalculated);
    FCalc->SetDataSet(FData);
    defs->GetItem(0)->CreateField(&FRoot, FData);
    defs->GetItem(1)->CreateField(&FRoot, FData);
    FLookup = new fw::TStringField(&FRoot);
    FLookup->SetFieldName("ContName");
    FLookup->SetFieldKind(fw::fkLookup);
    FLookup->SetKeyFields("Id");
    FLookup->SetLookupDataSet(FCont);
    FLookup->SetLookupKeyFields("Id");
    FLookup->SetLookupResultField("Name;Code");
    FLookup->SetDataSet(FData);
    defs->GetItem(2)->CreateField(&FRoot, FData);
    defs->GetItem(3)->CreateField(&FRoot, FData);
  }

  fw::TComponent FRoot{nullptr};
  TMemDataSet* FCont = nullptr;
  TMemDataSet* FData = nullptr;
  TField* FCalc = nullptr;
  TField* FLookup = nullptr;
};

// ---------------------------------------------------------------- GetFieldNameList

struct NameListCase {
  bool sqlStyle, withBlobs, quote;
  std::string expected;
};

TEST_F(QorDBFunDataTest, GetFieldNameListInEveryFlagCombination) {
  const NameListCase cases[] = {
      {true, true, true, R"("Id","Name","Info","Picture")"},
      {true, true, false, "Id,Name,Info,Picture"},
      {true, false, true, R"("Id","Name")"},
      {true, false, false, "Id,Name"},
      {false, true, true, "Id;Name;Info;Picture"},
      {false, true, false, "Id;Name;Info;Picture"},
      {false, false, true, "Id;Name"},
      {false, false, false, "Id;Name"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "sqlStyle=" << c.sqlStyle << " withBlobs=" << c.withBlobs
                                    << " quote=" << c.quote);
    EXPECT_EQ(qor::GetFieldNameList(FData, c.sqlStyle, c.withBlobs, c.quote), c.expected);
  }
}

TEST(QorDBFunFieldListTest, OnlyBlobOrNoDataFieldsGiveStarInSqlStyleAndEmptyOtherwise) {
  fw::TComponent root(nullptr);
  auto* ds = new TMemDataSet(&root);
  auto* calc = new fw::TIntegerField(&root);
  calc->SetFieldName("Calc");
  calc->SetFieldKind(fw::fkInternalCalc);
  calc->SetDataSet(ds);

  // No data field at all.
  EXPECT_EQ(qor::GetFieldNameList(ds, true, true, true), "*");
  EXPECT_EQ(qor::GetFieldNameList(ds, false, true, true), "");

  auto* memo = new fw::TMemoField(&root);
  memo->SetFieldName("Info");
  memo->SetDataSet(ds);
  auto* blob = new fw::TBlobField(&root);
  blob->SetFieldName("Data");
  blob->SetDataSet(ds);

  const NameListCase cases[] = {
      {true, false, true, "*"},
      {true, false, false, "*"},
      {false, false, true, ""},
      {false, false, false, ""},
      {true, true, true, R"("Info","Data")"},
      {false, true, false, "Info;Data"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "sqlStyle=" << c.sqlStyle << " withBlobs=" << c.withBlobs
                                    << " quote=" << c.quote);
    EXPECT_EQ(qor::GetFieldNameList(ds, c.sqlStyle, c.withBlobs, c.quote), c.expected);
  }
}

// ---------------------------------------------------------------- CheckFieldNames

TEST_F(QorDBFunDataTest, CheckFieldNamesAcceptsKnownNamesOfEveryKind) {
  for (const char* names : {"", "Id", "id;NAME", " Calc ; ContName;Picture", "Id;"}) {
    SCOPED_TRACE(names);
    EXPECT_NO_THROW(qor::CheckFieldNames(FData, names));
  }
}

struct UnknownNameCase {
  std::string names;
  std::string message;
};

TEST_F(QorDBFunDataTest, CheckFieldNamesRaisesForTheFirstUnknownName) {
  const UnknownNameCase cases[] = {
      {"Nope", "Data: Field 'Nope' not found"},
      {"Id;Nope;Other", "Data: Field 'Nope' not found"},
      {"Id; Other ;Nope", "Data: Field 'Other' not found"},
      {"Id;;Name", "Data: Field '' not found"},  // an empty name in the middle is a name too
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.names);
    ExpectError<fw::EDatabaseError>([&] { qor::CheckFieldNames(FData, c.names); }, c.message);
  }
}

// ---------------------------------------------------------------- FieldsDisplayWidth

struct WidthCase {
  std::string names;
  std::uint16_t expected;
};

TEST_F(QorDBFunDataTest, FieldsDisplayWidthAddsTheWidthsOfTheListedFields) {
  // Default widths: integer 11, string its size, blob 10; a set width wins.
  FCalc->SetDisplayWidth(7);
  const WidthCase cases[] = {
      {"", 0},
      {"Id", 11},
      {"Id;Name", 31},
      {"name ; Info", 30},
      {"Calc;ContName;Picture", 7 + 20 + 10},
      {"Id;Id", 22},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.names);
    EXPECT_EQ(qor::FieldsDisplayWidth(FData, c.names), c.expected);
  }
}

TEST_F(QorDBFunDataTest, FieldsDisplayWidthWrapsAt16Bits) {
  FData->FieldByName("Id")->SetDisplayWidth(40000);
  FData->FieldByName("Name")->SetDisplayWidth(40000);
  FData->FieldByName("Info")->SetDisplayWidth(25536);
  const WidthCase cases[] = {
      {"Id", 40000},
      {"Id;Name", 14464},  // 80000 - 65536
      {"Id;Info", 0},      // exactly 65536
      {"Id;Info;Name", 40000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.names);
    EXPECT_EQ(qor::FieldsDisplayWidth(FData, c.names), c.expected);
  }
}

TEST_F(QorDBFunDataTest, FieldsDisplayWidthWithoutDataSetIsZeroAndUnknownNamesRaise) {
  EXPECT_EQ(qor::FieldsDisplayWidth(nullptr, "Nope;Id"), 0);
  ExpectError<fw::EDatabaseError>([&] { qor::FieldsDisplayWidth(FData, "Id;Nope"); },
                                  "Data: Field 'Nope' not found");
}

// ---------------------------------------------------------------- LookupResultWidth

TEST_F(QorDBFunDataTest, LookupResultWidthMeasuresTheResultFieldsInTheLookupDataSet) {
  EXPECT_EQ(qor::LookupResultWidth(FLookup), 30 + 4);  // Cont.Name, Cont.Code
  FCont->FieldByName("Code")->SetDisplayWidth(65530);
  EXPECT_EQ(qor::LookupResultWidth(FLookup), 24);  // wraps like FieldsDisplayWidth

  FLookup->SetLookupResultField("Id");
  EXPECT_EQ(qor::LookupResultWidth(FLookup), 11);
  FLookup->SetLookupResultField("");
  EXPECT_EQ(qor::LookupResultWidth(FLookup), 0);

  FLookup->SetLookupResultField("Name;Missing");
  EXPECT_THROW(qor::LookupResultWidth(FLookup), fw::EDatabaseError);

  // No lookup dataset: nothing to measure, whatever the result list names.
  FLookup->SetLookupDataSet(nullptr);
  EXPECT_EQ(qor::LookupResultWidth(FLookup), 0);
  EXPECT_EQ(qor::LookupResultWidth(FCalc), 0);
  EXPECT_EQ(qor::LookupResultWidth(nullptr), 0);
}

// A field class whose result list is computed: the routine reads the published property,
// so it sees what the class's getter gives and not the stored member.
class TFixedResultField : public fw::TStringField {
 public:
  using fw::TStringField::TStringField;
  std::string GetLookupResultField() const override { return "Code"; }
};

TEST_F(QorDBFunDataTest, LookupResultWidthReadsThePublishedProperty) {
  TFixedResultField field(nullptr);
  field.SetLookupDataSet(FCont);
  field.SetLookupResultFieldMember("Name");
  EXPECT_EQ(qor::LookupResultWidth(&field), 4);
}

}  // namespace
