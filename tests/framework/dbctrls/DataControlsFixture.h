// Shared by the tests of the data text, check box, navigator and grid: a people table in
// memory (Id, Name, Lang, Active and the lookup field LangName on a languages table), a
// data source on it, a shown form to put controls on, and a dataset that counts the
// records it reads into its buffers.
#pragma once

#include <QImage>
#include <QRect>
#include <QTest>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/DataModule.h"
#include "framework/data/DataSource.h"
#include "framework/data/MemDataSet.h"
#include "framework/ui/Forms.h"
#include "tests/support/UiTestSupport.h"

namespace dbtest {

/// An in-memory dataset that counts every record read from its rows into a record buffer
/// (the only way rows reach data links and their controls), and that can be filled fast.
class TCountingDataSet : public fw::TMemDataSet {
 public:
  explicit TCountingDataSet(fw::TComponent* owner) : fw::TMemDataSet(owner) {}
  mutable std::int64_t Loads = 0;

  /// Appends `count` rows straight into the storage of the open dataset: Id = 1..count,
  /// Name = "Person <Id>"; the view is rebuilt and the cursor put on the first row.
  void FillPeople(int count) {
    fw::TField* id = FieldByName("Id");
    fw::TField* name = FieldByName("Name");
    ReserveRows(count);
    for (int i = 1; i <= count; ++i) {
      std::int64_t row = AppendStoredRow();
      std::uint8_t* data = StoredRowData(row);
      data[id->GetOffset()] = 1;
      id->VariantToNative(fw::Variant(i), data + id->GetOffset() + 1);
      data[name->GetOffset()] = 1;
      name->VariantToNative(fw::Variant("Person " + std::to_string(i)), data + name->GetOffset() + 1);
    }
    BuildView();
    First();
  }

 protected:
  void LoadRow(std::int64_t rowId, fw::TRecordBuffer& buffer) const override {
    ++Loads;
    fw::TMemDataSet::LoadRow(rowId, buffer);
  }
};

/// The people of the tests: Id, Name, Lang (a language code), Active (boolean) and the
/// lookup field LangName (the Name of Langs whose Id is Lang).
struct TPerson {
  int Id;
  const char* Name;
  int Lang;
  int Active;  // 1, 0, or -1 for null
};
inline const std::vector<TPerson> kPeople = {
    {1, "Alice", 1, 1}, {2, "Boris", 2, 0}, {3, "Carla", 3, -1}, {4, "Dmitry", 2, 1}, {5, "Erik", 9, 0},
};

/// A form (not yet shown) and a data module with a people table and its data source
/// "DataDM.Source"; controls go on Form.
class DataControlsTest : public uitest::TUiTest {
 protected:
  void SetUp() override {
    TUiTest::SetUp();
    Owner = new fw::TDataModule(nullptr);
    Owner->SetName("DataDM");
    Langs = new fw::TMemDataSet(Owner);
    Langs->SetName("Langs");
    Langs->GetFieldDefs()->Add("Id", fw::ftSmallint);
    Langs->GetFieldDefs()->Add("Name", fw::ftString, 20);
    Langs->CreateDataSet();
    for (auto [code, name] : std::vector<std::pair<int, const char*>>{{1, "English"}, {2, "Русский"}, {3, "Deutsch"}}) {
      Langs->Append();
      Langs->FieldByName("Id")->SetAsInteger(code);
      Langs->FieldByName("Name")->SetAsString(name);
      Langs->Post();
    }
    People = new TCountingDataSet(Owner);
    People->SetName("People");
    auto add = [&](fw::TField* f, const char* name) {
      f->SetFieldName(name);
      f->SetDataSet(People);
      return f;
    };
    add(new fw::TIntegerField(Owner), "Id")->SetDisplayWidth(5);
    add(new fw::TStringField(Owner), "Name")->SetSize(20);
    add(new fw::TSmallintField(Owner), "Lang");
    add(new fw::TBooleanField(Owner), "Active");
    LangName = add(new fw::TStringField(Owner), "LangName");
    LangName->SetSize(20);
    LangName->SetDisplayLabel("Language");
    LangName->SetFieldKind(fw::fkLookup);
    LangName->SetKeyFields("Lang");
    LangName->SetLookupDataSet(Langs);
    LangName->SetLookupKeyFields("Id");
    LangName->SetLookupResultField("Name");
    Source = new fw::TDataSource(Owner);
    Source->SetName("Source");
    Source->SetDataSet(People);
    Form = new fw::TForm(nullptr);
    Form->SetName("DataForm");
    Form->SetBounds(50, 50, 420, 300);
  }
  void TearDown() override {
    delete Form;
    Form = nullptr;
    delete Owner;
    TUiTest::TearDown();
  }
  /// Opens the people table with the rows of kPeople, on the first one.
  void OpenPeople() {
    People->CreateDataSet();
    for (const TPerson& p : kPeople) {
      People->Append();
      People->FieldByName("Id")->SetAsInteger(p.Id);
      People->FieldByName("Name")->SetAsString(p.Name);
      People->FieldByName("Lang")->SetAsInteger(p.Lang);
      if (p.Active >= 0) People->FieldByName("Active")->SetAsBoolean(p.Active == 1);
      People->Post();
    }
    People->First();
  }
  void ShowForm() {
    Form->Show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(uitest::WidgetOf(Form)));
  }
  template <class T>
  T* Place(const char* name, int left, int top, int width, int height) {
    auto* c = new T(Form);
    c->SetName(name);
    c->SetBounds(left, top, width, height);
    c->SetParent(Form);
    return c;
  }
  std::string Name() const { return People->FieldByName("Name")->GetAsString(); }

  fw::TDataModule* Owner = nullptr;  // a root: form files name its components as DataDM.X
  fw::TMemDataSet* Langs = nullptr;
  TCountingDataSet* People = nullptr;
  fw::TField* LangName = nullptr;
  fw::TDataSource* Source = nullptr;
  fw::TForm* Form = nullptr;
};

/// Dark pixels (text, glyphs, frames) inside a rectangle of an image.
inline int DarkPixels(const QImage& image, QRect r) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (qGray(image.pixel(x, y)) < 100) ++n;
  return n;
}

}  // namespace dbtest
