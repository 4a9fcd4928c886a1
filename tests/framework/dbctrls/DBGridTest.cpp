// The data grid: columns from the fields or from Columns (also in a form file), titles and
// widths, the current row following the dataset, keys and mouse through Qt, in-place
// editing that posts on a row change and cancels with Esc, a refused value, Insert and
// Delete, read-only grids and cells, a grid that reads only the records it shows, and a
// screenshot of a form with a grid, a navigator and a data label.
#include <gtest/gtest.h>

#include <iostream>

#include "framework/dbctrls/DBGrids.h"
#include "framework/dbctrls/DBMisc.h"
#include "framework/dbctrls/DBNavigator.h"
#include "framework/stream/FormReader.h"
#include "framework/stream/FormWriter.h"
#include "framework/controls/StdCtrls.h"
#include "framework/ui/qt/QtWidgetSet.h"
#include "tests/framework/dbctrls/DataControlsFixture.h"

using namespace fw;
using namespace uitest;
using namespace dbtest;

namespace {

class DBGridTest : public DataControlsTest {
 protected:
  void SetUp() override {
    DataControlsTest::SetUp();
    Grid = Place<TDBGrid>("Grid", 10, 10, 400, 200);
    Grid->SetDataSource(Source);
  }
  /// The grid shown and focused.
  void FocusGrid() {
    ShowForm();
    Grid->SetFocus();
    ASSERT_TRUE(Grid->Focused());
  }
  void ClickCell(int column, int row) {
    TRect r = Grid->CellRect(column, row);
    ASSERT_FALSE(r.IsEmpty()) << column << ", " << row;
    ClickAt(Grid, Qt::LeftButton, QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  }
  /// The texts of a column in the rows the grid shows, joined by "|".
  std::string ColumnTexts(int column) {
    std::string out;
    for (int row = 0; row < Grid->GetDataLink()->GetRecordCount(); ++row) {
      if (row) out += "|";
      out += Grid->CellText(column, row);
    }
    return out;
  }
  int Current() const { return Grid->GetDataLink()->GetActiveRecord(); }
  TDBGrid* Grid = nullptr;
};

TEST_F(DBGridTest, ColumnsComeFromTheVisibleFieldsWithTitlesAndWidths) {
  OpenPeople();
  ASSERT_EQ(Grid->GetDisplayColumnCount(), 5);
  std::vector<std::string> titles;
  for (int c = 0; c < 5; ++c) titles.push_back(Grid->GetDisplayTitle(c));
  EXPECT_EQ(titles, (std::vector<std::string>{"Id", "Name", "Lang", "Active", "Language"}));
  int ave = GetTextMetrics(*Grid->GetFont()).tmAveCharWidth;
  EXPECT_EQ(Grid->GetDisplayWidth(0), 5 * ave + 4);   // DisplayWidth 5
  EXPECT_EQ(Grid->GetDisplayWidth(1), 20 * ave + 4);  // a string field of 20
  EXPECT_EQ(Grid->GetDisplayField(4), LangName);
  // A field hidden or relabelled changes the columns at once.
  People->FieldByName("Lang")->SetVisible(false);
  People->FieldByName("Name")->SetDisplayLabel("Person");
  ASSERT_EQ(Grid->GetDisplayColumnCount(), 4);
  EXPECT_EQ(Grid->GetDisplayTitle(1), "Person");
  EXPECT_EQ(Grid->GetDisplayTitle(2), "Active");
  People->Close();
  EXPECT_EQ(Grid->GetDisplayColumnCount(), 0);
}

TEST_F(DBGridTest, RowsShowTheRecordsAndTheCurrentRowFollowsTheDataSet) {
  OpenPeople();
  EXPECT_EQ(Grid->GetVisibleRowCount(), 9);
  EXPECT_EQ(Grid->GetDataLink()->GetBufferCount(), 9);
  EXPECT_EQ(ColumnTexts(1), "Alice|Boris|Carla|Dmitry|Erik");
  EXPECT_EQ(ColumnTexts(3), "True|False||True|False");
  EXPECT_EQ(ColumnTexts(4), "English|Русский|Deutsch|Русский|");  // the lookup field's text
  EXPECT_EQ(Current(), 0);
  People->MoveBy(3);
  EXPECT_EQ(Current(), 3);
  People->Last();
  EXPECT_EQ(Current(), 4);
  People->Edit();
  People->FieldByName("Name")->SetAsString("Erika");
  EXPECT_EQ(ColumnTexts(1), "Alice|Boris|Carla|Dmitry|Erika");
}

TEST_F(DBGridTest, KeysMoveBetweenRecordsAndColumns) {
  People->CreateDataSet();
  People->FillPeople(30);
  FocusGrid();
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int recNo, row, column;
  };
  const Case cases[] = {
      {Qt::Key_Down, Qt::NoModifier, 2, 1, 0},      {Qt::Key_PageDown, Qt::NoModifier, 11, 8, 0},
      {Qt::Key_PageUp, Qt::NoModifier, 2, 0, 0},    {Qt::Key_Up, Qt::NoModifier, 1, 0, 0},
      {Qt::Key_Up, Qt::NoModifier, 1, 0, 0},        {Qt::Key_End, Qt::ControlModifier, 30, 8, 0},
      {Qt::Key_Up, Qt::NoModifier, 29, 7, 0},       {Qt::Key_Home, Qt::ControlModifier, 1, 0, 0},
      {Qt::Key_Right, Qt::NoModifier, 1, 0, 1},     {Qt::Key_End, Qt::NoModifier, 1, 0, 4},
      {Qt::Key_Right, Qt::NoModifier, 1, 0, 4},     {Qt::Key_Home, Qt::NoModifier, 1, 0, 0},
      {Qt::Key_Left, Qt::NoModifier, 1, 0, 0},      {Qt::Key_Tab, Qt::NoModifier, 1, 0, 1},
      {Qt::Key_Backtab, Qt::ShiftModifier, 1, 0, 0}, {Qt::Key_Backtab, Qt::ShiftModifier, 1, 0, 0},
      {Qt::Key_End, Qt::NoModifier, 1, 0, 4},       {Qt::Key_Tab, Qt::NoModifier, 2, 1, 0},
      {Qt::Key_Backtab, Qt::ShiftModifier, 1, 0, 4},
  };
  int step = 0;
  for (const Case& c : cases) {
    TypeKey(Grid, c.key, c.modifiers);
    EXPECT_EQ(People->GetRecNo(), c.recNo) << "step " << step;
    EXPECT_EQ(Current(), c.row) << "step " << step;
    EXPECT_EQ(Grid->GetSelectedIndex(), c.column) << "step " << step;
    ++step;
  }
  EXPECT_EQ(People->GetState(), dsBrowse);
}

TEST_F(DBGridTest, ClicksSelectCellsTitlesAndScroll) {
  People->CreateDataSet();
  People->FillPeople(30);
  ShowForm();
  ClickCell(1, 3);
  EXPECT_TRUE(Grid->Focused());
  EXPECT_EQ(People->GetRecNo(), 4);
  EXPECT_EQ(Grid->GetSelectedIndex(), 1);
  EXPECT_FALSE(Grid->GetEditorMode());
  ClickCell(2, -1);  // a title
  EXPECT_EQ(Grid->GetSelectedIndex(), 2);
  EXPECT_EQ(People->GetRecNo(), 4);
  ClickCell(-1, 0);  // the indicator of the first row
  EXPECT_EQ(People->GetRecNo(), 1);
  // The scroll bar: an arrow moves one record, the track a page, the thumb follows the drag.
  TRect down = Grid->ScrollDownRect(), up = Grid->ScrollUpRect();
  TRect thumb = Grid->ScrollThumbRect();
  EXPECT_EQ(thumb.Top, up.Bottom);
  ClickAt(Grid, Qt::LeftButton, QPoint(down.Left + 5, down.Top + 5));
  EXPECT_EQ(People->GetRecNo(), 2);
  ClickAt(Grid, Qt::LeftButton, QPoint(down.Left + 5, down.Top - 3));
  EXPECT_EQ(People->GetRecNo(), 11);
  ClickAt(Grid, Qt::LeftButton, QPoint(up.Left + 5, up.Top + 5));
  EXPECT_EQ(People->GetRecNo(), 10);
  thumb = Grid->ScrollThumbRect();
  QWidget* w = WidgetOf(Grid);
  QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(thumb.Left + 5, thumb.Top + 2));
  QTest::mouseMove(w, QPoint(thumb.Left + 5, down.Top - 1));
  QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(thumb.Left + 5, down.Top - 1));
  EXPECT_EQ(People->GetRecNo(), 30);
  EXPECT_EQ(Grid->ScrollThumbRect().Bottom, down.Top);
}

TEST_F(DBGridTest, TypingEditsInPlaceAndARowChangePosts) {
  OpenPeople();
  FocusGrid();
  TypeKey(Grid, Qt::Key_Right);
  TypeText(Grid, "Zed");
  EXPECT_TRUE(Grid->GetEditorMode());
  EXPECT_EQ(Grid->GetEditText(), "Zed");
  EXPECT_EQ(People->GetState(), dsEdit);
  EXPECT_EQ(Name(), "Alice");  // the field takes the text when it leaves the editor
  TypeKey(Grid, Qt::Key_Down);
  EXPECT_FALSE(Grid->GetEditorMode());
  EXPECT_EQ(People->GetState(), dsBrowse);
  EXPECT_EQ(People->GetRecNo(), 2);
  EXPECT_EQ(Grid->CellText(1, 0), "Zed");

  // F2 opens the editor on the field's text; Enter writes it and keeps the record in edit.
  TypeKey(Grid, Qt::Key_F2);
  EXPECT_EQ(Grid->GetEditText(), "Boris");
  TypeKey(Grid, Qt::Key_End);
  TypeText(Grid, "!");
  TypeKey(Grid, Qt::Key_Backspace);
  TypeText(Grid, "?");
  TypeKey(Grid, Qt::Key_Return);
  EXPECT_FALSE(Grid->GetEditorMode());
  EXPECT_EQ(Name(), "Boris?");
  EXPECT_EQ(People->GetState(), dsEdit);
  // Esc without an editor cancels the record's edit.
  TypeKey(Grid, Qt::Key_Escape);
  EXPECT_EQ(People->GetState(), dsBrowse);
  EXPECT_EQ(Name(), "Boris");

  // Typed text dropped by Esc leaves the record as it was.
  TypeText(Grid, "Q");
  EXPECT_EQ(People->GetState(), dsEdit);
  TypeKey(Grid, Qt::Key_Escape);
  EXPECT_FALSE(Grid->GetEditorMode());
  EXPECT_EQ(People->GetState(), dsBrowse);
  EXPECT_EQ(Name(), "Boris");

  // Two cells of one record: Tab writes the first, Esc drops the second's text, a second Esc
  // the record's edit.
  TypeText(Grid, "Bo");
  TypeKey(Grid, Qt::Key_Tab);
  EXPECT_EQ(Name(), "Bo");
  EXPECT_EQ(Grid->GetSelectedIndex(), 2);
  TypeText(Grid, "7");
  TypeKey(Grid, Qt::Key_Escape);
  EXPECT_EQ(People->GetState(), dsEdit);
  EXPECT_EQ(People->FieldByName("Lang")->GetAsInteger(), 2);
  TypeKey(Grid, Qt::Key_Escape);
  EXPECT_EQ(People->GetState(), dsBrowse);
  EXPECT_EQ(Name(), "Boris");

  // A click on another row posts the record being edited.
  TypeKey(Grid, Qt::Key_Left);
  TypeText(Grid, "Xy");
  ClickCell(1, 3);
  EXPECT_EQ(People->GetRecNo(), 4);
  EXPECT_EQ(Grid->CellText(1, 1), "Xy");
  EXPECT_EQ(People->GetState(), dsBrowse);
  // A click on the current cell of the focused grid opens the editor.
  ClickCell(1, 3);
  EXPECT_TRUE(Grid->GetEditorMode());
  EXPECT_EQ(Grid->GetEditText(), "Dmitry");
}

TEST_F(DBGridTest, DownPastTheLastRecordAppendsAndUpDropsTheUntouchedRecord) {
  OpenPeople();
  FocusGrid();
  TypeKey(Grid, Qt::Key_End, Qt::ControlModifier);
  TypeKey(Grid, Qt::Key_Down);
  EXPECT_EQ(People->GetState(), dsInsert);
  EXPECT_EQ(Current(), 5);
  TypeKey(Grid, Qt::Key_Up);
  EXPECT_EQ(People->GetState(), dsBrowse);
  EXPECT_EQ(People->GetRecordCount(), 5);
  EXPECT_EQ(Name(), "Erik");
  // A typed new record is posted by the next move.
  TypeKey(Grid, Qt::Key_Down);
  TypeText(Grid, "6");
  TypeKey(Grid, Qt::Key_Tab);
  TypeText(Grid, "Fiona");
  TypeKey(Grid, Qt::Key_Up);
  EXPECT_EQ(People->GetRecordCount(), 6);
  EXPECT_EQ(People->GetState(), dsBrowse);
  People->Last();
  EXPECT_EQ(Name(), "Fiona");
}

TEST_F(DBGridTest, ARefusedValueKeepsTheEditorTheRecordAndTheFocus) {
  OpenPeople();
  FocusGrid();
  auto* other = Place<TEdit>("Other", 10, 250, 100, 21);
  TypeText(Grid, "abc");  // into Id, an integer field
  TypeKey(Grid, Qt::Key_Down);
  ASSERT_EQ(Messages.Log.size(), 1u);
  EXPECT_NE(Messages.Log[0].find("'abc' is not a valid integer value"), std::string::npos) << Messages.Log[0];
  EXPECT_EQ(People->GetRecNo(), 1);
  EXPECT_TRUE(Grid->GetEditorMode());
  EXPECT_EQ(Grid->GetEditText(), "abc");
  EXPECT_EQ(People->FieldByName("Id")->GetAsInteger(), 1);
  // Leaving the grid refuses the value too, and the focus comes back.
  ClickAt(other);
  ASSERT_EQ(Messages.Log.size(), 2u);
  EXPECT_TRUE(Grid->Focused());
  EXPECT_TRUE(Grid->GetEditorMode());
  // A good value goes through.
  TypeKey(Grid, Qt::Key_Backspace);
  TypeKey(Grid, Qt::Key_Backspace);
  TypeKey(Grid, Qt::Key_Backspace);
  TypeText(Grid, "11");
  TypeKey(Grid, Qt::Key_Down);
  EXPECT_EQ(People->GetRecNo(), 2);
  People->First();
  EXPECT_EQ(People->FieldByName("Id")->GetAsInteger(), 11);
  EXPECT_EQ(Messages.Log.size(), 2u);
}

TEST_F(DBGridTest, InsertAndDeleteKeys) {
  OpenPeople();
  FocusGrid();
  TypeKey(Grid, Qt::Key_Down);
  TypeKey(Grid, Qt::Key_Insert);
  EXPECT_EQ(People->GetState(), dsInsert);
  EXPECT_EQ(Current(), 1);
  EXPECT_EQ(ColumnTexts(1), "Alice||Boris|Carla|Dmitry|Erik");
  TypeKey(Grid, Qt::Key_Escape);
  EXPECT_EQ(People->GetState(), dsBrowse);
  EXPECT_EQ(ColumnTexts(1), "Alice|Boris|Carla|Dmitry|Erik");
  Messages.Answers = {idCancel};
  TypeKey(Grid, Qt::Key_Delete);
  EXPECT_EQ(People->GetRecordCount(), 5);
  TypeKey(Grid, Qt::Key_Delete);
  EXPECT_EQ(ColumnTexts(1), "Alice|Carla|Dmitry|Erik");
  EXPECT_EQ(Messages.Log, (std::vector<std::string>{"dialog: Delete record?", "dialog: Delete record?"}));
  Grid->SetOptions(Grid->GetOptions() - TDBGridOptions{dgConfirmDelete});
  TypeKey(Grid, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(ColumnTexts(1), "Alice|Dmitry|Erik");
  EXPECT_EQ(Messages.Log.size(), 2u);
  // An untouched new record goes when the focus leaves the grid (dgCancelOnExit).
  auto* other = Place<TEdit>("Other", 10, 250, 100, 21);
  TypeKey(Grid, Qt::Key_Insert);
  ASSERT_EQ(People->GetState(), dsInsert);
  ClickAt(other);
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(People->GetState(), dsBrowse);
  EXPECT_EQ(People->GetRecordCount(), 3);
  Grid->SetFocus();
  // Neither key acts on a read-only grid or dataset.
  for (bool gridReadOnly : {true, false}) {
    Grid->SetReadOnly(gridReadOnly);
    People->SetReadOnly(!gridReadOnly);
    TypeKey(Grid, Qt::Key_Insert);
    TypeKey(Grid, Qt::Key_Delete);
    EXPECT_EQ(People->GetState(), dsBrowse);
    EXPECT_EQ(People->GetRecordCount(), 3);
  }
}

TEST_F(DBGridTest, CellsThatMayNotBeEditedRefuseTheEditor) {
  struct Case {
    const char* what;
    std::function<void()> setup;
    int column;
  };
  const Case cases[] = {
      {"grid read-only", [&] { Grid->SetReadOnly(true); }, 1},
      {"dataset read-only", [&] { People->SetReadOnly(true); }, 1},
      {"field read-only", [&] { People->FieldByName("Name")->SetReadOnly(true); }, 1},
      {"lookup field", [] {}, 4},
      {"no dgEditing", [&] { Grid->SetOptions(Grid->GetOptions() - TDBGridOptions{dgEditing}); }, 1},
      {"dgRowSelect", [&] { Grid->SetOptions(Grid->GetOptions() + TDBGridOptions{dgRowSelect}); }, 1},
      {"no AutoEdit", [&] { Source->SetAutoEdit(false); }, 1},
      {"read-only column", [&] {
         Grid->GetColumns()->Add()->SetFieldName("Id");
         TColumn* name = Grid->GetColumns()->Add();
         name->SetFieldName("Name");
         name->SetReadOnly(true);
       }, 1},
  };
  OpenPeople();
  FocusGrid();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Grid->SetReadOnly(false);
    People->SetReadOnly(false);
    People->FieldByName("Name")->SetReadOnly(false);
    Grid->SetOptions(kDefaultGridOptions);
    Source->SetAutoEdit(true);
    Grid->GetColumns()->Clear();
    c.setup();
    Grid->SetSelectedIndex(c.column);
    TypeText(Grid, "x");
    TypeKey(Grid, Qt::Key_F2);
    TypeKey(Grid, Qt::Key_Return);
    EXPECT_FALSE(Grid->GetEditorMode());
    EXPECT_EQ(People->GetState(), dsBrowse);
    EXPECT_EQ(Name(), "Alice");
  }
}

TEST_F(DBGridTest, OptionsShapeTheGrid) {
  OpenPeople();
  TRect first = Grid->CellRect(0, 0);
  EXPECT_EQ(first.Left, 2 + 11 + 1);  // frame, indicator, line
  EXPECT_EQ(first.Top, 2 + 17 + 1);   // frame, titles, line
  EXPECT_EQ(Grid->CellRect(1, 0).Left, first.Right + 1);
  Grid->SetOptions({dgEditing});
  EXPECT_EQ(Grid->CellRect(-1, 0), TRect{});
  EXPECT_EQ(Grid->CellRect(0, -1), TRect{});
  first = Grid->CellRect(0, 0);
  EXPECT_EQ(first.Left, 2);
  EXPECT_EQ(first.Top, 2);
  EXPECT_EQ(Grid->CellRect(0, 1).Top, first.Bottom);
  EXPECT_EQ(Grid->CellRect(1, 0).Left, first.Right);
  // Without titles and lines more rows fit, and the data link asks for them.
  EXPECT_EQ(Grid->GetVisibleRowCount(), 196 / 17);
  EXPECT_EQ(Grid->GetDataLink()->GetBufferCount(), 196 / 17);
  Grid->SetHeight(100);
  EXPECT_EQ(Grid->GetDataLink()->GetBufferCount(), 96 / 17);
}

TEST_F(DBGridTest, TheTitleFontFollowsTheFontUntilSetOnItsOwn) {
  OpenPeople();
  int before = Grid->GetRowHeight();
  Grid->GetFont()->SetSize(12);
  EXPECT_EQ(Grid->GetTitleFont()->GetSize(), 12);
  EXPECT_FALSE(Grid->IsTitleFontStored());
  EXPECT_GT(Grid->GetRowHeight(), before);
  Grid->GetTitleFont()->SetSize(14);
  EXPECT_TRUE(Grid->IsTitleFontStored());
  Grid->GetFont()->SetSize(8);
  EXPECT_EQ(Grid->GetTitleFont()->GetSize(), 14);
  // The rows take the height of the larger font, and fewer of them fit.
  EXPECT_LT(Grid->GetDataLink()->GetBufferCount(), 9);
}

TEST_F(DBGridTest, ColumnsKeepTheCurrentColumnInSight) {
  OpenPeople();
  FocusGrid();
  Grid->SetWidth(200);
  TypeKey(Grid, Qt::Key_End);
  EXPECT_EQ(Grid->GetSelectedIndex(), 4);
  EXPECT_GT(Grid->GetLeftCol(), 0);
  TRect r = Grid->CellRect(4, 0);
  EXPECT_FALSE(r.IsEmpty());
  EXPECT_LE(r.Right, Grid->ScrollUpRect().Left);
  TypeKey(Grid, Qt::Key_Home);
  EXPECT_EQ(Grid->GetLeftCol(), 0);
}

const char* const kGridForm = R"(object GridForm: TForm
  Left = 0
  Top = 0
  Width = 420
  Height = 220
  object FormGrid: TDBGrid
    Left = 8
    Top = 8
    Width = 400
    Height = 200
    DataSource = DataDM.Source
    Options = [dgTitles, dgIndicator, dgColLines, dgRowLines, dgTabs]
    ReadOnly = True
    TabOrder = 0
    TitleFont.Style = [fsBold]
    Columns = <
      item
        FieldName = 'Name'
        Title.Caption = 'Person'
        Width = 120
      end
      item
        FieldName = 'LangName'
      end
      item
        FieldName = 'Id'
        Visible = False
      end
      item
        FieldName = 'Active'
        Alignment = taCenter
        ReadOnly = True
      end>
  end
end
)";

TEST_F(DBGridTest, ColumnsFromAFormFile) {
  RegisterDBGridClasses();
  OpenPeople();
  auto* form = static_cast<TForm*>(ReadComponentText(kGridForm, nullptr));
  auto* grid = static_cast<TDBGrid*>(form->FindComponent("FormGrid"));
  ASSERT_NE(grid, nullptr);
  EXPECT_TRUE(grid->GetReadOnly());
  EXPECT_EQ(grid->GetOptions(), (TDBGridOptions{dgTitles, dgIndicator, dgColLines, dgRowLines, dgTabs}));
  ASSERT_EQ(grid->GetColumns()->GetCount(), 4);
  ASSERT_EQ(grid->GetDisplayColumnCount(), 3);
  EXPECT_EQ(grid->GetDisplayTitle(0), "Person");
  EXPECT_EQ(grid->GetDisplayWidth(0), 120);
  EXPECT_EQ(grid->GetDisplayTitle(1), "Language");
  EXPECT_EQ(grid->GetDisplayWidth(1), grid->DefaultColumnWidth(LangName, "Language"));
  EXPECT_EQ(grid->GetDisplayTitle(2), "Active");
  EXPECT_EQ(grid->GetColumns()->GetItem(3)->GetAlignment(), taCenter);
  EXPECT_EQ(grid->GetTitleFont()->GetStyle(), TFontStyles{fsBold});
  EXPECT_TRUE(grid->GetFont()->GetStyle().Empty());
  EXPECT_EQ(grid->CellText(0, 1), "Boris");
  EXPECT_EQ(grid->CellText(1, 1), "Русский");
  // Written back, the columns keep what was set and leave the defaults out.
  std::string text = WriteComponentText(form);
  EXPECT_NE(text.find("Title.Caption = 'Person'"), std::string::npos) << text;
  EXPECT_NE(text.find("Visible = False"), std::string::npos) << text;
  EXPECT_EQ(text.find("Title.Caption = 'Language'"), std::string::npos) << text;
  delete form;
}

// ---- reading only what is shown --------------------------------------------------------------

TEST_F(DBGridTest, ReadsOnlyTheRecordsItShowsOnAHundredThousandRows) {
  People->CreateDataSet();
  People->FillPeople(100000);
  People->Close();
  FocusGrid();
  int visible = Grid->GetVisibleRowCount();
  ASSERT_EQ(visible, 9);
  People->Loads = 0;
  People->Open();
  EXPECT_EQ(People->Loads, visible);
  EXPECT_EQ(ColumnTexts(1), "Person 1|Person 2|Person 3|Person 4|Person 5|Person 6|Person 7|Person 8|Person 9");
  Grid->Repaint();
  Grab(Grid);
  EXPECT_EQ(People->Loads, visible);  // painting reads the buffers, not the rows
  People->Loads = 0;
  TypeKey(Grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(People->Loads, visible);
  EXPECT_EQ(People->GetRecNo(), 100000);
  EXPECT_EQ(Current(), visible - 1);
  EXPECT_EQ(Grid->CellText(1, visible - 1), "Person 100000");
  People->Loads = 0;
  TypeKey(Grid, Qt::Key_Up);  // inside the window: nothing to read
  TypeKey(Grid, Qt::Key_PageUp);
  EXPECT_EQ(People->Loads, visible);
  People->Loads = 0;
  TypeKey(Grid, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(People->Loads, visible);
}

// ---- the screenshot ----------------------------------------------------------------------------

TEST_F(DBGridTest, ScreenshotOfAFormWithAGridANavigatorAndALabel) {
  OpenPeople();
  Form->SetBounds(50, 50, 520, 300);
  Form->SetCaption("People");
  auto* nav = Place<TDBNavigator>("Nav", 8, 8, 240, 25);
  nav->SetDataSource(Source);
  auto* text = Place<TDBText>("NameText", 260, 12, 200, 17);
  text->SetDataSource(Source);
  text->SetDataField("Name");
  text->GetFont()->SetStyle({fsBold});
  Grid->SetBounds(8, 40, 500, 200);
  auto* box = Place<TDBCheckBox>("ActiveBox", 8, 250, 120, 17);
  box->SetCaption("Active");
  box->SetDataSource(Source);
  box->SetDataField("Active");
  FocusGrid();
  TypeKey(Grid, Qt::Key_Down);
  TypeKey(Grid, Qt::Key_Right);
  TypeKey(Grid, Qt::Key_Down);
  ProcessEvents();
  std::string file = std::string(QOR_BINARY_DIR) + "/dbgrid-form.png";
  ASSERT_TRUE(qt::SaveWindowImage(Form, 1, file));
  std::cout << "screenshot: " << file << "\n";
  QImage image(QString::fromStdString(file));
  ASSERT_FALSE(image.isNull());
  auto at = [&](TControl* c, int x, int y) { return image.pixelColor(c->GetLeft() + x, c->GetTop() + y); };
  // The current cell (Name of the third record) in the highlight colour, the titles on
  // the button face, the data cells white.
  TRect current = Grid->CellRect(1, 2);
  EXPECT_EQ(at(Grid, current.Right - 3, current.Top + 3), QColor(0, 120, 215)) << "current cell";
  TRect title = Grid->CellRect(1, -1);
  EXPECT_EQ(at(Grid, title.Right - 5, title.Top + 5), QColor(240, 240, 240)) << "title";
  TRect plain = Grid->CellRect(1, 0);
  EXPECT_EQ(at(Grid, plain.Right - 3, plain.Top + 3), QColor(255, 255, 255)) << "data cell";
  // Text in the titles, the rows, the label; the indicator's triangle on the current row.
  QRect titleText(Grid->GetLeft() + title.Left, Grid->GetTop() + title.Top, 40, title.Height());
  EXPECT_GT(DarkPixels(image, titleText), 10);
  TRect ind = Grid->CellRect(-1, 2);
  EXPECT_GT(DarkPixels(image, QRect(Grid->GetLeft() + ind.Left, Grid->GetTop() + ind.Top, ind.Width(), ind.Height())), 5);
  TRect ind0 = Grid->CellRect(-1, 0);
  EXPECT_EQ(DarkPixels(image, QRect(Grid->GetLeft() + ind0.Left + 2, Grid->GetTop() + ind0.Top + 2, ind0.Width() - 4,
                                    ind0.Height() - 4)),
            0);
  EXPECT_GT(DarkPixels(image, QRect(text->GetLeft(), text->GetTop(), 60, 17)), 20);
  // The navigator's glyphs: Next enabled (black), Post disabled (engraved grey).
  auto glyphDark = [&](TNavigateBtn b) {
    TRect r = nav->ButtonRect(b);
    return DarkPixels(image, QRect(nav->GetLeft() + r.Left + 4, nav->GetTop() + 4, r.Width() - 8, r.Height() - 8));
  };
  EXPECT_GT(glyphDark(nbNext), 5);
  EXPECT_EQ(glyphDark(nbPost), 0);

  // The in-place editor: the cell white with the typed text and part of it selected, the
  // indicator showing the edit state, the navigator's Post enabled.
  TypeKey(Grid, Qt::Key_F2);
  TypeKey(Grid, Qt::Key_End);
  TypeText(Grid, " Z");
  TypeKey(Grid, Qt::Key_Left, Qt::ShiftModifier);
  ProcessEvents();
  std::string editing = std::string(QOR_BINARY_DIR) + "/dbgrid-editor.png";
  ASSERT_TRUE(qt::SaveWindowImage(Form, 1, editing));
  QImage edited(QString::fromStdString(editing));
  EXPECT_EQ(edited.pixelColor(Grid->GetLeft() + current.Right - 3, Grid->GetTop() + current.Top + 3), QColor(255, 255, 255));
  EXPECT_GT(DarkPixels(edited, QRect(Grid->GetLeft() + current.Left, Grid->GetTop() + current.Top, 30, current.Height())), 10);
  TRect post = nav->ButtonRect(nbPost);
  EXPECT_GT(DarkPixels(edited, QRect(nav->GetLeft() + post.Left + 4, nav->GetTop() + 4, post.Width() - 8, post.Height() - 8)), 5);
}

}  // namespace
