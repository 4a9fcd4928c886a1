// Tests of run-time type information and events: property lookup and lists, by-name access
// of every property kind with its errors, stored/default rules, published methods assigned
// by name, and typed events (comparison, chaining, restoring).
#include "framework/core/TypInfo.h"

#include <gtest/gtest.h>

#include "tests/support/ExpectError.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Collection.h"
#include "framework/core/Component.h"
#include "framework/core/Events.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Strings.h"

namespace {

using fw::TObject;
using fw::TPropInfo;

enum TShade { shRed, shGreen, shBlue };
FW_ENUM_INFO(TShade, "shRed", "shGreen", "shBlue")

enum TFlag { fl0, fl1, fl2, fl3, fl4, fl5, fl6 };
FW_ENUM_INFO(TFlag, "fl0", "fl1", "fl2", "fl3", "fl4", "fl5", "fl6")
using TFlags = fw::TSet<TFlag>;

class TLevel : public fw::TCollectionItem {
  FW_CLASS(TLevel)
 public:
  explicit TLevel(fw::TCollection* collection) : TCollectionItem(collection) {}
};

const fw::TClassInfo& TLevel::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TLevel>("TLevel", &fw::TCollectionItem::StaticClass()).Build();
  return info;
}

// A component with a published property of every kind.
class TWidget : public fw::TComponent {
  FW_CLASS(TWidget)
 public:
  explicit TWidget(fw::TComponent* owner)
      : TComponent(owner),
        FLines(std::make_unique<fw::TStringList>()),
        FLevels(std::make_unique<fw::TOwnedCollection>(this, TLevel::StaticClass())) {}

  std::int32_t GetCount() const { return FCount; }
  void SetCount(std::int32_t v) { FCount = v; }
  bool GetActive() const { return FActive; }
  void SetActive(bool v) { FActive = v; }
  TShade GetShade() const { return FShade; }
  void SetShade(TShade v) { FShade = v; }
  TFlags GetFlags() const { return FFlags; }
  void SetFlags(TFlags v) { FFlags = v; }
  double GetRatio() const { return FRatio; }
  void SetRatio(double v) { FRatio = v; }
  std::string GetCaption() const { return FCaption; }
  void SetCaption(const std::string& v) { FCaption = v; }
  TWidget* GetBuddy() const { return FBuddy; }
  void SetBuddy(TWidget* v) {
    if (FBuddy) FBuddy->RemoveFreeNotification(this);
    FBuddy = v;
    if (v) v->FreeNotification(this);
  }
  fw::TStringList* GetLines() const { return FLines.get(); }
  fw::TOwnedCollection* GetLevels() const { return FLevels.get(); }
  fw::TNotifyEvent GetOnClick() const { return FOnClick; }
  void SetOnClick(fw::TNotifyEvent v) { FOnClick = v; }
  std::int32_t GetLimit() const { return FLimit; }
  void SetLimit(std::int32_t v) { FLimit = v; }

  void Notification(fw::TComponent* component, fw::TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == fw::TOperation::opRemove && component == FBuddy) FBuddy = nullptr;
  }

 private:
  std::int32_t FCount = 0;
  bool FActive = false;
  TShade FShade = shGreen;
  TFlags FFlags;
  double FRatio = 0;
  std::string FCaption;
  TWidget* FBuddy = nullptr;
  std::unique_ptr<fw::TStringList> FLines;
  std::unique_ptr<fw::TOwnedCollection> FLevels;
  fw::TNotifyEvent FOnClick;
  std::int32_t FLimit = 0;
};

const fw::TClassInfo& TWidget::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TWidget>("TWidget", &fw::TComponent::StaticClass())
          .Prop("Count", &TWidget::GetCount, &TWidget::SetCount).Default(0)
          .Prop("Active", &TWidget::GetActive, &TWidget::SetActive)
          .Prop("Shade", &TWidget::GetShade, &TWidget::SetShade).Default(shGreen)
          .Prop("Flags", &TWidget::GetFlags, &TWidget::SetFlags).Default(0)
          .Prop("Ratio", &TWidget::GetRatio, &TWidget::SetRatio)
          .Prop("Caption", &TWidget::GetCaption, &TWidget::SetCaption)
          .Prop("Buddy", &TWidget::GetBuddy, &TWidget::SetBuddy)
          .ReadOnlyProp("Lines", &TWidget::GetLines)
          .ReadOnlyProp("Levels", &TWidget::GetLevels)
          .Prop("OnClick", &TWidget::GetOnClick, &TWidget::SetOnClick)
          .Prop("Limit", &TWidget::GetLimit, &TWidget::SetLimit)
          .Build();
  return info;
}

// A root with published handlers, as a form is.
class TSampleForm : public fw::TComponent {
  FW_CLASS(TSampleForm)
 public:
  explicit TSampleForm(fw::TComponent* owner) : TComponent(owner) {}
  void ButtonClick(TObject* sender) { FTrace.push_back(GetName() + ".ButtonClick"); }
  void OtherClick(TObject* sender) { FTrace.push_back(GetName() + ".OtherClick"); }
  void KeyPress(TObject* sender, char& key) {}
  std::vector<std::string> FTrace;
};

const fw::TClassInfo& TSampleForm::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TSampleForm>("TSampleForm", &fw::TComponent::StaticClass())
          .Method<&TSampleForm::ButtonClick>("ButtonClick")
          .Method<&TSampleForm::OtherClick>("OtherClick")
          .Method<&TSampleForm::KeyPress>("KeyPress")
          .Build();
  return info;
}

class TypInfoTest : public ::testing::Test {
 protected:
  TypInfoTest() { FForm.SetName("Form1"); }
  const TPropInfo* Prop(const char* name) const { return fw::GetPropInfo(&FWidget, name); }

  TSampleForm FForm{nullptr};
  TWidget FWidget{&FForm};
};

// ---------------------------------------------------------------------------- lookup

TEST_F(TypInfoTest, GetPropInfoIgnoresCaseAndReturnsNullForUnknownNames) {
  struct Case {
    const char* name;
    const char* found;  // null: not found
  };
  const std::vector<Case> cases = {
      {"Caption", "Caption"}, {"caption", "Caption"}, {"CAPTION", "Caption"},
      {"tag", "Tag"},         {"onclick", "OnClick"}, {"Captions", nullptr},
      {"", nullptr},          {"Handler", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TPropInfo* p = fw::GetPropInfo(&FWidget, c.name);
    if (c.found) {
      ASSERT_NE(p, nullptr);
      EXPECT_EQ(p->Name, c.found);
      EXPECT_EQ(p, fw::GetPropInfo(TWidget::StaticClass(), c.name));
    } else {
      EXPECT_EQ(p, nullptr);
    }
  }
  EXPECT_EQ(fw::GetPropInfo(static_cast<const TObject*>(nullptr), "Caption"), nullptr);
}

TEST_F(TypInfoTest, GetPropListGivesBaseClassPropertiesFirstInDeclarationOrder) {
  std::vector<std::string> names;
  for (const TPropInfo* p : fw::GetPropList(&FWidget)) names.push_back(p->Name);
  EXPECT_EQ(names, (std::vector<std::string>{"Name", "Tag", "Count", "Active", "Shade", "Flags",
                                             "Ratio", "Caption", "Buddy", "Lines", "Levels",
                                             "OnClick", "Limit"}));
  EXPECT_EQ(FWidget.ClassName(), "TWidget");
  EXPECT_TRUE(FWidget.InheritsFrom(fw::TComponent::StaticClass()));
  EXPECT_FALSE(FWidget.InheritsFrom(TSampleForm::StaticClass()));
}

TEST_F(TypInfoTest, PropertyKinds) {
  struct Case {
    const char* name;
    fw::TTypeKind kind;
  };
  const std::vector<Case> cases = {
      {"Count", fw::TTypeKind::tkInteger},   {"Active", fw::TTypeKind::tkEnumeration},
      {"Shade", fw::TTypeKind::tkEnumeration}, {"Flags", fw::TTypeKind::tkSet},
      {"Ratio", fw::TTypeKind::tkFloat},     {"Caption", fw::TTypeKind::tkString},
      {"Buddy", fw::TTypeKind::tkClass},     {"Lines", fw::TTypeKind::tkClass},
      {"Levels", fw::TTypeKind::tkClass},    {"OnClick", fw::TTypeKind::tkMethod},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(Prop(c.name), nullptr);
    EXPECT_EQ(Prop(c.name)->Kind, c.kind);
  }
  EXPECT_TRUE(Prop("Buddy")->IsReference);
  EXPECT_FALSE(Prop("Lines")->IsReference);
  EXPECT_FALSE(Prop("Lines")->IsWritable());
  EXPECT_TRUE(Prop("Buddy")->IsWritable());
}

// ---------------------------------------------------------------------------- access

TEST_F(TypInfoTest, OrdinalPropertiesGoThroughTheTypedAccessors) {
  struct Case {
    const char* name;
    std::int64_t value;
    std::function<std::int64_t(const TWidget&)> direct;
  };
  const std::vector<Case> cases = {
      {"Count", -7, [](const TWidget& w) { return w.GetCount(); }},
      {"Count", INT32_MIN, [](const TWidget& w) { return w.GetCount(); }},
      {"Count", INT32_MAX, [](const TWidget& w) { return w.GetCount(); }},
      {"Tag", INT32_MIN, [](const TWidget& w) { return w.GetTag(); }},
      {"Active", 1, [](const TWidget& w) { return w.GetActive() ? 1 : 0; }},
      {"Shade", 2, [](const TWidget& w) { return w.GetShade() == shBlue ? 2 : -1; }},
      {"Flags", 104,
       [](const TWidget& w) { return w.GetFlags() == TFlags{fl3, fl5, fl6} ? 104 : -1; }},
      {"Flags", 127, [](const TWidget& w) { return static_cast<std::int64_t>(w.GetFlags().ToInt()); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " = " + std::to_string(c.value));
    TWidget w(nullptr);
    fw::SetOrdProp(&w, c.name, c.value);
    EXPECT_EQ(c.direct(w), c.value);
    EXPECT_EQ(fw::GetOrdProp(&w, c.name), c.value);
  }
  FWidget.SetFlags({fl0, fl2});
  EXPECT_EQ(fw::GetOrdProp(&FWidget, "Flags"), 5);
}

TEST_F(TypInfoTest, OrdinalValuesOutOfRangeRaiseConvertErrorAndChangeNothing) {
  struct Case {
    const char* name;
    std::int64_t value;
  };
  const std::vector<Case> cases = {
      {"Count", std::int64_t{1} << 40}, {"Count", std::int64_t{INT32_MAX} + 1},
      {"Count", std::int64_t{INT32_MIN} - 1}, {"Tag", std::int64_t{1} << 31},
      {"Shade", 3}, {"Shade", -1}, {"Active", 2}, {"Active", -1},
      {"Flags", 128}, {"Flags", 104 | 256}, {"Flags", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " = " + std::to_string(c.value));
    TWidget w(nullptr);
    std::int64_t before = fw::GetOrdProp(&w, c.name);
    EXPECT_THROW(fw::SetOrdProp(&w, c.name, c.value), fw::EConvertError);
    EXPECT_EQ(fw::GetOrdProp(&w, c.name), before);
  }
}

TEST_F(TypInfoTest, StringFloatAndObjectProperties) {
  fw::SetStrProp(&FWidget, "caption", "Язык");
  EXPECT_EQ(FWidget.GetCaption(), "Язык");
  EXPECT_EQ(fw::GetStrProp(&FWidget, "Caption"), "Язык");
  fw::SetStrProp(&FWidget, "Name", "Widget1");  // through SetName with its checks
  EXPECT_EQ(FWidget.GetName(), "Widget1");
  EXPECT_THROW(fw::SetStrProp(&FWidget, "Name", "1x"), fw::EComponentError);

  fw::SetFloatProp(&FWidget, Prop("Ratio"), 2.5);
  EXPECT_EQ(FWidget.GetRatio(), 2.5);
  EXPECT_EQ(fw::GetFloatProp(&FWidget, Prop("Ratio")), 2.5);

  EXPECT_EQ(fw::GetObjectProp(&FWidget, "Lines"), FWidget.GetLines());
  EXPECT_EQ(fw::GetObjectProp(&FWidget, "Levels"), FWidget.GetLevels());
  EXPECT_EQ(fw::GetObjectProp(&FWidget, "Buddy"), nullptr);

  auto* buddy = new TWidget(&FForm);
  fw::SetObjectProp(&FWidget, "Buddy", buddy);
  EXPECT_EQ(FWidget.GetBuddy(), buddy);
  EXPECT_EQ(fw::GetObjectProp(&FWidget, "Buddy"), buddy);
  delete buddy;  // the reference goes with it
  EXPECT_EQ(fw::GetObjectProp(&FWidget, "Buddy"), nullptr);

  fw::SetObjectProp(&FWidget, "Buddy", &FWidget);
  fw::SetObjectProp(&FWidget, "Buddy", nullptr);
  EXPECT_EQ(FWidget.GetBuddy(), nullptr);
}

TEST_F(TypInfoTest, SetObjectPropRejectsAnObjectOfAnotherClass) {
  TSampleForm otherForm(nullptr);
  fw::TStringList list;
  ExpectError<fw::EConvertError>([&] { fw::SetObjectProp(&FWidget, "Buddy", &otherForm); },
                                 "Cannot assign a TSampleForm to a TWidget");
  ExpectError<fw::EConvertError>([&] { fw::SetObjectProp(&FWidget, "Buddy", &list); },
                                 "Cannot assign a TStringList to a TWidget");
  EXPECT_EQ(FWidget.GetBuddy(), nullptr);
}

TEST_F(TypInfoTest, UnknownNamesWrongKindsAndReadOnlyPropertiesRaisePropertyError) {
  fw::TStringList list;
  TObject* w = &FWidget;
  struct Case {
    const char* name;
    std::function<void()> call;
  };
  const std::vector<Case> cases = {
      {"GetStrProp unknown", [&] { fw::GetStrProp(w, "Nope"); }},
      {"SetStrProp unknown", [&] { fw::SetStrProp(w, "Nope", "x"); }},
      {"GetOrdProp unknown", [&] { fw::GetOrdProp(w, "Nope"); }},
      {"SetOrdProp unknown", [&] { fw::SetOrdProp(w, "Nope", 1); }},
      {"GetObjectProp unknown", [&] { fw::GetObjectProp(w, "Nope"); }},
      {"SetObjectProp unknown", [&] { fw::SetObjectProp(w, "Nope", nullptr); }},
      {"GetMethodProp unknown", [&] { fw::GetMethodProp(w, "Nope"); }},
      {"SetMethodProp unknown", [&] { fw::SetMethodProp(w, "Nope", fw::TMethod{}); }},
      {"GetStrProp null info", [&] { fw::GetStrProp(w, static_cast<const TPropInfo*>(nullptr)); }},
      {"GetStrProp of integer", [&] { fw::GetStrProp(w, "Count"); }},
      {"SetStrProp of event", [&] { fw::SetStrProp(w, "OnClick", "x"); }},
      {"GetOrdProp of string", [&] { fw::GetOrdProp(w, "Caption"); }},
      {"SetOrdProp of float", [&] { fw::SetOrdProp(w, "Ratio", 1); }},
      {"GetOrdProp of event", [&] { fw::GetOrdProp(w, "OnClick"); }},
      {"GetObjectProp of integer", [&] { fw::GetObjectProp(w, "Tag"); }},
      {"SetObjectProp of string", [&] { fw::SetObjectProp(w, "Caption", nullptr); }},
      {"GetMethodProp of string", [&] { fw::GetMethodProp(w, "Caption"); }},
      {"SetMethodProp of integer", [&] { fw::SetMethodProp(w, "Count", fw::TMethod{}); }},
      {"GetFloatProp of integer", [&] { fw::GetFloatProp(w, Prop("Count")); }},
      {"SetObjectProp read-only", [&] { fw::SetObjectProp(w, "Lines", &list); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(c.call(), fw::EPropertyError);
  }
  ExpectError<fw::EPropertyError>([&] { fw::GetStrProp(w, "Nope"); },
                                  "Property Nope does not exist");
}

// ---------------------------------------------------------------------------- stored

TEST_F(TypInfoTest, StoredAndDefaultRules) {
  struct Case {
    const char* name;
    const char* prop;
    std::function<void(TWidget&)> set;
    bool stored;
    bool isDefault;
  };
  const std::vector<Case> cases = {
      {"int at default", "Count", [](TWidget& w) {}, false, true},
      {"int off default", "Count", [](TWidget& w) { w.SetCount(5); }, true, false},
      {"int without default", "Limit", [](TWidget& w) {}, true, false},
      {"enum at non-zero default", "Shade", [](TWidget& w) { w.SetShade(shGreen); }, false, true},
      {"enum at zero, default not zero", "Shade", [](TWidget& w) { w.SetShade(shRed); }, true, false},
      {"empty set", "Flags", [](TWidget& w) {}, false, true},
      {"non-empty set", "Flags", [](TWidget& w) { w.SetFlags({fl3}); }, true, false},
      {"bool without default", "Active", [](TWidget& w) {}, true, false},
      {"empty string", "Caption", [](TWidget& w) {}, false, true},
      {"string", "Caption", [](TWidget& w) { w.SetCaption("x"); }, true, false},
      {"unassigned event", "OnClick", [](TWidget& w) {}, false, true},
      {"assigned event", "OnClick",
       [](TWidget& w) { w.SetOnClick(fw::Method<&TSampleForm::ButtonClick>(nullptr)); }, true,
       false},
      {"nil reference", "Buddy", [](TWidget& w) {}, false, true},
      {"reference", "Buddy", [](TWidget& w) { w.SetBuddy(&w); }, true, false},
      {"Stored(false) even when set", "Name", [](TWidget& w) { w.SetName("W"); }, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TWidget w(nullptr);
    c.set(w);
    const TPropInfo* p = fw::GetPropInfo(&w, c.prop);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->IsStored(&w), c.stored);
    EXPECT_EQ(p->IsDefaultValue(&w), c.isDefault);
  }
}

// ---------------------------------------------------------------------------- methods

TEST_F(TypInfoTest, EventPropertiesAssignedByHandlerName) {
  fw::SetMethodPropByName(&FWidget, Prop("OnClick"), &FForm, "buttonclick");
  ASSERT_TRUE(FWidget.GetOnClick());
  FWidget.GetOnClick()(&FWidget);
  EXPECT_EQ(FForm.FTrace, std::vector<std::string>{"Form1.ButtonClick"});
  EXPECT_EQ(fw::GetMethodName(fw::GetMethodProp(&FWidget, "OnClick"), &FForm), "ButtonClick");

  // An event made in code names the same published method.
  fw::SetMethodProp(&FWidget, "OnClick", fw::Method<&TSampleForm::OtherClick>(&FForm).GetMethod());
  EXPECT_EQ(fw::GetMethodName(FWidget.GetOnClick().GetMethod(), &FForm), "OtherClick");

  TSampleForm otherForm(nullptr);
  EXPECT_EQ(fw::GetMethodName(FWidget.GetOnClick().GetMethod(), &otherForm), "");
  fw::SetMethodProp(&FWidget, "OnClick", fw::TMethod{});
  EXPECT_FALSE(FWidget.GetOnClick());
  EXPECT_EQ(fw::GetMethodName(FWidget.GetOnClick().GetMethod(), &FForm), "");
}

TEST_F(TypInfoTest, CodeAssignsAnyCallableAndFormFilesStillNameMethods) {
  std::vector<std::string> calls;
  FWidget.SetOnClick([&](TObject* sender) { calls.push_back(sender == &FWidget ? "widget" : "other"); });
  ASSERT_TRUE(FWidget.GetOnClick());
  FWidget.GetOnClick()(&FWidget);
  EXPECT_EQ(calls, std::vector<std::string>{"widget"});

  // By name: assigned and stored, but without a name a form file could give.
  const fw::TMethod method = fw::GetMethodProp(&FWidget, "OnClick");
  EXPECT_TRUE(method.Assigned());
  EXPECT_FALSE(Prop("OnClick")->IsDefaultValue(&FWidget));
  EXPECT_EQ(fw::GetMethodName(method, &FForm), "");
  {
    // The method assigns the same callable to another event and keeps it alive there.
    TWidget other(nullptr);
    fw::SetMethodProp(&other, "OnClick", method);
    EXPECT_EQ(other.GetOnClick(), FWidget.GetOnClick());
    FWidget.SetOnClick(nullptr);
    other.GetOnClick()(&other);
  }
  EXPECT_EQ(calls, (std::vector<std::string>{"widget", "other"}));

  // A handler named in a form file replaces the callable.
  fw::SetMethodProp(&FWidget, "OnClick", method);
  fw::SetMethodPropByName(&FWidget, Prop("OnClick"), &FForm, "ButtonClick");
  EXPECT_EQ(fw::GetMethodName(fw::GetMethodProp(&FWidget, "OnClick"), &FForm), "ButtonClick");
  FWidget.GetOnClick()(&FWidget);
  EXPECT_EQ(FForm.FTrace, std::vector<std::string>{"Form1.ButtonClick"});
  EXPECT_EQ(calls.size(), 2u);
}

TEST_F(TypInfoTest, SetMethodPropByNameRejectsUnknownAndMismatchedHandlers) {
  struct Case {
    const char* handler;
    bool withRoot;
  };
  const std::vector<Case> cases = {
      {"Nope", true},         // no such method
      {"KeyPress", true},     // another signature
      {"ButtonClick", false}, // no root to look in
  };
  FWidget.SetOnClick(fw::Method<&TSampleForm::OtherClick>(&FForm));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.handler);
    EXPECT_THROW(fw::SetMethodPropByName(&FWidget, Prop("OnClick"), c.withRoot ? &FForm : nullptr,
                                         c.handler),
                 fw::EPropertyError);
    EXPECT_EQ(FWidget.GetOnClick(), fw::Method<&TSampleForm::OtherClick>(&FForm));
  }
}

// ---------------------------------------------------------------------------- events

class TChainLink : public TObject {
 public:
  explicit TChainLink(std::vector<std::string>* trace) : FTrace(trace) {}
  void Handle(TObject* sender) {
    FTrace->push_back("chained");
    if (FSaved) FSaved(sender);
  }
  fw::TNotifyEvent FSaved;

 private:
  std::vector<std::string>* FTrace;
};

TEST(EventTest, MethodCallsTheMemberOfItsTarget) {
  TSampleForm form(nullptr);
  form.SetName("F");
  TSampleForm sender(nullptr);
  fw::TNotifyEvent e = fw::Method<&TSampleForm::ButtonClick>(&form);
  ASSERT_TRUE(e.Assigned());
  e(&sender);
  EXPECT_EQ(form.FTrace, std::vector<std::string>{"F.ButtonClick"});
  EXPECT_EQ(e.Data(), &form);
}

TEST(EventTest, EventsAreEqualWhenObjectAndMemberAreTheSame) {
  TSampleForm a(nullptr), b(nullptr);
  using fw::Method;
  auto click = [](TObject*) {};
  const fw::TNotifyEvent callable = click;
  struct Case {
    const char* name;
    fw::TNotifyEvent x, y;
    bool equal;
  };
  const std::vector<Case> cases = {
      {"same object and member", Method<&TSampleForm::ButtonClick>(&a),
       Method<&TSampleForm::ButtonClick>(&a), true},
      {"other member", Method<&TSampleForm::ButtonClick>(&a), Method<&TSampleForm::OtherClick>(&a),
       false},
      {"other object", Method<&TSampleForm::ButtonClick>(&a), Method<&TSampleForm::ButtonClick>(&b),
       false},
      {"unassigned", fw::TNotifyEvent{}, nullptr, true},
      {"assigned and unassigned", Method<&TSampleForm::ButtonClick>(&a), fw::TNotifyEvent{}, false},
      {"a callable and its copy", callable, callable, true},
      {"two assignments of one lambda", fw::TNotifyEvent(click), fw::TNotifyEvent(click), false},
      {"callable and member", callable, Method<&TSampleForm::ButtonClick>(&a), false},
      {"callable and unassigned", callable, nullptr, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.x == c.y, c.equal);
    EXPECT_EQ(c.y == c.x, c.equal);
    EXPECT_EQ(c.x.GetMethod() == c.y.GetMethod(), c.equal);
  }
}

TEST(EventTest, UnassignedEventIsTestable) {
  fw::TNotifyEvent e;
  EXPECT_FALSE(e.Assigned());
  EXPECT_FALSE(e);
  EXPECT_FALSE(fw::TNotifyEvent(nullptr));
  EXPECT_FALSE(e.GetMethod().Assigned());
  EXPECT_FALSE(fw::TNotifyEvent::FromMethod(fw::TMethod{}));
}

TEST(EventTest, BorrowedEventChainsToTheSavedOneAndIsPutBack) {
  TSampleForm form(nullptr);
  form.SetName("F");
  TWidget widget(&form);
  std::vector<std::string> trace;
  TChainLink link(&trace);
  const fw::TNotifyEvent original = fw::Method<&TSampleForm::ButtonClick>(&form);
  widget.SetOnClick(original);
  {
    fw::TEventRestorer restore([&](fw::TNotifyEvent e) { widget.SetOnClick(e); },
                               widget.GetOnClick());
    link.FSaved = widget.GetOnClick();
    widget.SetOnClick(fw::Method<&TChainLink::Handle>(&link));
    widget.GetOnClick()(&widget);
    EXPECT_EQ(trace, std::vector<std::string>{"chained"});
    EXPECT_EQ(form.FTrace, std::vector<std::string>{"F.ButtonClick"});
  }
  EXPECT_EQ(widget.GetOnClick(), original);
  widget.GetOnClick()(&widget);
  EXPECT_EQ(trace, std::vector<std::string>{"chained"});
  EXPECT_EQ(form.FTrace, (std::vector<std::string>{"F.ButtonClick", "F.ButtonClick"}));
}

TEST(EventTest, ABorrowedCallableIsPutBackAndTheBorrowerChainsToIt) {
  TWidget widget(nullptr);
  std::vector<std::string> trace;
  const fw::TNotifyEvent original = [&](TObject*) { trace.push_back("original"); };
  widget.SetOnClick(original);
  {
    fw::TEventRestorer restore([&](fw::TNotifyEvent e) { widget.SetOnClick(e); }, widget.GetOnClick());
    fw::TNotifyEvent saved = widget.GetOnClick();
    widget.SetOnClick([&trace, saved](TObject* sender) {
      trace.push_back("borrowed");
      saved(sender);
    });
    widget.GetOnClick()(&widget);
  }
  EXPECT_EQ(widget.GetOnClick(), original);
  widget.GetOnClick()(&widget);
  EXPECT_EQ(trace, (std::vector<std::string>{"borrowed", "original", "original"}));
}

}  // namespace
