// The lookup control family: binding to a lookup field and to a list source with its
// errors, the combo box's drop-down cycle through real keys and clicks (traced), the
// incremental search, the list box's keys, mouse and scroll bar, a list of 100,000 rows
// whose list link holds only the visible rows, form files, and a screenshot.
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/DataModule.h"
#include "framework/core/Exceptions.h"
#include "framework/data/DataSource.h"
#include "framework/data/MemDataSet.h"
#include "framework/dbctrls/DBLookup.h"
#include "framework/stream/FormReader.h"
#include "framework/stream/FormWriter.h"
#include "framework/ui/Forms.h"
#include "framework/controls/StdCtrls.h"
#include "framework/ui/WidgetSet.h"
#include "tests/support/ExpectError.h"
#include "tests/support/UiTestSupport.h"

using namespace fw;
using namespace uitest;

namespace {

/// An in-memory dataset that counts the records read from its rows into record buffers
/// (the only way rows reach the controls) and can be filled fast.
class TCountingDataSet : public TMemDataSet {
 public:
  explicit TCountingDataSet(TComponent* owner) : TMemDataSet(owner) {}
  mutable std::int64_t Loads = 0;

  /// Appends rows Id = 1..count, Name = "Language <Id>" straight into the storage.
  void Fill(int count) {
    TField* id = FieldByName("Id");
    TField* name = FieldByName("Name");
    ReserveRows(count);
    for (int i = 1; i <= count; ++i) {
      std::uint8_t* data = StoredRowData(AppendStoredRow());
      data[id->GetOffset()] = 1;
      id->VariantToNative(Variant(i), data + id->GetOffset() + 1);
      data[name->GetOffset()] = 1;
      name->VariantToNative(Variant("Language " + std::to_string(i)), data + name->GetOffset() + 1);
    }
    BuildView();
    First();
  }

 protected:
  void LoadRow(std::int64_t rowId, TRecordBuffer& buffer) const override {
    ++Loads;
    TMemDataSet::LoadRow(rowId, buffer);
  }
};

/// A character that the keyboard types without a key of its own (QTest types ASCII only).
void TypeChar(TWinControl* control, const QString& ch) {
  QTest::sendKeyEvent(QTest::Click, WidgetOf(control), Qt::Key_unknown, ch, Qt::NoModifier);
}

/// A master-detail dataset in miniature: it follows the records of a master source.
class TDetailDataSet : public TMemDataSet {
 public:
  explicit TDetailDataSet(TComponent* owner) : TMemDataSet(owner) {}
  TDataSource* Master = nullptr;
  TDataSource* GetDataSource() const override { return Master; }
};

/// A combo box that writes its drop-down cycle into a trace.
class TTracedCombo : public TDBLookupComboBox {
 public:
  TTracedCombo(TComponent* owner, TTrace& trace) : TDBLookupComboBox(owner), FTrace(trace) {}
  // Calls that find nothing to do (a second close-up, say) are not written down.
  void DropDown() override {
    if (GetListVisible() || !GetListActive()) return TDBLookupComboBox::DropDown();
    FTrace.Add("DropDown");
    TDBLookupComboBox::DropDown();
    if (GetListVisible())
      FTrace.Add("shown " + std::to_string(GetDataList()->GetRowCount()) + " rows on " +
                 DebugString(GetDataList()->GetKeyValue()));
  }
  void CloseUp(bool accept) override {
    if (!GetListVisible()) return TDBLookupComboBox::CloseUp(accept);
    FTrace.Add(std::string("CloseUp ") + (accept ? "accept" : "cancel"));
    TDBLookupComboBox::CloseUp(accept);
  }

 protected:
  void KeyValueChanged() override {
    FTrace.Add("KeyValue " + DebugString(GetKeyValue()));
    TDBLookupComboBox::KeyValueChanged();
  }

 private:
  TTrace& FTrace;
};

struct TLang {
  int Id;
  const char* Name;
  const char* Font;
};
const std::vector<TLang> kLangs = {
    {1, "English", "Arial"},    {2, "Русский", "Times New Roman"}, {3, "Deutsch", "DejaVu Sans"},
    {4, "Français", "Garamond"}, {5, "Español", "Verdana"},          {6, "Italiano", "Georgia"},
    {7, "Polski", "Tahoma"},     {8, "Dansk", "Calibri"},
};

/// A data module "LkDM" with a languages table (Id, Name, Font) and a people table (Id,
/// Name, Lang and the lookup field LangName: the Name of the language whose Id is Lang),
/// each with a data source, and a form with an edit to take the focus elsewhere.
class DBLookupTest : public TUiTest, public TObject {
 protected:
  void SetUp() override {
    TUiTest::SetUp();
    RegisterDBLookupClasses();
    DM = new TDataModule(nullptr);
    DM->SetName("LkDM");
    Langs = new TMemDataSet(DM);
    Langs->SetName("Langs");
    Langs->GetFieldDefs()->Add("Id", ftSmallint);
    Langs->GetFieldDefs()->Add("Name", ftString, 20);
    Langs->GetFieldDefs()->Add("Font", ftString, 20);
    Langs->CreateDataSet();
    Langs->FieldByName("Id")->SetDisplayWidth(3);
    for (const TLang& l : kLangs) {
      Langs->Append();
      Langs->FieldByName("Id")->SetAsInteger(l.Id);
      Langs->FieldByName("Name")->SetAsString(l.Name);
      Langs->FieldByName("Font")->SetAsString(l.Font);
      Langs->Post();
    }
    Langs->First();
    DSLang = new TDataSource(DM);
    DSLang->SetName("DSLang");
    DSLang->SetDataSet(Langs);

    People = new TMemDataSet(DM);
    People->SetName("People");
    for (auto [name, type, size] : std::vector<std::tuple<const char*, TFieldType, int>>{
             {"Id", ftInteger, 0}, {"Name", ftString, 20}, {"Lang", ftSmallint, 0}}) {
      TField* f = static_cast<TField*>(FieldClassOf(type).CreateComponent(DM));
      if (size) f->SetSize(size);
      f->SetFieldName(name);
      f->SetDataSet(People);
    }
    LangName = new TStringField(DM);
    LangName->SetName("PeopleLangName");
    LangName->SetFieldName("LangName");
    LangName->SetSize(20);
    LangName->SetFieldKind(fkLookup);
    LangName->SetKeyFields("Lang");
    LangName->SetLookupDataSet(Langs);
    LangName->SetLookupKeyFields("Id");
    LangName->SetLookupResultField("Name");
    LangName->SetDataSet(People);
    People->Open();
    for (auto [id, name, lang] : std::vector<std::tuple<int, const char*, int>>{
             {1, "Anna", 2}, {2, "Boris", 1}, {3, "Clara", 99}, {4, "Dieter", 3}}) {
      People->Append();
      People->FieldByName("Id")->SetAsInteger(id);
      People->FieldByName("Name")->SetAsString(name);
      People->FieldByName("Lang")->SetAsInteger(lang);
      People->Post();
    }
    People->First();
    DSPeople = new TDataSource(DM);
    DSPeople->SetName("DSPeople");
    DSPeople->SetDataSet(People);

    Form = new TForm(nullptr);
    Form->SetName("LkForm");
    Form->SetBounds(100, 60, 420, 260);
    Edit = new TEdit(Form);
    Edit->SetName("Edit1");
    Edit->SetBounds(250, 10, 100, 21);
    Edit->SetParent(Form);
  }
  void TearDown() override {
    TUiTest::TearDown();
    delete DM;
  }

  /// A traced combo on the form, bound to the people's lookup field LangName.
  TTracedCombo* LookupCombo(int left = 10, int top = 10) {
    auto* c = new TTracedCombo(Form, Trace);
    c->SetName("Combo");
    c->SetBounds(left, top, 145, 21);
    c->SetParent(Form);
    c->SetDataSource(DSPeople);
    c->SetDataField("LangName");
    c->SetOnDropDown(Method<&DBLookupTest::OnDropDown>(this));
    c->SetOnCloseUp(Method<&DBLookupTest::OnCloseUp>(this));
    c->SetOnClick(Method<&DBLookupTest::OnClick>(this));
    return c;
  }
  void ShowForm(TWinControl* focus) {
    Form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(Form)));
    if (focus) focus->SetFocus();
    Trace.Clear();
  }
  /// Window coordinates of the middle of a row of the drop-down list (inside its border).
  static QPoint RowPos(TDBLookupListBox* list, int row) {
    int h = list->GetTextHeight();
    return QPoint(1 + 20, 1 + row * h + h / 2);
  }
  std::string PersonLang() { return People->FieldByName("Lang")->GetAsString(); }

 public:
  void OnDropDown(TObject* sender) {
    auto* c = static_cast<TDBLookupComboBox*>(sender);
    Trace.Add(std::string("OnDropDown, list ") + (c->GetDataList()->GetVisible() ? "shown" : "hidden"));
  }
  void OnCloseUp(TObject* sender) {
    Trace.Add("OnCloseUp " + DebugString(static_cast<TDBLookupControl*>(sender)->GetKeyValue()));
  }
  void OnClick(TObject* sender) { Trace.Add("Click " + NameOf(sender)); }

 protected:
  TTrace Trace;
  TDataModule* DM = nullptr;
  TMemDataSet *Langs = nullptr, *People = nullptr;
  TStringField* LangName = nullptr;
  TDataSource *DSLang = nullptr, *DSPeople = nullptr;
  TForm* Form = nullptr;
  TEdit* Edit = nullptr;
};

// ---------------------------------------------------------------- binding

TEST_F(DBLookupTest, ALookupFieldDefinesListKeyAndColumns) {
  auto* c = LookupCombo();
  EXPECT_TRUE(c->GetLookupMode());
  EXPECT_TRUE(c->GetListActive());
  EXPECT_EQ(c->GetField(), LangName);
  EXPECT_EQ(c->GetMasterField(), People->FieldByName("Lang"));
  EXPECT_EQ(c->GetKeyField(), "");  // the field names it
  EXPECT_EQ(c->GetListSource(), nullptr);  // the lookup source is the control's own
  EXPECT_EQ(c->GetListLink()->GetDataSource(), c->GetLookupSource());
  EXPECT_EQ(c->GetLookupSource()->GetDataSet(), Langs);
  EXPECT_EQ(c->GetListKeyField(), Langs->FieldByName("Id"));
  EXPECT_EQ(c->GetSearchField(), Langs->FieldByName("Name"));
  EXPECT_EQ(c->GetKeyValue(), Variant(std::int16_t(2)));
  EXPECT_EQ(c->GetText(), "Русский");
  // The result field leads the columns named by ListField.
  c->SetListField("Id;Font");
  ASSERT_EQ(c->GetListFields().size(), 3u);
  EXPECT_EQ(c->GetListFields()[0]->GetFieldName(), "Name");
  EXPECT_EQ(c->GetListFields()[1]->GetFieldName(), "Id");
  EXPECT_EQ(c->GetSearchField()->GetFieldName(), "Name");
  // In lookup mode KeyField and ListSource belong to the field; ListField does not.
  ExpectError<EDatabaseError>([&] { c->SetKeyField("Name"); }, "Property already defined by lookup field");
  ExpectError<EDatabaseError>([&] { c->SetListSource(DSLang); }, "Property already defined by lookup field");
  EXPECT_EQ(c->GetListKeyField(), Langs->FieldByName("Id"));
  // The face follows the record.
  People->Next();
  EXPECT_EQ(c->GetText(), "English");
  People->Next();  // a code that is not in the list
  EXPECT_EQ(c->GetKeyValue(), Variant(std::int16_t(99)));
  EXPECT_EQ(c->GetText(), "");
  // Without a data source the combo leaves lookup mode; with it back it returns.
  c->SetDataSource(nullptr);
  EXPECT_FALSE(c->GetLookupMode());
  EXPECT_FALSE(c->GetListActive());
  EXPECT_EQ(c->GetKeyField(), "");
  EXPECT_EQ(c->GetField(), nullptr);
  EXPECT_EQ(c->GetMasterField(), nullptr);
  EXPECT_TRUE(c->GetKeyValue().IsNull());
  EXPECT_EQ(c->GetListLink()->GetDataSource(), nullptr);
  c->SetKeyField("Name");  // allowed again
  c->SetDataSource(DSPeople);
  EXPECT_TRUE(c->GetLookupMode());
  EXPECT_EQ(c->GetKeyField(), "");
  EXPECT_EQ(c->GetListKeyField(), Langs->FieldByName("Id"));
  EXPECT_EQ(c->GetKeyValue(), Variant(std::int16_t(99)));
  // Another lookup field of the same dataset binds its own list.
  auto* font = new TStringField(DM);
  People->Close();
  font->SetFieldName("LangFont");
  font->SetSize(20);
  font->SetFieldKind(fkLookup);
  font->SetKeyFields("Lang");
  font->SetLookupDataSet(Langs);
  font->SetLookupKeyFields("Id");
  font->SetLookupResultField("Font");
  font->SetDataSet(People);
  People->Open();
  c->SetDataField("LangFont");
  EXPECT_EQ(c->GetText(), "Times New Roman");
  EXPECT_EQ(c->GetSearchField()->GetFieldName(), "Font");
}

TEST_F(DBLookupTest, AListSourceGivesKeyFieldAndColumns) {
  auto* c = new TDBLookupComboBox(Form);
  c->SetName("Combo");
  c->SetParent(Form);
  struct Case {
    const char* ListField;
    int Index;
    const char* Columns;  // the list fields, then "/" and the list field
  };
  for (const Case& k : {Case{"", 0, "Id/Id"}, Case{"Name", 0, "Name/Name"}, Case{"Name;Font", 1, "Name,Font/Font"},
                        Case{"Id;Name;Font", 5, "Id,Name,Font/Id"}, Case{"Font ; Name", 1, "Font,Name/Name"}}) {
    SCOPED_TRACE(k.ListField);
    c->SetListSource(nullptr);
    c->SetKeyField("Id");
    c->SetListField(k.ListField);
    c->SetListFieldIndex(k.Index);
    c->SetListSource(DSLang);
    ASSERT_TRUE(c->GetListActive());
    std::string columns;
    for (TField* f : c->GetListFields()) columns += (columns.empty() ? "" : ",") + f->GetFieldName();
    EXPECT_EQ(columns + "/" + c->GetSearchField()->GetFieldName(), k.Columns);
  }
  // The search column follows ListFieldIndex at once.
  c->SetListField("Id;Name");
  c->SetListFieldIndex(1);
  EXPECT_EQ(c->GetSearchField()->GetFieldName(), "Name");
  // Without a key field, or with the list closed, the list is inactive without an error.
  c->SetKeyField("");
  EXPECT_FALSE(c->GetListActive());
  c->SetKeyField("Id");
  Langs->Close();
  EXPECT_FALSE(c->GetListActive());
  EXPECT_TRUE(c->GetListFields().empty());
  Langs->Open();
  EXPECT_TRUE(c->GetListActive());
  c->SetKeyValue(Variant(5));
  EXPECT_EQ(c->GetText(), "Español");
  // Unknown names name the control and the whole list of columns.
  ExpectError<EDatabaseError>([&] { c->SetListField("Name;Colour"); }, "Combo: Field 'Name;Colour' not found");
  EXPECT_FALSE(c->GetListActive());
  EXPECT_EQ(c->GetText(), "");
  c->SetListField("Name");
  ExpectError<EDatabaseError>([&] { c->SetKeyField("Code"); }, "Combo: Field 'Code' not found");
  EXPECT_FALSE(c->GetListActive());
  c->SetKeyField("Id");
  EXPECT_TRUE(c->GetListActive());
  // The list source's dataset exchanged: the list binds to the new one.
  auto* other = new TMemDataSet(DM);
  other->GetFieldDefs()->Add("Id", ftInteger);
  other->GetFieldDefs()->Add("Name", ftString, 10);
  other->CreateDataSet();
  other->Append();
  other->FieldByName("Id")->SetAsInteger(5);
  other->FieldByName("Name")->SetAsString("Five");
  other->Post();
  DSLang->SetDataSet(other);
  EXPECT_EQ(c->GetListKeyField(), other->FieldByName("Id"));
  EXPECT_EQ(c->GetText(), "Five");
}

TEST_F(DBLookupTest, CircularLinksAreRefused) {
  // The list dataset is the edited dataset.
  auto* c = new TDBLookupComboBox(Form);
  c->SetName("Combo");
  c->SetParent(Form);
  c->SetKeyField("Id");
  c->SetListField("Name");
  c->SetDataSource(DSLang);
  c->SetDataField("Id");
  ExpectError<EDatabaseError>([&] { c->SetListSource(DSLang); }, "Circular datalinks are not allowed");
  EXPECT_FALSE(c->GetListActive());
  // The edited dataset follows the list dataset as its master; set in the other order.
  auto* detail = new TDetailDataSet(DM);
  detail->GetFieldDefs()->Add("Lang", ftSmallint);
  detail->Master = DSLang;
  detail->CreateDataSet();
  auto* detailSource = new TDataSource(DM);
  detailSource->SetDataSet(detail);
  auto* d = new TDBLookupComboBox(Form);
  d->SetName("Combo2");
  d->SetParent(Form);
  d->SetKeyField("Id");
  d->SetListField("Name");
  d->SetListSource(DSLang);
  d->SetDataField("Lang");
  ExpectError<EDatabaseError>([&] { d->SetDataSource(detailSource); }, "Circular datalinks are not allowed");
  EXPECT_EQ(d->GetField(), nullptr);
  // Another dataset over the same rows is no circle.
  d->SetDataSource(DSPeople);
  EXPECT_EQ(d->GetField(), People->FieldByName("Lang"));
  EXPECT_EQ(d->GetText(), "Русский");
}

// ---------------------------------------------------------------- the drop-down cycle

TEST_F(DBLookupTest, KeysDropDownChooseAndCloseUpInOrder) {
  auto* c = LookupCombo();
  ShowForm(c);
  TypeKey(c, Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(c->GetListVisible());
  EXPECT_EQ(Trace.Str(), "DropDown;OnDropDown, list hidden;shown 7 rows on Smallint(2)");
  EXPECT_TRUE(WidgetOf(c->GetDataList())->isVisible());
  EXPECT_TRUE(c->Focused());  // the list never takes the focus
  Trace.Clear();
  TypeKey(c, Qt::Key_Down);
  EXPECT_EQ(c->GetDataList()->GetKeyValue(), Variant(std::int16_t(3)));
  EXPECT_EQ(c->GetKeyValue(), Variant(std::int16_t(2)));  // the combo's own value waits
  EXPECT_EQ(People->GetState(), dsBrowse);
  TypeKey(c, Qt::Key_Return);
  EXPECT_FALSE(c->GetListVisible());
  EXPECT_FALSE(WidgetOf(c->GetDataList())->isVisible());
  EXPECT_EQ(Trace.Str(), "CloseUp accept;KeyValue Smallint(3);Click Combo;OnCloseUp Smallint(3)");
  EXPECT_EQ(People->GetState(), dsEdit);
  EXPECT_EQ(PersonLang(), "3");
  EXPECT_EQ(c->GetText(), "Deutsch");
  EXPECT_EQ(c->GetDataList()->GetListSource(), nullptr);  // detached until the next drop-down

  // F4 opens, End moves to the last row, Esc cancels.
  Trace.Clear();
  TypeKey(c, Qt::Key_F4);
  TypeKey(c, Qt::Key_End);
  EXPECT_EQ(c->GetDataList()->GetKeyValue(), Variant(std::int16_t(8)));
  TypeKey(c, Qt::Key_Escape);
  EXPECT_EQ(Trace.Str(),
            "DropDown;OnDropDown, list hidden;shown 7 rows on Smallint(3);CloseUp cancel;OnCloseUp Smallint(3)");
  EXPECT_EQ(PersonLang(), "3");
  // Home, Page Down and Page Up move by a page of rows; Alt+Up chooses.
  TypeKey(c, Qt::Key_F4);
  TypeKey(c, Qt::Key_Home);
  EXPECT_EQ(c->GetDataList()->GetKeyValue(), Variant(std::int16_t(1)));
  TypeKey(c, Qt::Key_PageDown);
  EXPECT_EQ(c->GetDataList()->GetKeyValue(), Variant(std::int16_t(7)));
  TypeKey(c, Qt::Key_PageDown);
  EXPECT_EQ(c->GetDataList()->GetKeyValue(), Variant(std::int16_t(8)));
  TypeKey(c, Qt::Key_PageUp);
  EXPECT_EQ(c->GetDataList()->GetKeyValue(), Variant(std::int16_t(2)));
  TypeKey(c, Qt::Key_Up, Qt::AltModifier);
  EXPECT_FALSE(c->GetListVisible());
  EXPECT_EQ(PersonLang(), "2");
  // F4 on the open list chooses too.
  TypeKey(c, Qt::Key_F4);
  TypeKey(c, Qt::Key_Up);
  TypeKey(c, Qt::Key_F4);
  EXPECT_EQ(PersonLang(), "1");
  // While closed, Up and Down choose the neighbouring record at once.
  Trace.Clear();
  TypeKey(c, Qt::Key_Down);
  EXPECT_EQ(Trace.Str(), "KeyValue Smallint(2);Click Combo");
  TypeKey(c, Qt::Key_Up);
  TypeKey(c, Qt::Key_Up);  // already the first
  EXPECT_EQ(PersonLang(), "1");
  EXPECT_FALSE(c->GetListVisible());
}

TEST_F(DBLookupTest, TypingSearchesTheListFieldAndEnterChooses) {
  auto* c = LookupCombo();
  ShowForm(c);
  TypeKey(c, Qt::Key_F4);
  TPopupDataList* list = c->GetDataList();
  TypeText(c, "d");
  EXPECT_EQ(list->GetKeyValue(), Variant(std::int16_t(3)));  // Deutsch comes before Dansk
  TypeText(c, "A");
  EXPECT_EQ(list->GetKeyValue(), Variant(std::int16_t(8)));
  EXPECT_EQ(list->GetSearchText(), "dA");
  TypeText(c, "x");  // nothing starts with "dax": the text and the choice stay
  EXPECT_EQ(list->GetSearchText(), "dA");
  EXPECT_EQ(list->GetKeyValue(), Variant(std::int16_t(8)));
  TypeKey(c, Qt::Key_Backspace);
  EXPECT_EQ(list->GetSearchText(), "d");
  TypeChar(c, "ä");  // no match
  TypeText(c, "e");
  EXPECT_EQ(list->GetKeyValue(), Variant(std::int16_t(3)));
  TypeKey(c, Qt::Key_Down);  // a navigation key ends the search
  EXPECT_EQ(list->GetSearchText(), "");
  EXPECT_EQ(list->GetKeyValue(), Variant(std::int16_t(4)));
  TypeChar(c, "Р");  // Cyrillic, any case
  EXPECT_EQ(list->GetKeyValue(), Variant(std::int16_t(2)));
  TypeKey(c, Qt::Key_Return);
  EXPECT_EQ(PersonLang(), "2");
  EXPECT_EQ(list->GetSearchText(), "");
  // The closed combo searches too and chooses at once.
  Trace.Clear();
  TypeText(c, "it");
  EXPECT_EQ(PersonLang(), "6");
  EXPECT_EQ(c->GetSearchText(), "it");
  EXPECT_EQ(Trace.Str(), "KeyValue Smallint(6);Click Combo");  // "i" found Italiano already
  // A read-only combo neither searches nor drops a choice into the field.
  c->SetReadOnly(true);
  TypeKey(c, Qt::Key_Escape);
  TypeText(c, "e");
  EXPECT_EQ(PersonLang(), "6");
  TypeKey(c, Qt::Key_F4);
  TypeKey(c, Qt::Key_Down);
  TypeKey(c, Qt::Key_Return);
  EXPECT_EQ(PersonLang(), "6");
}

TEST_F(DBLookupTest, ClicksDropDownChooseAndCancel) {
  auto* c = LookupCombo();
  ShowForm(Edit);
  // A click on the button focuses the combo and drops the list down below it.
  QPoint button(145 - 2 - 5, 10);
  ClickAt(c, Qt::LeftButton, button);
  ASSERT_TRUE(c->GetListVisible());
  EXPECT_TRUE(c->Focused());
  TPopupDataList* list = c->GetDataList();
  EXPECT_EQ(list->GetBoundsRect(), Bounds(100 + 10, 60 + 10 + 21, 145, 7 * 13 + 2));
  EXPECT_EQ(GetCaptureControl(), nullptr);  // the button was released
  // A click on a row chooses it.
  Trace.Clear();
  ClickAt(list, Qt::LeftButton, RowPos(list, 4));
  EXPECT_FALSE(c->GetListVisible());
  EXPECT_EQ(PersonLang(), "5");
  EXPECT_EQ(Trace.Str(), "CloseUp accept;KeyValue Smallint(5);Click Combo;OnCloseUp Smallint(5)");
  // A click elsewhere closes without choosing; so does a click on the open combo.
  ClickAt(c, Qt::LeftButton, button);
  ASSERT_TRUE(c->GetListVisible());
  Trace.Clear();
  ClickAt(Edit);
  EXPECT_FALSE(c->GetListVisible());
  EXPECT_EQ(Trace.Str(), "CloseUp cancel;OnCloseUp Smallint(5)");
  ClickAt(c, Qt::LeftButton, QPoint(20, 10));  // the text part of a combo drops down too
  ASSERT_TRUE(c->GetListVisible());
  ClickAt(c, Qt::LeftButton, QPoint(20, 10));
  EXPECT_FALSE(c->GetListVisible());
  EXPECT_EQ(PersonLang(), "5");
  // The field asks for the focus: the combo takes it.
  Edit->SetFocus();
  LangName->FocusControl();
  EXPECT_TRUE(c->Focused());
  Edit->SetFocus();
  People->FieldByName("Lang")->FocusControl();
  EXPECT_TRUE(c->Focused());
}

TEST_F(DBLookupTest, SourcesThatGoAwayAreLetGo) {
  auto* c = LookupCombo();
  auto* plain = new TDBLookupComboBox(Form);
  plain->SetParent(Form);
  plain->SetKeyField("Id");
  plain->SetListField("Name");
  plain->SetListSource(DSLang);
  plain->SetKeyValue(Variant(4));
  auto* box = new TDBLookupListBox(Form);
  box->SetParent(Form);
  box->SetKeyField("Id");
  box->SetListSource(DSLang);
  box->SetDataSource(DSPeople);
  box->SetDataField("Lang");
  ShowForm(c);
  TypeKey(c, Qt::Key_F4);
  ASSERT_TRUE(c->GetListVisible());
  delete Langs;  // the lookup dataset of the open list
  Langs = nullptr;
  EXPECT_FALSE(c->GetListActive());
  EXPECT_FALSE(plain->GetListActive());
  EXPECT_EQ(plain->GetText(), "");
  TypeKey(c, Qt::Key_Return);  // nothing to choose from
  EXPECT_FALSE(c->GetListVisible());
  EXPECT_EQ(PersonLang(), "2");
  delete DSLang;
  DSLang = nullptr;
  EXPECT_EQ(plain->GetListSource(), nullptr);
  EXPECT_EQ(box->GetListSource(), nullptr);
  delete DSPeople;
  DSPeople = nullptr;
  EXPECT_EQ(c->GetDataSource(), nullptr);
  EXPECT_EQ(box->GetDataSource(), nullptr);
  EXPECT_FALSE(c->GetLookupMode());
  EXPECT_TRUE(box->GetKeyValue().IsNull());
  ProcessEvents();  // painting without sources
}

TEST_F(DBLookupTest, ThePressDraggedIntoTheListChoosesOnRelease) {
  auto* c = LookupCombo();
  ShowForm(c);
  QTest::mousePress(WidgetOf(c), Qt::LeftButton, Qt::NoModifier, QPoint(140, 10));
  ASSERT_TRUE(c->GetListVisible());
  EXPECT_EQ(GetCaptureControl(), c);  // the mouse is the combo's while it is held
  TPopupDataList* list = c->GetDataList();
  QTest::mouseMove(WidgetOf(list), RowPos(list, 1));
  EXPECT_EQ(GetCaptureControl(), list);  // the list took the press over
  EXPECT_EQ(list->GetKeyValue(), Variant(std::int16_t(2)));
  QTest::mouseMove(WidgetOf(list), RowPos(list, 6));
  EXPECT_EQ(list->GetKeyValue(), Variant(std::int16_t(7)));
  Trace.Clear();
  QTest::mouseRelease(WidgetOf(list), Qt::LeftButton, Qt::NoModifier, RowPos(list, 6));
  EXPECT_EQ(GetCaptureControl(), nullptr);
  EXPECT_FALSE(c->GetListVisible());
  EXPECT_EQ(Trace.Str(), "CloseUp accept;KeyValue Smallint(7);Click Combo;OnCloseUp Smallint(7)");
  // Released outside the list: nothing is chosen.
  QTest::mousePress(WidgetOf(c), Qt::LeftButton, Qt::NoModifier, QPoint(140, 10));
  QTest::mouseMove(WidgetOf(list), RowPos(list, 2));
  QTest::mouseRelease(WidgetOf(list), Qt::LeftButton, Qt::NoModifier, QPoint(200, 10));
  EXPECT_FALSE(c->GetListVisible());
  EXPECT_EQ(PersonLang(), "7");
}

TEST_F(DBLookupTest, TheListGoesAboveWhenTheScreenHasNoRoomBelow) {
  TSize screen = WidgetSet()->ScreenSize();
  Form->SetBounds(100, screen.cy - 80, 420, 60);
  auto* c = LookupCombo(10, 30);
  c->SetDropDownRows(4);
  c->SetDropDownWidth(220);
  ShowForm(c);
  TypeKey(c, Qt::Key_F4);
  ASSERT_TRUE(c->GetListVisible());
  TPoint top = c->GetParent()->ClientToScreen({c->GetLeft(), c->GetTop()});
  EXPECT_EQ(c->GetDataList()->GetBoundsRect(), Bounds(top.X, top.Y - (4 * 13 + 2), 220, 4 * 13 + 2));
  // Fewer records than rows: the list is as long as the records.
  TypeKey(c, Qt::Key_Escape);
  c->SetDropDownRows(20);
  TypeKey(c, Qt::Key_F4);
  EXPECT_EQ(c->GetDataList()->GetRowCount(), 8);
  EXPECT_FALSE(c->GetDataList()->ScrollBarVisible());
}

TEST_F(DBLookupTest, APlainComboOnAListSourceChoosesItsOwnKeyValue) {
  auto* c = new TTracedCombo(Form, Trace);
  c->SetName("Plain");
  c->SetBounds(10, 40, 145, 21);
  c->SetParent(Form);
  c->SetListSource(DSLang);
  c->SetKeyField("Id");
  c->SetListField("Name;Font");
  c->SetOnCloseUp(Method<&DBLookupTest::OnCloseUp>(this));
  ShowForm(c);
  EXPECT_EQ(c->GetText(), "");
  TypeKey(c, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(Trace.Str(), "DropDown;shown 7 rows on Null");
  TPopupDataList* list = c->GetDataList();
  EXPECT_EQ(list->GetListFields().size(), 2u);
  TypeKey(c, Qt::Key_Down);  // nothing chosen yet: the first record
  EXPECT_EQ(list->GetKeyValue(), Variant(std::int16_t(1)));
  Trace.Clear();
  TypeKey(c, Qt::Key_Return);
  EXPECT_EQ(Trace.Str(), "CloseUp accept;KeyValue Smallint(1);OnCloseUp Smallint(1)");
  EXPECT_EQ(c->GetText(), "English");
  c->SetKeyValue(Variant(7));
  EXPECT_EQ(c->GetText(), "Polski");
}

// ---------------------------------------------------------------- the list box

TEST_F(DBLookupTest, ListBoxKeysMouseAndScrollBar) {
  auto* box = new TDBLookupListBox(Form);
  box->SetName("Box");
  box->SetBounds(10, 40, 200, 0);
  box->SetRowCount(5);
  box->SetParent(Form);
  box->SetOnClick(Method<&DBLookupTest::OnClick>(this));
  box->SetDataSource(DSPeople);
  box->SetDataField("Lang");
  box->SetListSource(DSLang);
  box->SetKeyField("Id");
  box->SetListField("Id;Name");
  box->SetListFieldIndex(1);
  EXPECT_EQ(box->GetHeight(), 5 * 13 + 4);
  EXPECT_EQ(box->GetListLink()->GetBufferCount(), 5);
  EXPECT_TRUE(box->ScrollBarVisible());
  EXPECT_EQ(box->GetClientRect(), (TRect{0, 0, 200 - 4 - 16, 5 * 13}));
  ShowForm(box);
  EXPECT_EQ(box->GetKeyValue(), Variant(std::int16_t(2)));
  // Keys write the chosen key into the person's record.
  Trace.Clear();
  TypeKey(box, Qt::Key_Down);
  EXPECT_EQ(PersonLang(), "3");
  EXPECT_EQ(Trace.Str(), "Click Box");
  TypeKey(box, Qt::Key_End);
  EXPECT_EQ(PersonLang(), "8");
  TypeKey(box, Qt::Key_PageUp);
  EXPECT_EQ(PersonLang(), "4");
  TypeKey(box, Qt::Key_Left);
  EXPECT_EQ(PersonLang(), "3");
  TypeText(box, "ENG");
  EXPECT_EQ(PersonLang(), "1");
  EXPECT_EQ(box->GetSearchText(), "ENG");
  TypeKey(box, Qt::Key_Home);
  EXPECT_EQ(box->GetSearchText(), "");
  // A click chooses the row under the mouse (inside the 2-pixel border).
  ClickAt(box, Qt::LeftButton, QPoint(2 + 30, 2 + 3 * 13 + 5));
  EXPECT_EQ(PersonLang(), "4");
  // The scroll bar moves the rows, not the choice.
  int bar = 2 + box->GetClientWidth() + 8;
  ClickAt(box, Qt::LeftButton, QPoint(bar, 2 + 5 * 13 - 3));  // the down arrow
  EXPECT_EQ(PersonLang(), "4");
  int current = box->GetListLink()->GetActiveRecord();
  box->GetListLink()->SetActiveRecord(0);
  EXPECT_EQ(Langs->FieldByName("Id")->GetAsInteger(), 2);  // the first visible row
  box->GetListLink()->SetActiveRecord(current);
  ClickAt(box, Qt::LeftButton, QPoint(2 + 30, 2 + 5));
  EXPECT_EQ(PersonLang(), "2");
  // Dragged from a row to above the rows, the choice follows and the rows scroll, a
  // record per move.
  QTest::mousePress(WidgetOf(box), Qt::LeftButton, Qt::NoModifier, QPoint(2 + 30, 2 + 13 + 5));
  EXPECT_EQ(PersonLang(), "3");
  EXPECT_EQ(GetCaptureControl(), box);
  QTest::mouseMove(WidgetOf(box), QPoint(2 + 30, -6));
  EXPECT_EQ(PersonLang(), "1");
  QTest::mouseRelease(WidgetOf(box), Qt::LeftButton, Qt::NoModifier, QPoint(2 + 30, -6));
  EXPECT_EQ(PersonLang(), "1");
  EXPECT_EQ(GetCaptureControl(), nullptr);
  // A read-only list box chooses nothing.
  box->SetReadOnly(true);
  TypeKey(box, Qt::Key_Down);
  ClickAt(box, Qt::LeftButton, QPoint(2 + 30, 2 + 4 * 13 + 5));
  EXPECT_EQ(PersonLang(), "1");
}

// ---------------------------------------------------------------- many rows

TEST_F(DBLookupTest, AListOf100000RowsReadsOnlyItsVisibleRecords) {
  auto* big = new TCountingDataSet(DM);
  big->GetFieldDefs()->Add("Id", ftInteger);
  big->GetFieldDefs()->Add("Name", ftString, 24);
  big->CreateDataSet();
  big->Fill(100000);
  auto* source = new TDataSource(DM);
  source->SetDataSet(big);
  auto* c = new TDBLookupComboBox(Form);
  c->SetBounds(10, 10, 200, 21);
  c->SetParent(Form);
  c->SetListSource(source);
  c->SetKeyField("Id");
  c->SetListField("Name;Id");
  c->SetKeyValue(Variant(99990));
  ShowForm(c);
  EXPECT_EQ(c->GetText(), "Language 99990");
  big->Loads = 0;
  TypeKey(c, Qt::Key_F4);
  TPopupDataList* list = c->GetDataList();
  ASSERT_TRUE(list->GetVisible());
  EXPECT_EQ(list->GetListLink()->GetBufferCount(), 7);
  EXPECT_EQ(list->GetListLink()->GetRecordCount(), 7);
  EXPECT_EQ(big->GetBufferCount(), 7);
  EXPECT_LE(big->Loads, 4 * 7) << "records read to drop down";
  // Typing searches the whole list; each step reads one window of records.
  big->Loads = 0;
  TypeText(c, "language 5000");
  EXPECT_EQ(list->GetKeyValue(), Variant(5000));
  EXPECT_LE(big->Loads, 13 * 2 * 7) << "records read for 13 search steps";
  big->Loads = 0;
  TypeKey(c, Qt::Key_End);
  TypeKey(c, Qt::Key_PageUp);
  EXPECT_EQ(list->GetKeyValue(), Variant(100000 - 6));
  EXPECT_LE(big->Loads, 4 * 7) << "records read to go to the end and a page back";
  big->Loads = 0;
  TypeKey(c, Qt::Key_Return);
  EXPECT_EQ(c->GetKeyValue(), Variant(100000 - 6));
  EXPECT_EQ(c->GetText(), "Language 99994");
  EXPECT_EQ(big->GetBufferCount(), 1);  // the list let go of its rows
  EXPECT_LE(big->Loads, 2 * 7) << "records read to close up";
}

// ---------------------------------------------------------------- form files

TEST_F(DBLookupTest, FormFilesCarryTheBindingAndTheSettings) {
  const char* text =
      "object LkForm2: TForm\n"
      "  object Combo: TDBLookupComboBox\n"
      "    Left = 8\n    Top = 8\n    Width = 160\n    Height = 21\n"
      "    DataField = 'LangName'\n    DataSource = LkDM.DSPeople\n"
      "    DropDownRows = 4\n    DropDownWidth = 250\n    ListField = 'Name;Font'\n"
      "  end\n"
      "  object Box: TDBLookupListBox\n"
      "    Left = 8\n    Top = 40\n    Width = 160\n    Height = 69\n"
      "    KeyField = 'Id'\n    ListField = 'Id;Name'\n    ListFieldIndex = 1\n"
      "    ListSource = LkDM.DSLang\n    ReadOnly = True\n  end\n"
      "end\n";
  auto* form = new TForm(nullptr);
  ReadComponentInto(text, form);
  auto* combo = static_cast<TDBLookupComboBox*>(form->FindComponent("Combo"));
  auto* box = static_cast<TDBLookupListBox*>(form->FindComponent("Box"));
  ASSERT_TRUE(combo && box);
  EXPECT_TRUE(combo->GetLookupMode());
  EXPECT_EQ(combo->GetText(), "Русский");
  EXPECT_EQ(combo->GetDropDownRows(), 4);
  EXPECT_EQ(combo->GetDropDownWidth(), 250);
  EXPECT_EQ(box->GetRowCount(), 5);
  EXPECT_TRUE(box->GetReadOnly());
  EXPECT_EQ(box->GetSearchField()->GetFieldName(), "Name");
  EXPECT_EQ(box->GetText(), "");
  // Written back: the binding and the settings, not the key field that the lookup field
  // gives the combo; reading that gives the same text again.
  std::string written = WriteComponentText(form);
  EXPECT_NE(written.find("    DataField = 'LangName'\n    DataSource = LkDM.DSPeople\n    ListField = 'Name;Font'\n"
                         "    DropDownRows = 4\n    DropDownWidth = 250\n  end\n"),
            std::string::npos)
      << written;
  EXPECT_NE(written.find("    KeyField = 'Id'\n    ListField = 'Id;Name'\n    ListFieldIndex = 1\n"
                         "    ListSource = LkDM.DSLang\n    ReadOnly = True\n  end\n"),
            std::string::npos)
      << written;
  delete form;
  form = new TForm(nullptr);
  ReadComponentInto(written, form);
  EXPECT_EQ(WriteComponentText(form), written);
  delete form;
}

// ---------------------------------------------------------------- painting

/// The form with the drop-down list painted over it where it lies on the screen.
QImage FormWithDropDown(TForm* form, TDBLookupComboBox* combo) {
  QImage image = Grab(form);
  if (combo->GetListVisible()) {
    TPopupDataList* list = combo->GetDataList();
    QPainter p(&image);
    p.drawImage(list->GetLeft() - form->GetLeft(), list->GetTop() - form->GetTop(), Grab(list));
  }
  return image;
}

TEST_F(DBLookupTest, TheComboAndItsListLookRight) {
  Form->SetBounds(100, 60, 420, 200);
  Langs->FieldByName("Name")->SetDisplayWidth(12);
  auto* closed = LookupCombo(10, 10);
  auto* open = new TDBLookupComboBox(Form);
  open->SetName("Open");
  open->SetBounds(10, 50, 180, 21);
  open->SetParent(Form);
  open->SetListSource(DSLang);
  open->SetKeyField("Id");
  open->SetListField("Id;Name;Font");
  open->SetListFieldIndex(1);
  open->SetDropDownWidth(260);
  open->SetKeyValue(Variant(3));
  ShowForm(open);
  TypeKey(open, Qt::Key_F4);
  ProcessEvents();
  QImage image = FormWithDropDown(Form, open);
  image.save(QString::fromUtf8(QOR_BINARY_DIR "/lookup-combo.png"));

  auto at = [&](int x, int y) { return image.pixelColor(x, y); };
  QColor white(255, 255, 255), highlight = QColor::fromRgb(ColorToRGB(clHighlight) & 0xFF,
                                                           (ColorToRGB(clHighlight) >> 8) & 0xFF,
                                                           (ColorToRGB(clHighlight) >> 16) & 0xFF);
  // The closed combo: a sunken frame, the white face with its text, the button.
  EXPECT_EQ(closed->GetText(), "Русский");
  EXPECT_NE(at(10 + 0, 10 + 10), white);  // the frame's outer edge
  EXPECT_EQ(at(10 + 100, 10 + 4), white);  // the face right of the text
  EXPECT_EQ(at(10 + 2 + 124 + 3, 10 + 10), QColor(240, 240, 240));  // the button face (clBtnFace)
  // The list below the open combo: three columns, the chosen row in the highlight colour.
  TPopupDataList* list = open->GetDataList();
  int listTop = list->GetTop() - Form->GetTop();
  EXPECT_EQ(listTop, 50 + 21);
  int row2 = listTop + 1 + 2 * 13;
  EXPECT_EQ(at(10 + 1 + 2, row2 + 6), highlight);  // left of the right-aligned Id
  EXPECT_EQ(at(10 + 1 + 2, row2 + 13 + 6), white);
  // A separator after the Id column (3 characters of 7 pixels, plus 4).
  int sep = 10 + 1 + 3 * 7 + 4;
  EXPECT_NE(at(sep, listTop + 1 + 5 * 13 + 6), white);
  EXPECT_EQ(at(sep + 2, listTop + 1 + 5 * 13 + 12), white);
  // The scroll bar (8 languages, 7 rows) at the right edge.
  EXPECT_TRUE(list->ScrollBarVisible());
}

}  // namespace
