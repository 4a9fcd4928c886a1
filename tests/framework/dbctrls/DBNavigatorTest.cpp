// The navigator: which buttons are enabled in each state and position of the dataset,
// clicks through Qt doing their actions between BeforeAction and OnClick, the delete
// confirmation answered through the message recorder, visible buttons, hints, keys and a
// navigator read from a form file.
#include <gtest/gtest.h>

#include <functional>

#include "framework/core/Consts.h"
#include "framework/dbctrls/DBNavigator.h"
#include "framework/stream/FormReader.h"
#include "tests/framework/dbctrls/DataControlsFixture.h"

using namespace fw;
using namespace uitest;
using namespace dbtest;

namespace {

/// Records the navigator's events as "before <button>" and "click <button>".
class TNavTrace : public TTrace {
 public:
  void Before(TObject*, TNavigateBtn b) { Add("before " + EnumName(b)); }
  void Clicked(TObject*, TNavigateBtn b) { Add("click " + EnumName(b)); }
};

class DBNavigatorTest : public DataControlsTest {
 protected:
  void SetUp() override {
    DataControlsTest::SetUp();
    Nav = Place<TDBNavigator>("Nav", 10, 10, 250, 25);
    Nav->SetDataSource(Source);
    Nav->SetBeforeAction(Method<&TNavTrace::Before>(&Trace));
    Nav->SetOnClick(Method<&TNavTrace::Clicked>(&Trace));
  }
  /// The enabled buttons as ten characters "FPNLIDEpcR", a '-' for each disabled one.
  std::string Enabled() const {
    const char letters[] = "FPNLIDEpcR";
    std::string out;
    for (int b = nbFirst; b <= nbRefresh; ++b)
      out += Nav->IsButtonEnabled(static_cast<TNavigateBtn>(b)) ? letters[b] : '-';
    return out;
  }
  void Click(TNavigateBtn b) {
    TRect r = Nav->ButtonRect(b);
    ClickAt(Nav, Qt::LeftButton, QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  }
  TDBNavigator* Nav = nullptr;
  TNavTrace Trace;
};

TEST_F(DBNavigatorTest, ButtonsFollowTheStateAndPositionOfTheDataSet) {
  struct Case {
    const char* what;
    std::function<void()> setup;
    const char* enabled;
  };
  const Case cases[] = {
      {"closed", [&] { People->Close(); }, "----------"},
      {"just opened", [&] { OpenPeople(); }, "--NLIDE--R"},
      {"moved to the second", [&] { People->Next(); }, "FPNLIDE--R"},
      {"back on the first by Prior", [&] { People->Prior(); }, "FPNLIDE--R"},
      {"tried before the first", [&] { People->Prior(); }, "--NLIDE--R"},
      {"last", [&] { People->Last(); }, "FP--IDE--R"},
      {"editing", [&] { People->Edit(); }, "FP--ID-pcR"},
      {"cancelled", [&] { People->Cancel(); }, "FPNLIDE--R"},
      {"inserting", [&] { People->Insert(); }, "FPNLID-pcR"},
      {"posted", [&] {
         People->FieldByName("Id")->SetAsInteger(6);
         People->Post();
       }, "FPNLIDE--R"},
      {"read-only", [&] { People->SetReadOnly(true); }, "FPNL-----R"},
      {"writable again", [&] { People->SetReadOnly(false); }, "FPNLIDE--R"},
      {"navigator disabled", [&] { Nav->SetEnabled(false); }, "----------"},
      {"enabled again", [&] { Nav->SetEnabled(true); }, "FPNLIDE--R"},
      {"emptied", [&] { People->EmptyDataSet(); }, "----I-E--R"},
      {"without data source", [&] { Nav->SetDataSource(nullptr); }, "----------"},
  };
  People->Close();
  for (const Case& c : cases) {
    c.setup();
    EXPECT_EQ(Enabled(), c.enabled) << c.what;
  }
}

TEST_F(DBNavigatorTest, ClicksActBetweenBeforeActionAndOnClick) {
  OpenPeople();
  ShowForm();
  Click(nbNext);
  EXPECT_EQ(Name(), "Boris");
  Click(nbLast);
  EXPECT_EQ(Name(), "Erik");
  Click(nbPrior);
  EXPECT_EQ(Name(), "Dmitry");
  Click(nbFirst);
  EXPECT_EQ(Name(), "Alice");
  EXPECT_EQ(Trace.Str(),
            "before nbNext;click nbNext;before nbLast;click nbLast;before nbPrior;click nbPrior;"
            "before nbFirst;click nbFirst");
  Trace.Clear();
  Click(nbPrior);  // disabled at the beginning: nothing fires
  EXPECT_EQ(Trace.Str(), "");
  Click(nbEdit);
  EXPECT_EQ(People->GetState(), dsEdit);
  People->FieldByName("Name")->SetAsString("Alicia");
  Click(nbPost);
  EXPECT_EQ(People->GetState(), dsBrowse);
  EXPECT_EQ(Name(), "Alicia");
  Click(nbInsert);
  EXPECT_EQ(People->GetState(), dsInsert);
  Click(nbCancel);
  EXPECT_EQ(People->GetState(), dsBrowse);
  EXPECT_EQ(People->GetRecordCount(), 5);
  Click(nbRefresh);
  EXPECT_EQ(Name(), "Alicia");
  EXPECT_EQ(Trace.Str(),
            "before nbEdit;click nbEdit;before nbPost;click nbPost;before nbInsert;click nbInsert;"
            "before nbCancel;click nbCancel;before nbRefresh;click nbRefresh");
  // A press released outside the button does nothing.
  Trace.Clear();
  TRect next = Nav->ButtonRect(nbNext), last = Nav->ButtonRect(nbLast);
  QTest::mousePress(WidgetOf(Nav), Qt::LeftButton, Qt::NoModifier, QPoint(next.Left + 5, 10));
  QTest::mouseRelease(WidgetOf(Nav), Qt::LeftButton, Qt::NoModifier, QPoint(last.Left + 5, 10));
  EXPECT_EQ(Trace.Str(), "");
  EXPECT_EQ(Name(), "Alicia");
}

TEST_F(DBNavigatorTest, DeleteAsksThroughTheMessageService) {
  OpenPeople();
  ShowForm();
  Messages.Answers = {idCancel};
  Click(nbDelete);
  EXPECT_EQ(People->GetRecordCount(), 5);
  EXPECT_EQ(Name(), "Alice");
  Click(nbDelete);  // the recorder's default answer is OK
  EXPECT_EQ(People->GetRecordCount(), 4);
  EXPECT_EQ(Name(), "Boris");
  EXPECT_EQ(Messages.Log, (std::vector<std::string>{"dialog: Delete record?", "dialog: Delete record?"}));
  EXPECT_EQ(Trace.Str(), "before nbDelete;click nbDelete;before nbDelete;click nbDelete");
  Nav->SetConfirmDelete(false);
  Click(nbDelete);
  EXPECT_EQ(People->GetRecordCount(), 3);
  EXPECT_EQ(Messages.Log.size(), 2u);
}

TEST_F(DBNavigatorTest, OnlyVisibleButtonsTakeTheWidth) {
  OpenPeople();
  ShowForm();
  Nav->SetVisibleButtons({nbPrior, nbNext, nbDelete});
  EXPECT_EQ(Nav->ButtonRect(nbFirst), TRect{});
  EXPECT_EQ(Nav->ButtonRect(nbPrior), (TRect{0, 0, 84, 25}));
  EXPECT_EQ(Nav->ButtonRect(nbNext), (TRect{84, 0, 167, 25}));
  EXPECT_EQ(Nav->ButtonRect(nbDelete), (TRect{167, 0, 250, 25}));
  EXPECT_FALSE(Nav->IsButtonEnabled(nbLast));
  ClickAt(Nav, Qt::LeftButton, QPoint(100, 12));
  EXPECT_EQ(Name(), "Boris");
  ClickAt(Nav, Qt::LeftButton, QPoint(10, 12));
  EXPECT_EQ(Name(), "Alice");
}

TEST_F(DBNavigatorTest, KeysMoveTheFocusedButtonAndSpaceClicksIt) {
  OpenPeople();
  ShowForm();
  Nav->SetFocus();
  TypeKey(Nav, Qt::Key_Right);
  TypeKey(Nav, Qt::Key_Right);
  TypeKey(Nav, Qt::Key_Space);  // Next
  EXPECT_EQ(Name(), "Boris");
  TypeKey(Nav, Qt::Key_Right);
  TypeKey(Nav, Qt::Key_Space);  // Last
  EXPECT_EQ(Name(), "Erik");
  EXPECT_EQ(Trace.Str(), "before nbNext;click nbNext;before nbLast;click nbLast");
}

TEST_F(DBNavigatorTest, HintsAreTheDefaultOnesUnlessHintsSaysOtherwise) {
  std::vector<std::string> hints;
  for (int b = nbFirst; b <= nbRefresh; ++b) hints.push_back(Nav->GetButtonHint(static_cast<TNavigateBtn>(b)));
  EXPECT_EQ(hints, (std::vector<std::string>{"First record", "Prior record", "Next record", "Last record",
                                             "Insert record", "Delete record", "Edit record", "Post edit",
                                             "Cancel edit", "Refresh data"}));
  Nav->GetHints()->SetText("Start\n\nForward");
  EXPECT_EQ(Nav->GetButtonHint(nbFirst), "Start");
  EXPECT_EQ(Nav->GetButtonHint(nbPrior), "Prior record");
  EXPECT_EQ(Nav->GetButtonHint(nbNext), "Forward");
  EXPECT_EQ(Nav->GetButtonHint(nbLast), "Last record");
  // The navigator's hint is the one of the button under the mouse.
  ShowForm();
  TRect last = Nav->ButtonRect(nbLast);
  Nav->MouseMove({}, last.Left + 3, 5);
  EXPECT_EQ(Nav->GetHint(), "Last record");
}

const char* const kNavForm = R"(object NavForm: TForm
  Left = 0
  Top = 0
  Width = 300
  Height = 100
  object FormNav: TDBNavigator
    Left = 8
    Top = 8
    Width = 100
    Height = 25
    DataSource = DataDM.Source
    VisibleButtons = [nbFirst, nbLast]
    ConfirmDelete = False
    Flat = True
    Hints.Strings = (
      'To the start')
  end
end
)";

TEST_F(DBNavigatorTest, ComesFromAFormFile) {
  RegisterDBNavigatorClasses();
  OpenPeople();
  auto* form = static_cast<TForm*>(ReadComponentText(kNavForm, nullptr));
  auto* nav = static_cast<TDBNavigator*>(form->FindComponent("FormNav"));
  ASSERT_NE(nav, nullptr);
  EXPECT_EQ(nav->GetDataSource(), Source);
  EXPECT_EQ(nav->GetVisibleButtons(), (TButtonSet{nbFirst, nbLast}));
  EXPECT_FALSE(nav->GetConfirmDelete());
  EXPECT_TRUE(nav->GetFlat());
  EXPECT_EQ(nav->GetButtonHint(nbFirst), "To the start");
  EXPECT_EQ(nav->ButtonRect(nbLast), (TRect{50, 0, 100, 25}));
  nav->BtnClick(nbLast);
  EXPECT_EQ(Name(), "Erik");
  delete form;
}

}  // namespace
