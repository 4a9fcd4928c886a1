// Tests of the lookup levels (TQorLookupLevelItem, TQorLookupLevelCol): the index rule of
// the level accessors, free notification of the levels' datasets, assignment and form
// files, with a test owner component that streams its levels as "LookupLevelsData".
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "framework/core/Component.h"
#include "framework/core/DataModule.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Filer.h"
#include "framework/core/Strings.h"
#include "framework/core/TypInfo.h"
#include "framework/data/MemDataSet.h"
#include "framework/stream/Classes.h"
#include "framework/stream/FormReader.h"
#include "framework/stream/FormWriter.h"
#include "library/QorLook.h"
#include "library/QorRegister.h"
#include "tests/support/ExpectError.h"

namespace {

using fw::TComponent;
using fw::TMemDataSet;
using qor::TQorLookupLevelCol;
using qor::TQorLookupLevelItem;

// Owns lookup levels the way lookup fields and combos do: clears the levels of a freed
// dataset and streams the collection under an extra property. Counts the removals it hears
// of, by component.
class TLevelsOwner : public TComponent {
  FW_CLASS(TLevelsOwner)
 public:
  explicit TLevelsOwner(TComponent* owner)
      : TComponent(owner), FLevels(std::make_unique<TQorLookupLevelCol>(this)) {}

  TQorLookupLevelCol* GetLookupLevels() const { return FLevels.get(); }
  int RemovalsOf(const TComponent* c) const {
    auto it = FRemovals.find(c);
    return it == FRemovals.end() ? 0 : it->second;
  }

  void Notification(TComponent* component, fw::TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation != fw::TOperation::opRemove) return;
    ++FRemovals[component];
    for (int i = 0; i < FLevels->GetCount(); ++i)
      if (FLevels->LevelDataSet(i) == component) FLevels->SetLevelDataSet(i, nullptr);
  }

  void DefineProperties(fw::TFiler* filer) override {
    TComponent::DefineProperties(filer);
    filer->DefineProperty(
        "LookupLevelsData",
        [this](fw::TReader& r) {
          if (r.ReadValue() != fw::TValueType::vaCollection)
            throw fw::EReadError(0, 0, "collection expected");
          r.ReadCollection(FLevels.get());
        },
        [this](fw::TWriter& w) { w.WriteCollection(FLevels.get()); }, FLevels->GetCount() > 0);
  }

 private:
  std::unique_ptr<TQorLookupLevelCol> FLevels;
  std::map<const TComponent*, int> FRemovals;
};

const fw::TClassInfo& TLevelsOwner::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TLevelsOwner>("TLevelsOwner", &TComponent::StaticClass())
          .ReadOnlyProp("LookupLevels", &TLevelsOwner::GetLookupLevels).Stored(false)
          .Build();
  return info;
}

TQorLookupLevelItem* AddLevel(TLevelsOwner* owner, fw::TDataSet* ds, const std::string& filter,
                              const std::string& key, const std::string& result) {
  TQorLookupLevelItem* item = owner->GetLookupLevels()->Add();
  item->SetDataSet(ds);
  item->SetFilterField(filter);
  item->SetKeyField(key);
  item->SetResultFields(result);
  return item;
}

// A data module "DM" with the datasets QCont and QCountry, and two owners that are not in
// the module (so they hear of the datasets' freeing only through free notification).
class QorLookLevelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qor::RegisterLibraryClasses();
    fw::RegisterClass(TLevelsOwner::StaticClass());
    FModule = std::make_unique<fw::TDataModule>(nullptr);
    FModule->SetName("DM");
    FCont = new TMemDataSet(FModule.get());
    FCont->SetName("QCont");
    FCountry = new TMemDataSet(FModule.get());
    FCountry->SetName("QCountry");
  }

  std::unique_ptr<fw::TDataModule> FModule;
  TMemDataSet* FCont = nullptr;
  TMemDataSet* FCountry = nullptr;
  TLevelsOwner FOwner{nullptr};
  TLevelsOwner FOther{nullptr};
};

// ---------------------------------------------------------------- index rule

TEST_F(QorLookLevelsTest, AccessorsGiveEmptyResultsAtOrAboveCountAndRaiseBelowZero) {
  AddLevel(&FOwner, FCont, "RegionId", "Id", "Id;Name");
  TQorLookupLevelCol* c = FOwner.GetLookupLevels();

  EXPECT_EQ(c->LevelDataSet(0), FCont);
  EXPECT_EQ(qor::LevelFilterField(c, 0), "RegionId");
  EXPECT_EQ(c->LevelKeyField(0), "Id");
  EXPECT_EQ(c->LevelResultFields(0), "Id;Name");

  for (int index : {1, 2, 1000}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(c->LevelDataSet(index), nullptr);
    EXPECT_EQ(qor::LevelFilterField(c, index), "");
    EXPECT_EQ(c->LevelKeyField(index), "");
    EXPECT_EQ(c->LevelResultFields(index), "");
    c->SetLevelDataSet(index, FCountry);
    EXPECT_EQ(c->GetCount(), 1);
    EXPECT_EQ(c->LevelDataSet(0), FCont);
  }

  struct Case {
    const char* name;
    std::function<void()> call;
  };
  const Case cases[] = {
      {"LevelDataSet", [&] { c->LevelDataSet(-1); }},
      {"SetLevelDataSet", [&] { c->SetLevelDataSet(-1, FCountry); }},
      {"LevelFilterField", [&] { qor::LevelFilterField(c, -1); }},
      {"LevelKeyField", [&] { c->LevelKeyField(-1); }},
      {"LevelResultFields", [&] { c->LevelResultFields(-1); }},
  };
  for (const auto& cs : cases) {
    SCOPED_TRACE(cs.name);
    ExpectError<fw::EListError>(cs.call, "List index out of bounds (-1)");
  }
  EXPECT_EQ(c->LevelDataSet(0), FCont);
}

TEST_F(QorLookLevelsTest, NewLevelIsEmptyAndCollectionIsNamedAfterItsOwner) {
  FOwner.SetName("Look");
  TQorLookupLevelItem* item = FOwner.GetLookupLevels()->Add();
  EXPECT_EQ(item->GetDataSet(), nullptr);
  EXPECT_EQ(item->GetFilterField(), "");
  EXPECT_EQ(item->GetKeyField(), "");
  EXPECT_EQ(item->GetResultFields(), "");
  EXPECT_EQ(FOwner.GetLookupLevels()->GetOwner(), &FOwner);
  EXPECT_EQ(item->GetNamePath(), "Look.LookupLevels[0]");
}

// ---------------------------------------------------------------- free notification

TEST_F(QorLookLevelsTest, FreeingALevelDataSetClearsOnlyTheLevelsThatReferToIt) {
  AddLevel(&FOwner, FCont, "", "Id", "Name");
  AddLevel(&FOwner, FCountry, "ContId", "Id", "Name");
  AddLevel(&FOwner, FCont, "", "Code", "Code");
  delete FCont;
  TQorLookupLevelCol* c = FOwner.GetLookupLevels();
  EXPECT_EQ(c->LevelDataSet(0), nullptr);
  EXPECT_EQ(c->LevelDataSet(1), FCountry);
  EXPECT_EQ(c->LevelDataSet(2), nullptr);
  EXPECT_EQ(c->LevelKeyField(0), "Id");  // the rest of the level stays
  EXPECT_EQ(FOwner.RemovalsOf(FCont), 1);
}

TEST_F(QorLookLevelsTest, ReplacedDataSetIsTheOneWatched) {
  TQorLookupLevelItem* item = AddLevel(&FOwner, FCont, "", "Id", "Name");
  item->SetDataSet(FCountry);
  delete FCont;
  EXPECT_EQ(item->GetDataSet(), FCountry);
  delete FCountry;
  EXPECT_EQ(item->GetDataSet(), nullptr);
  EXPECT_EQ(FOwner.RemovalsOf(FCountry), 1);
}

TEST_F(QorLookLevelsTest, SettingTheSameDataSetAgainAsksForNoNotification) {
  TQorLookupLevelItem* item = AddLevel(&FOwner, FCont, "", "Id", "Name");
  // Undo the notification link: only a second request could bring it back.
  FOwner.RemoveFreeNotification(FCont);
  item->SetDataSet(FCont);
  FModule.reset();
  EXPECT_EQ(FOwner.RemovalsOf(FCont), 0);
  item->SetDataSet(nullptr);  // forget the freed dataset without reading it

  // A different dataset is watched again.
  auto* ds = new TMemDataSet(nullptr);
  item->SetDataSet(ds);
  item->SetDataSet(ds);
  delete ds;
  EXPECT_EQ(FOwner.RemovalsOf(ds), 1);
  EXPECT_EQ(item->GetDataSet(), nullptr);
}

TEST_F(QorLookLevelsTest, OwnerFreedBeforeItsDataSetLeavesNoDanglingNotification) {
  auto owner = std::make_unique<TLevelsOwner>(nullptr);
  AddLevel(owner.get(), FCont, "", "Id", "Name");
  owner.reset();
  delete FCont;  // must not reach the freed owner
  SUCCEED();
}

TEST_F(QorLookLevelsTest, OwnerInTheSameModuleHearsOfTheFreeing) {
  auto* owner = new TLevelsOwner(FModule.get());
  AddLevel(owner, FCont, "", "Id", "Name");
  delete FCont;
  EXPECT_EQ(owner->GetLookupLevels()->LevelDataSet(0), nullptr);
}

// ---------------------------------------------------------------- assignment

TEST_F(QorLookLevelsTest, AssignedLevelsAreWatchedForTheNewOwnerToo) {
  AddLevel(&FOwner, FCont, "RegionId", "Id", "Id;Name");
  AddLevel(&FOwner, FCountry, "ContId", "Code", "Name");
  AddLevel(&FOther, FCountry, "x", "y", "z");  // replaced by the assignment

  TQorLookupLevelCol* a = FOwner.GetLookupLevels();
  TQorLookupLevelCol* b = FOther.GetLookupLevels();
  b->Assign(a);
  ASSERT_EQ(b->GetCount(), 2);
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(b->LevelDataSet(i), a->LevelDataSet(i));
    EXPECT_EQ(qor::LevelFilterField(b, i), qor::LevelFilterField(a, i));
    EXPECT_EQ(b->LevelKeyField(i), a->LevelKeyField(i));
    EXPECT_EQ(b->LevelResultFields(i), a->LevelResultFields(i));
  }

  delete FCont;
  EXPECT_EQ(a->LevelDataSet(0), nullptr);
  EXPECT_EQ(b->LevelDataSet(0), nullptr);
  EXPECT_EQ(FOther.RemovalsOf(FCont), 1);
  EXPECT_EQ(b->LevelKeyField(0), "Id");
  EXPECT_EQ(b->LevelDataSet(1), FCountry);
}

TEST_F(QorLookLevelsTest, ItemAssignCopiesEveryProperty) {
  TQorLookupLevelItem* src = AddLevel(&FOwner, FCont, "RegionId", "Id", "Id;Name");
  TQorLookupLevelItem* dst = AddLevel(&FOther, FCountry, "", "Code", "");
  dst->Assign(src);
  EXPECT_EQ(dst->GetDataSet(), FCont);
  EXPECT_EQ(dst->GetFilterField(), "RegionId");
  EXPECT_EQ(dst->GetKeyField(), "Id");
  EXPECT_EQ(dst->GetResultFields(), "Id;Name");

  TQorLookupLevelItem empty(nullptr);
  dst->Assign(&empty);
  EXPECT_EQ(dst->GetDataSet(), nullptr);
  EXPECT_EQ(dst->GetKeyField(), "");
}

TEST_F(QorLookLevelsTest, AssignFromAnythingElseRaises) {
  TQorLookupLevelItem* item = AddLevel(&FOwner, FCont, "RegionId", "Id", "Name");
  fw::TStringList strings;
  fw::TIndexDefs indexDefs(nullptr);
  fw::TIndexDef* indexDef = indexDefs.Add("ByName", "Name", {});

  struct Case {
    const fw::TPersistent* target;
    const fw::TPersistent* source;
    std::string message;
  };
  const Case cases[] = {
      {item, &strings, "Cannot assign a TStringList to a TQorLookupLevelItem"},
      {item, indexDef, "Cannot assign a TIndexDef to a TQorLookupLevelItem"},
      {item, FOwner.GetLookupLevels(), "Cannot assign a TQorLookupLevelCol to a TQorLookupLevelItem"},
      {item, nullptr, "Cannot assign a nil to a TQorLookupLevelItem"},
      {FOwner.GetLookupLevels(), &strings, "Cannot assign a TStringList to a TQorLookupLevelCol"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    ExpectError<fw::EConvertError>(
        [&] { const_cast<fw::TPersistent*>(c.target)->Assign(c.source); }, c.message);
  }
  ASSERT_EQ(FOwner.GetLookupLevels()->GetCount(), 1);
  EXPECT_EQ(item->GetDataSet(), FCont);
  EXPECT_EQ(item->GetKeyField(), "Id");
}

// ---------------------------------------------------------------- form files

const char* const kModule =
    "object DM: TDataModule\n"
    "  OldCreateOrder = False\n"
    "  object QCont: TMemDataSet\n"
    "  end\n"
    "  object Look: TLevelsOwner\n"
    "    LookupLevelsData = <\n"
    "      item\n"
    "        DataSet = QCont\n"
    "        KeyField = 'Id'\n"
    "        ResultFields = 'Id;Name'\n"
    "      end>\n"
    "  end\n"
    "  object Plain: TLevelsOwner\n"
    "  end\n"
    "end\n";

TEST_F(QorLookLevelsTest, FormFileRoundTrip) {
  FModule.reset();  // the file's module takes the name DM
  std::unique_ptr<TComponent> root(fw::ReadComponentText(kModule, nullptr));
  auto* cont = dynamic_cast<TMemDataSet*>(root->FindComponent("QCont"));
  auto* look = dynamic_cast<TLevelsOwner*>(root->FindComponent("Look"));
  auto* plain = dynamic_cast<TLevelsOwner*>(root->FindComponent("Plain"));
  ASSERT_TRUE(cont && look && plain);

  TQorLookupLevelCol* c = look->GetLookupLevels();
  ASSERT_EQ(c->GetCount(), 1);
  EXPECT_EQ(c->LevelDataSet(0), cont);
  EXPECT_EQ(qor::LevelFilterField(c, 0), "");
  EXPECT_EQ(c->LevelKeyField(0), "Id");
  EXPECT_EQ(c->LevelResultFields(0), "Id;Name");
  EXPECT_EQ(plain->GetLookupLevels()->GetCount(), 0);

  EXPECT_EQ(fw::WriteComponentText(root.get()), kModule);

  // A filter field is written too; without levels nothing is.
  c->GetItem(0)->SetFilterField("RegionId");
  std::string text = fw::WriteComponentText(root.get());
  EXPECT_NE(text.find("        DataSet = QCont\n        FilterField = 'RegionId'\n        KeyField = 'Id'\n"),
            std::string::npos)
      << text;
  c->Clear();
  text = fw::WriteComponentText(root.get());
  EXPECT_EQ(text.find("LookupLevelsData"), std::string::npos) << text;
}

TEST_F(QorLookLevelsTest, LevelReadFromAFormFileIsClearedWhenItsDataSetIsFreed) {
  FModule.reset();
  std::unique_ptr<TComponent> root(fw::ReadComponentText(kModule, nullptr));
  auto* look = static_cast<TLevelsOwner*>(root->FindComponent("Look"));
  auto* cont = root->FindComponent("QCont");
  delete cont;
  EXPECT_EQ(look->GetLookupLevels()->LevelDataSet(0), nullptr);
}

}  // namespace
