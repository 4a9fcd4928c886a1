// The library's pieces that need windows: EnterToTab through the message queue, the form
// refresh (RefreshDataOnForm) with its work list and Tag rules, StartQorApp with its hooks,
// and the refresh lock held while a real message box is up.
#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

#include "framework/controls/StdCtrls.h"
#include "framework/core/DataModule.h"
#include "framework/core/Exceptions.h"
#include "framework/data/DataSource.h"
#include "framework/data/Field.h"
#include "framework/data/MemDataSet.h"
#include "framework/ui/Forms.h"
#include "framework/ui/UiDialogs.h"
#include "library/QorDB.h"
#include "library/QorDBUi.h"
#include "library/QorPasUi.h"
#include "tests/support/UiTestSupport.h"

using namespace fw;
using namespace uitest;

namespace {

// ---------------------------------------------------------------- EnterToTab

class EnterToTabTest : public TUiTest, public TObject {
 protected:
  void SetUp() override {
    TUiTest::SetUp();
    Form = new TForm(nullptr);
    for (const char* name : {"Edit1", "Edit2"}) {
      auto* e = new TEdit(Form);
      e->SetName(name);
      e->SetParent(Form);
      e->SetOnEnter(Method<&TTrace::Enter>(&Trace));
      e->SetOnKeyPress(Method<&TTrace::KeyPress>(&Trace));
    }
    Edit1 = static_cast<TEdit*>(Form->FindComponent("Edit1"));
    Edit2 = static_cast<TEdit*>(Form->FindComponent("Edit2"));
    Form->Show();
  }

 public:
  void KeyDown(TObject* sender, std::uint16_t& key, TShiftState shift) {
    Trace.Add("down " + NameOf(sender) + " " + std::to_string(key));
    qor::EnterToTab(static_cast<TWinControl*>(sender), key, shift);
    Trace.Add("key stays " + std::to_string(key));
  }

 protected:
  TTrace Trace;
  TForm* Form = nullptr;
  TEdit *Edit1 = nullptr, *Edit2 = nullptr;
};

TEST_F(EnterToTabTest, EnterPostsOneTabThatFollowsTheEnter) {
  Edit1->SetOnKeyDown(Method<&EnterToTabTest::KeyDown>(this));
  struct Case {
    Qt::Key Key;
    Qt::KeyboardModifiers Mods;
    std::string Trace;
    TEdit* FocusedAfter;
  } cases[] = {
      {Qt::Key_Return, Qt::NoModifier, "down Edit1 13;key stays 13;press Edit1 13;enter Edit2", Edit2},
      {Qt::Key_Return, Qt::ShiftModifier, "down Edit1 13;key stays 13;press Edit1 13;enter Edit2", Edit2},
      {Qt::Key_Escape, Qt::NoModifier, "down Edit1 27;key stays 27;press Edit1 27", Edit1},
      {Qt::Key_A, Qt::NoModifier, "down Edit1 65;key stays 65;press Edit1 97", Edit1},
      {Qt::Key_F2, Qt::NoModifier, "down Edit1 113;key stays 113", Edit1},
  };
  for (const Case& c : cases) {
    Edit1->SetFocus();
    Trace.Clear();
    QTest::keyPress(WidgetOf(Edit1), c.Key, c.Mods);
    std::string trace = Trace.Str();
    for (const char* mod : {"down Edit1 16;key stays 16;"})
      if (trace.rfind(mod, 0) == 0) trace = trace.substr(std::string(mod).size());
    EXPECT_TRUE(Edit1->Focused()) << "the Tab waits in the queue";
    ProcessEvents();
    trace = Trace.Str();
    if (trace.rfind("down Edit1 16;key stays 16;", 0) == 0) trace = trace.substr(27);
    EXPECT_EQ(trace, c.Trace) << c.Trace;
    EXPECT_TRUE(c.FocusedAfter->Focused()) << c.Trace;
    QTest::keyRelease(WidgetOf(Edit1), c.Key, c.Mods);
  }
  // A direct call: exactly one Tab is posted.
  Edit1->SetFocus();
  std::uint16_t key = 13;
  qor::EnterToTab(Edit1, key, {});
  qor::EnterToTab(Edit2, key = 9, {});
  Trace.Clear();
  ProcessEvents();
  EXPECT_EQ(Trace.Str(), "enter Edit2");
}

// ---------------------------------------------------------------- RefreshDataOnForm

/// An in-memory dataset that counts its refreshes and may refuse to open.
class TCountingData : public TMemDataSet {
 public:
  TCountingData(TComponent* owner, const char* name, int tag, TTrace& trace) : TMemDataSet(owner), FTrace(trace) {
    SetName(name);
    SetTag(tag);
    GetFieldDefs()->Add("Id", ftInteger);
    GetFieldDefs()->Add("Name", ftString, 20);
    for (int i = 0; i < 2; ++i) GetFieldDefs()->GetItem(i)->CreateField(owner, this);
  }
  bool FailOpen = false;

 protected:
  void DoBeforeOpen() override {
    if (FailOpen) throw EDatabaseError(GetName() + ": cannot open");
    TMemDataSet::DoBeforeOpen();
  }
  void DoAfterOpen() override {
    FTrace.Add("open " + GetName());
    TMemDataSet::DoAfterOpen();
  }
  std::int64_t InternalRefresh(std::int64_t row) override {
    FTrace.Add("refresh " + GetName());
    return TMemDataSet::InternalRefresh(row);
  }

 private:
  TTrace& FTrace;
};

/// A control bound to datasets through its published DataSource and ListSource.
class TBoundEdit : public TEdit {
  FW_CLASS(TBoundEdit)
 public:
  using TEdit::TEdit;
  TDataSource* GetDataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* v) { FDataSource = v; }
  TDataSource* GetListSource() const { return FListSource; }
  void SetListSource(TDataSource* v) { FListSource = v; }

 private:
  TDataSource *FDataSource = nullptr, *FListSource = nullptr;
};

const TClassInfo& TBoundEdit::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TBoundEdit>("TBoundEdit", &TEdit::StaticClass())
                                      .Prop("DataSource", &TBoundEdit::GetDataSource, &TBoundEdit::SetDataSource)
                                      .Prop("ListSource", &TBoundEdit::GetListSource, &TBoundEdit::SetListSource)
                                      .Build();
  return info;
}

/// Form (Tag 9): Edit1 shows People (with a lookup field on Lang), Edit2 lists Cont (with a
/// lookup field on Country) for People. The datasets live in a data module.
class RefreshTest : public TUiTest {
 protected:
  void SetUp() override {
    TUiTest::SetUp();
    DM = new TDataModule(nullptr);
    Lang = new TCountingData(DM, "Lang", 99, Trace);
    Country = new TCountingData(DM, "Country", 99, Trace);
    People = new TCountingData(DM, "People", 99, Trace);
    Cont = new TCountingData(DM, "Cont", 99, Trace);
    AddLookup(People, Lang, "LangName");
    AddLookup(Cont, Country, "CountryName");
    Form = new TForm(nullptr);
    Form->SetName("Form");
    Form->SetTag(9);
    auto* edit1 = Bound("Edit1", People, nullptr);
    Bound("Edit2", People, Cont);
    (void)edit1;
  }
  void TearDown() override {
    TUiTest::TearDown();
    delete DM;
    qor::FreeQorApp();
  }
  void AddLookup(TDataSet* master, TDataSet* lookup, const char* name) {
    auto* f = new TStringField(DM);
    f->SetFieldName(name);
    f->SetFieldKind(fkLookup);
    f->SetKeyFields("Id");
    f->SetLookupDataSet(lookup);
    f->SetLookupKeyFields("Id");
    f->SetLookupResultField("Name");
    f->SetDataSet(master);
  }
  TBoundEdit* Bound(const char* name, TDataSet* data, TDataSet* list) {
    auto* e = new TBoundEdit(Form);
    e->SetName(name);
    e->SetParent(Form);
    auto* ds = new TDataSource(Form);
    ds->SetDataSet(data);
    e->SetDataSource(ds);
    if (list) {
      auto* ls = new TDataSource(Form);
      ls->SetDataSet(list);
      e->SetListSource(ls);
    }
    return e;
  }
  /// Opens every dataset, each with one record.
  void OpenAll() {
    for (TCountingData* d : {Lang, Country, People, Cont}) {
      if (!d->GetActive()) d->Open();
      if (d->GetRecordCount() == 0) {
        d->Append();
        d->FieldByName("Id")->SetAsInteger(1);
        d->Post();
      }
    }
    Trace.Clear();
  }
  TTrace Trace;
  TDataModule* DM = nullptr;
  TCountingData *Lang = nullptr, *Country = nullptr, *People = nullptr, *Cont = nullptr;
  TForm* Form = nullptr;
};

TEST_F(RefreshTest, WorkListOrderAndTagRules) {
  // Lookup datasets before their users, list datasets before the form's data.
  qor::RefreshDataOnForm(Form, false);
  EXPECT_EQ(Trace.Str(), "open Country;open Cont;open Lang;open People");
  Trace.Clear();
  qor::RefreshDataOnForm(Form, false);  // open with tens digit 9: re-read, once each
  EXPECT_EQ(Trace.Str(), "refresh Country;refresh Cont;refresh Lang;refresh People");
  struct Case {
    const char* Name;
    int CountryTag, ContTag, LangTag, PeopleTag;
    bool CloseCont, EditPeople, FailCountry, Force;
    std::string Trace;
  } cases[] = {
      {"tens digit other than 9: left alone", 0, 19, 1, 99, false, false, false, false, "refresh People"},
      {"a pending edit is kept", 99, 99, 99, 99, false, true, false, false,
       "refresh Country;refresh Cont;refresh Lang"},
      {"closed, tens digit 8: stays closed", 99, 80, 99, 99, true, false, false, false,
       "refresh Country;refresh Lang;refresh People"},
      {"forced: opened and re-read, also in edit state", 0, 80, 0, 0, true, true, false, true,
       "refresh Country;open Cont;refresh Lang;refresh People"},
      {"negative tags have no digit 9", -99, -99, -99, -99, false, false, false, false, ""},
      {"an error is swallowed, the rest goes on", 99, 99, 99, 99, false, false, true, false,
       "refresh Cont;refresh Lang;refresh People"},
  };
  for (const Case& c : cases) {
    OpenAll();
    Country->SetTag(c.CountryTag);
    Cont->SetTag(c.ContTag);
    Lang->SetTag(c.LangTag);
    People->SetTag(c.PeopleTag);
    if (c.CloseCont) Cont->Close();
    if (c.EditPeople) People->Edit();
    if (c.FailCountry) {
      // Country fails while it is re-read: its refresh raises.
      Country->Close();
      Country->FailOpen = true;
    }
    qor::RefreshDataOnForm(Form, c.Force);
    std::string trace = Trace.Str();
    EXPECT_EQ(trace, c.Trace) << c.Name;
    if (c.EditPeople && !c.Force) {
      EXPECT_EQ(People->GetState(), dsEdit) << c.Name;
    }
    if (c.FailCountry) {
      EXPECT_FALSE(Country->GetActive());
    }
    Country->FailOpen = false;
    if (People->GetState() == dsEdit || People->GetState() == dsInsert) People->Cancel();
  }
}

TEST_F(RefreshTest, WithoutAFormTheActiveFormIsRefreshed) {
  qor::RefreshDataOnForm(nullptr, false);
  EXPECT_EQ(Trace.Str(), "");  // no active form
  Form->Show();
  qor::RefreshDataOnForm(nullptr, false);
  EXPECT_EQ(Trace.Str(), "open Country;open Cont;open Lang;open People");
}

TEST_F(RefreshTest, StartQorAppOpensMarkedDataSetsAndInstallsTheHooks) {
  auto* closedMinus = new TCountingData(DM, "Minus", -9, Trace);
  auto* other = new TCountingData(DM, "Other", 90, Trace);
  auto* broken = new TCountingData(DM, "Broken", 9, Trace);
  broken->FailOpen = true;
  struct TSink : TObject {
    TTrace* T;
    void Old(TObject*) { T->Add("old formchange"); }
    void OldDestroy(TObject* s) { T->Add("old destroy " + NameOf(s)); }
  } sink;
  sink.T = &Trace;
  Screen->SetOnActiveFormChange(Method<&TSink::Old>(&sink));
  DM->SetName("DM1");
  DM->SetOnDestroy(Method<&TSink::OldDestroy>(&sink));
  qor::StartQorApp(true);
  EXPECT_EQ(Trace.Str(), "open Lang;open Country;open People;open Cont");  // Broken failed silently
  EXPECT_FALSE(closedMinus->GetActive());
  EXPECT_FALSE(other->GetActive());
  EXPECT_FALSE(broken->GetActive());
  // The old active-form handler was replaced; a Tag 9 form is refreshed when it becomes active.
  Trace.Clear();
  Form->Show();
  EXPECT_EQ(Trace.Str(), "refresh Country;refresh Cont;refresh Lang;refresh People");
  auto* b = new TForm(nullptr);
  b->SetName("B");
  Trace.Clear();
  b->Show();  // Tag 0: nothing
  Form->SetFocus();
  EXPECT_EQ(Trace.Str(), "refresh Country;refresh Cont;refresh Lang;refresh People");
  // Held lock: activation refreshes nothing.
  Trace.Clear();
  qor::QorApp()->DisableRefresh();
  b->SetFocus();
  Form->SetFocus();
  qor::QorApp()->EnableRefresh();
  EXPECT_EQ(Trace.Str(), "");
  // The data module's destroy hook runs its old handler after the browse-mode checks.
  Trace.Clear();
  delete DM;
  DM = nullptr;
  EXPECT_EQ(Trace.Str(), "old destroy DM1");
}

TEST_F(RefreshTest, WithoutAScreenStartQorAppOnlySaysSo) {
  TScreen* saved = Screen;
  Screen = nullptr;
  qor::StartQorApp(true);
  Screen = saved;
  EXPECT_EQ(Messages.Log, std::vector<std::string>{"message: Screen dont initialize"});
  EXPECT_FALSE(People->GetActive());
  EXPECT_EQ(qor::QorApp()->GetRefreshLock(), 0);
}

TEST_F(RefreshTest, ARealMessageBoxHoldsTheRefreshWhileItIsUp) {
  TUiMessageService boxes;
  TMessageService* recorder = SetMessageService(&boxes);
  qor::StartQorApp(false);
  OpenAll();
  Form->Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(Form)));
  Trace.Clear();
  struct TSink : TObject {
    TTrace* T;
    void Activate(TObject* s) { T->Add("activate " + NameOf(s)); }
  } sink;
  sink.T = &Trace;
  Form->SetOnActivate(Method<&TSink::Activate>(&sink));
  auto answer = [&] {
    Later([&] {
      auto* box = qobject_cast<QMessageBox*>(ActiveModalOrPopup());
      ASSERT_NE(box, nullptr);
      Trace.Add("box " + box->text().toStdString() + ", lock " + std::to_string(qor::QorApp()->GetRefreshLock()));
      box->button(QMessageBox::Ok)->click();
    });
  };
  answer();
  qor::QorApp()->ShowMessageNoRefresh("Incorrect value");
  EXPECT_EQ(Trace.Str(), "box Incorrect value, lock 1;activate Form");
  EXPECT_EQ(qor::QorApp()->GetRefreshLock(), 0);
  // A plain message box lets the form refresh when it becomes active again.
  Trace.Clear();
  answer();
  ShowMessage("Saved");
  EXPECT_EQ(Trace.Str(),
            "box Saved, lock 0;activate Form;refresh Country;refresh Cont;refresh Lang;refresh People");
  SetMessageService(recorder);
}

}  // namespace
