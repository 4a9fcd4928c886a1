// Reading and writing component trees as form files: values of every kind, defined
// properties, references within and across roots, handlers, Loaded, normal form, and
// malformed files that leave nothing behind.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/Collection.h"
#include "framework/core/DataModule.h"
#include "framework/core/Filer.h"
#include "framework/core/Strings.h"
#include "framework/core/TypInfo.h"
#include "framework/stream/Classes.h"
#include "framework/stream/FormReader.h"
#include "framework/stream/FormWriter.h"

namespace {

using namespace fw;

std::vector<std::string> gTrace;

enum TMode { mdNone, mdLight, mdDark };
FW_ENUM_INFO(TMode, "mdNone", "mdLight", "mdDark")
enum TOpt { opA, opB, opC, opD };
FW_ENUM_INFO(TOpt, "opA", "opB", "opC", "opD")

class TWidget;

class TLevel : public TCollectionItem {
  FW_CLASS(TLevel)
 public:
  explicit TLevel(TCollection* c) : TCollectionItem(c) {}
  TComponent* GetDataSet() const { return FDataSet; }
  void SetDataSet(TComponent* v);
  std::string GetKeyField() const { return FKeyField; }
  void SetKeyField(std::string v) { FKeyField = std::move(v); }

 private:
  TComponent* FDataSet = nullptr;
  std::string FKeyField;
};

class TWidget : public TComponent {
  FW_CLASS(TWidget)
 public:
  explicit TWidget(TComponent* owner)
      : TComponent(owner), FLevels(this, TLevel::StaticClass()) {}
  ~TWidget() override { SetParentComponent(nullptr); }

  std::int16_t GetSize() const { return FSize; }
  void SetSize(std::int16_t v) { FSize = v; }
  bool GetFlag() const { return FFlag; }
  void SetFlag(bool v) { FFlag = v; }
  TMode GetMode() const { return FMode; }
  void SetMode(TMode v) { FMode = v; }
  TSet<TOpt> GetOptions() const { return FOptions; }
  void SetOptions(TSet<TOpt> v) { FOptions = v; }
  double GetRatio() const { return FRatio; }
  void SetRatio(double v) { FRatio = v; }
  std::string GetCaption() const { return FCaption; }
  void SetCaption(std::string v) { FCaption = std::move(v); }
  TWidget* GetBuddy() const { return FBuddy; }
  void SetBuddy(TWidget* v) {
    FBuddy = v;
    if (v) v->FreeNotification(this);
  }
  TStringList* GetLines() const { return &FLines; }
  TOwnedCollection* GetLevels() const { return &FLevels; }
  TNotifyEvent GetOnClick() const { return FOnClick; }
  void SetOnClick(TNotifyEvent e) { FOnClick = e; }

  void Loaded() override {
    TComponent::Loaded();
    gTrace.push_back("Loaded " + GetName() + (FBuddy ? " buddy=" + FBuddy->GetName() : ""));
  }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op != TOperation::opRemove) return;
    if (c == FBuddy) FBuddy = nullptr;
    if (c == FParent) FParent = nullptr;
    for (int i = 0; i < FLevels.GetCount(); ++i) {
      auto* level = static_cast<TLevel*>(FLevels.GetItem(i));
      if (level->GetDataSet() == c) level->SetDataSet(nullptr);
    }
  }
  void DefineProperties(TFiler* filer) override {
    TComponent::DefineProperties(filer);
    filer->DefineProperty(
        "LevelsData",
        [this](TReader& r) {
          if (r.ReadValue() != TValueType::vaCollection) throw EReadError(0, 0, "collection expected");
          r.ReadCollection(&FLevels);
        },
        [this](TWriter& w) { w.WriteCollection(&FLevels); }, FLevels.GetCount() > 0);
  }

  bool HasParent() const override { return FParent != nullptr; }
  TComponent* GetParentComponent() const override { return FParent; }
  void SetParentComponent(TComponent* parent) override {
    FParent = dynamic_cast<TWidget*>(parent);
    if (FParent) FParent->FreeNotification(this);
  }
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const override {
    for (int i = 0; i < root->GetComponentCount(); ++i)
      if (root->GetComponent(i)->GetParentComponent() == this) proc(root->GetComponent(i));
  }

 private:
  std::int16_t FSize = 0;
  bool FFlag = false;
  TMode FMode = mdNone;
  TSet<TOpt> FOptions{opB, opC};
  double FRatio = 0;
  std::string FCaption;
  TWidget* FBuddy = nullptr;
  TWidget* FParent = nullptr;
  mutable TStringList FLines;
  mutable TOwnedCollection FLevels;
  TNotifyEvent FOnClick;
};

void TLevel::SetDataSet(TComponent* v) {
  if (v == FDataSet) return;
  FDataSet = v;
  auto* owner = dynamic_cast<TComponent*>(GetCollection() ? GetCollection()->GetOwner() : nullptr);
  if (v && owner) v->FreeNotification(owner);
}

const TClassInfo& TLevel::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TLevel>("TLevel", &TCollectionItem::StaticClass())
                                      .Prop("DataSet", &TLevel::GetDataSet, &TLevel::SetDataSet)
                                      .Prop("KeyField", &TLevel::GetKeyField, &TLevel::SetKeyField)
                                      .Build();
  return info;
}

const TClassInfo& TWidget::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TWidget>("TWidget", &TComponent::StaticClass())
          .Prop("Size", &TWidget::GetSize, &TWidget::SetSize).Default(0)
          .Prop("Flag", &TWidget::GetFlag, &TWidget::SetFlag).Default(0)
          .Prop("Mode", &TWidget::GetMode, &TWidget::SetMode).Default(mdNone)
          .Prop("Options", &TWidget::GetOptions, &TWidget::SetOptions).Default(6)
          .Prop("Ratio", &TWidget::GetRatio, &TWidget::SetRatio)
          .Prop("Caption", &TWidget::GetCaption, &TWidget::SetCaption)
          .Prop("Buddy", &TWidget::GetBuddy, &TWidget::SetBuddy)
          .ReadOnlyProp("Lines", &TWidget::GetLines)
          .ReadOnlyProp("Levels", &TWidget::GetLevels).Stored(false)
          .Prop("OnClick", &TWidget::GetOnClick, &TWidget::SetOnClick)
          .Build();
  return info;
}

class TTestModule : public TDataModule {
  FW_CLASS(TTestModule)
 public:
  explicit TTestModule(TComponent* owner) : TDataModule(owner) {}
  void WidgetClick(TObject* sender) { gTrace.push_back("click " + static_cast<TComponent*>(sender)->GetName()); }
  void WrongShape(TObject*, int) {}
};

const TClassInfo& TTestModule::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TTestModule>("TTestModule", &TDataModule::StaticClass())
                                      .Method<&TTestModule::WidgetClick>("WidgetClick")
                                      .Method<&TTestModule::WrongShape>("WrongShape")
                                      .Build();
  return info;
}

class FormReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterCoreClasses();
    RegisterClasses({&TWidget::StaticClass(), &TTestModule::StaticClass()});
    gTrace.clear();
  }
};

// A file in normal form, as the writer writes it.
const char* const kModule =
    "object Mod1: TTestModule\n"
    "  OldCreateOrder = False\n"
    "  Height = 200\n"
    "  Left = 10\n"
    "  object Panel: TWidget\n"
    "    Size = -7\n"
    "    Flag = True\n"
    "    Mode = mdDark\n"
    "    Options = [opA, opD]\n"
    "    Ratio = 1.5\n"
    "    Caption = 'It''s '#1071#1079#1099#1082\n"
    "    Buddy = Other\n"
    "    Lines.Strings = (\n"
    "      'select * from Lang.db'\n"
    "      'order by id')\n"
    "    OnClick = WidgetClick\n"
    "    LevelsData = <\n"
    "      item\n"
    "        DataSet = Other\n"
    "        KeyField = 'Id'\n"
    "      end\n"
    "      item\n"
    "      end>\n"
    "    object Inner: TWidget\n"
    "      Buddy = Panel\n"
    "    end\n"
    "  end\n"
    "  object Other: TWidget\n"
    "    Options = []\n"
    "  end\n"
    "end\n";

TEST_F(FormReaderTest, ReadsEveryValueKindAndWritesTheSameText) {
  std::unique_ptr<TComponent> root(ReadComponentText(kModule, nullptr));
  ASSERT_EQ(root->ClassName(), "TTestModule");
  auto* panel = dynamic_cast<TWidget*>(root->FindComponent("Panel"));
  auto* inner = dynamic_cast<TWidget*>(root->FindComponent("inner"));
  auto* other = dynamic_cast<TWidget*>(root->FindComponent("Other"));
  ASSERT_TRUE(panel && inner && other);

  EXPECT_EQ(panel->GetSize(), -7);
  EXPECT_TRUE(panel->GetFlag());
  EXPECT_EQ(panel->GetMode(), mdDark);
  EXPECT_EQ(panel->GetOptions().ToInt(), 9u);
  EXPECT_DOUBLE_EQ(panel->GetRatio(), 1.5);
  EXPECT_EQ(panel->GetCaption(), "It's Язык");
  EXPECT_EQ(panel->GetBuddy(), other);
  EXPECT_EQ(panel->GetLines()->GetText(), "select * from Lang.db\r\norder by id");
  ASSERT_EQ(panel->GetLevels()->GetCount(), 2);
  EXPECT_EQ(static_cast<TLevel*>(panel->GetLevels()->GetItem(0))->GetDataSet(), other);
  EXPECT_EQ(static_cast<TLevel*>(panel->GetLevels()->GetItem(0))->GetKeyField(), "Id");
  EXPECT_EQ(inner->GetParentComponent(), panel);
  EXPECT_EQ(inner->GetOwner(), root.get());
  EXPECT_TRUE(other->GetOptions().Empty());
  EXPECT_EQ(static_cast<TDataModule*>(root.get())->GetLeft(), 10);

  panel->GetOnClick()(panel);
  EXPECT_EQ(gTrace.back(), "click Panel");

  EXPECT_EQ(WriteComponentText(root.get()), kModule);
}

TEST_F(FormReaderTest, AHandlerAssignedInCodeIsNotWrittenAndNamedOnesStay) {
  std::unique_ptr<TComponent> root(ReadComponentText(kModule, nullptr));
  auto* other = dynamic_cast<TWidget*>(root->FindComponent("Other"));
  ASSERT_NE(other, nullptr);
  int calls = 0;
  other->SetOnClick([&](TObject*) { ++calls; });
  EXPECT_EQ(WriteComponentText(root.get()), kModule);
  other->GetOnClick()(other);
  EXPECT_EQ(calls, 1);
}

TEST_F(FormReaderTest, LoadedRunsOnceForEveryComponentAfterReferencesAreFixed) {
  std::unique_ptr<TComponent> root(ReadComponentText(kModule, nullptr));
  // Panel's buddy is written before Other is read: it is resolved before any Loaded.
  EXPECT_EQ(gTrace, (std::vector<std::string>{"Loaded Panel buddy=Other", "Loaded Inner buddy=Panel",
                                              "Loaded Other"}));
  for (int i = 0; i < root->GetComponentCount(); ++i) {
    EXPECT_FALSE(root->GetComponent(i)->HasState(csLoading));
    EXPECT_FALSE(root->GetComponent(i)->HasState(csReading));
  }
}

TEST_F(FormReaderTest, WriterSkipsDefaultsAndKeepsWhatDiffers) {
  TTestModule root(nullptr);
  root.SetName("M");
  auto* w = new TWidget(&root);
  w->SetName("W");
  EXPECT_EQ(WriteComponentText(&root), "object M: TTestModule\n  OldCreateOrder = False\n  object W: TWidget\n  end\nend\n");
  w->SetOptions({});  // differs from the default [opB, opC]
  w->SetTag(-1);
  EXPECT_EQ(WriteComponentText(&root),
            "object M: TTestModule\n  OldCreateOrder = False\n  object W: TWidget\n    Tag = -1\n    Options = []\n  end\nend\n");
}

TEST_F(FormReaderTest, ReferencesReachIntoAnotherLoadedRoot) {
  std::unique_ptr<TComponent> dm(ReadComponentText(
      "object DM1: TTestModule\n  object DSQLang: TWidget\n  end\nend\n", nullptr));
  const std::string form =
      "object Form1: TTestModule\n  OldCreateOrder = False\n  object Combo: TWidget\n    Buddy = DM1.DSQLang\n  end\nend\n";
  std::unique_ptr<TComponent> f(ReadComponentText(form, nullptr));
  auto* combo = static_cast<TWidget*>(f->FindComponent("Combo"));
  EXPECT_EQ(combo->GetBuddy(), dm->FindComponent("DSQLang"));
  EXPECT_EQ(WriteComponentText(f.get()), form);

  dm.reset();  // free notification clears the reference
  EXPECT_EQ(combo->GetBuddy(), nullptr);
}

TEST_F(FormReaderTest, FreeingALevelDataSetClearsTheLevel) {
  std::unique_ptr<TComponent> root(ReadComponentText(kModule, nullptr));
  auto* panel = static_cast<TWidget*>(root->FindComponent("Panel"));
  delete root->FindComponent("Other");
  EXPECT_EQ(static_cast<TLevel*>(panel->GetLevels()->GetItem(0))->GetDataSet(), nullptr);
  EXPECT_EQ(panel->GetBuddy(), nullptr);
}

struct BadCase {
  const char* text;
  int line, col;
  const char* fragment;
};

TEST_F(FormReaderTest, RefusesFilesThatDoNotFitTheClassesAndLeavesNothing) {
  const BadCase cases[] = {
      {"object M: TNoSuchClass\nend\n", 1, 1, "unknown class TNoSuchClass"},
      {"object M: TTestModule\n  object W: TNope\n  end\nend\n", 2, 3, "unknown class TNope"},
      {"object M: TTestModule\n  object W: TWidget\n    Colour = 1\n  end\nend\n", 3, 5,
       "unknown property Colour of TWidget"},
      {"object M: TTestModule\n  object W: TWidget\n    Size = 'big'\n  end\nend\n", 3, 12,
       "expects an integer"},
      {"object M: TTestModule\n  object W: TWidget\n    Size = 70000\n  end\nend\n", 3, 12, "out of range"},
      {"object M: TTestModule\n  object W: TWidget\n    Mode = mdGrey\n  end\nend\n", 3, 12, "mdGrey"},
      {"object M: TTestModule\n  object W: TWidget\n    Options = [opA, opZ]\n  end\nend\n", 3, 15,
       "no element opZ"},
      {"object M: TTestModule\n  object W: TWidget\n    Flag = 1\n  end\nend\n", 3, 12, "False, True"},
      {"object M: TTestModule\n  object W: TWidget\n    Buddy = Ghost\n  end\nend\n", 3, 13,
       "Ghost names no component"},
      {"object M: TTestModule\n  object W: TWidget\n    Buddy = DM9.Ghost\n  end\nend\n", 3, 13,
       "DM9.Ghost names no component"},
      {"object M: TTestModule\n  object W: TWidget\n    OnClick = NoHandler\n  end\nend\n", 3, 15,
       "NoHandler not found"},
      {"object M: TTestModule\n  object W: TWidget\n    OnClick = WrongShape\n  end\nend\n", 3, 15,
       "does not match"},
      {"object M: TTestModule\n  object W: TWidget\n  end\n  object w: TWidget\n  end\nend\n", 4, 3,
       "already exists"},
      {"object M: TTestModule\n  object W: TWidget\n    Lines.Strings = 'x'\n  end\nend\n", 3, 21,
       "list of strings"},
      {"object M: TTestModule\n  object W: TWidget\n    Caption.Size = 1\n  end\nend\n", 3, 5,
       "no sub-properties"},
      {"object M: TTestModule\n  object W: TWidget\n    LevelsData = <\n      item\n        Bogus = 1\n"
       "      end>\n  end\nend\n",
       5, 9, "unknown property Bogus of TLevel"},
      {"object M: TTestModule\n  object W: TWidget\n    Size = 1\n", 4, 1, "expected"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TComponent owner(nullptr);
    try {
      ReadComponentText(c.text, &owner);
      ADD_FAILURE() << "no error";
    } catch (const EFormSyntaxError& e) {
      EXPECT_EQ(e.Line(), c.line);
      EXPECT_EQ(e.Col(), c.col);
      EXPECT_NE(e.Detail().find(c.fragment), std::string::npos) << e.Detail();
    }
    EXPECT_EQ(owner.GetComponentCount(), 0);

    // Into an existing root: what the read created is freed again.
    TTestModule root(nullptr);
    EXPECT_THROW(ReadComponentInto(c.text, &root), EFormSyntaxError);
    EXPECT_EQ(root.GetComponentCount(), 0);
    EXPECT_FALSE(root.HasState(csLoading));
  }
}

TEST_F(FormReaderTest, ReadingIntoARootChecksItsClass) {
  TComponent plain(nullptr);
  EXPECT_THROW(ReadComponentInto("object M: TTestModule\nend\n", &plain), EReadError);
  TTestModule root(nullptr);
  ReadComponentInto("object M: TDataModule\n  Height = 5\nend\n", &root);
  EXPECT_EQ(root.GetName(), "M");
  EXPECT_EQ(root.GetHeight(), 5);
}

}  // namespace
