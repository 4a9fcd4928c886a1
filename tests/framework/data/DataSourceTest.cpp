// Data sources and field data links: the source's events, a field link's view of its
// field through opening, editing and closing, and detaching when either side goes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/data/DataClasses.h"
#include "framework/data/DataSource.h"
#include "framework/data/MemDataSet.h"
#include "framework/stream/FormReader.h"

namespace {

using namespace fw;

class TSourceTrace : public TComponent {
 public:
  explicit TSourceTrace(TComponent* owner) : TComponent(owner) {}
  std::vector<std::string> Trace;
  void DataChange(TObject*, TField* f) { Trace.push_back("data " + (f ? f->GetFieldName() : std::string("*"))); }
  void StateChange(TObject* s) {
    Trace.push_back("state " + EnumName(static_cast<TDataSource*>(s)->GetState()));
  }
  void UpdateData(TObject*) { Trace.push_back("update"); }
  void LinkData(TObject*) { Trace.push_back("link data"); }
  void LinkUpdate(TObject* link) {
    Trace.push_back("link update");
    static_cast<TFieldDataLink*>(link)->GetField()->SetAsString("typed");
  }
};

class DataSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Table = new TMemDataSet(&Owner);
    Table->SetName("T");
    Table->GetFieldDefs()->Add("Name", ftString, 10);
    Source = new TDataSource(&Owner);
    Source->SetDataSet(Table);
    Trace = new TSourceTrace(&Owner);
    Source->SetOnDataChange(Method<&TSourceTrace::DataChange>(Trace));
    Source->SetOnStateChange(Method<&TSourceTrace::StateChange>(Trace));
    Source->SetOnUpdateData(Method<&TSourceTrace::UpdateData>(Trace));
  }
  TComponent Owner{nullptr};
  TMemDataSet* Table = nullptr;
  TDataSource* Source = nullptr;
  TSourceTrace* Trace = nullptr;
};

TEST_F(DataSourceTest, SourceAndFieldLinkFollowTheDataSet) {
  TFieldDataLink link;
  link.SetFieldName("Name");
  link.SetDataSource(Source);
  link.SetOnDataChange(Method<&TSourceTrace::LinkData>(Trace));
  link.SetOnUpdateData(Method<&TSourceTrace::LinkUpdate>(Trace));
  EXPECT_EQ(link.GetField(), nullptr);

  Table->CreateDataSet();
  EXPECT_TRUE(Table->GetDefaultFields());
  ASSERT_NE(link.GetField(), nullptr);
  EXPECT_EQ(link.GetField(), Table->FieldByName("Name"));

  Trace->Trace.clear();
  Table->Append();
  EXPECT_TRUE(link.GetEditing());
  link.Modified();
  Table->Post();
  EXPECT_FALSE(link.GetEditing());
  EXPECT_EQ(Table->FieldByName("Name")->GetAsString(), "typed");
  // Links write their edits first (a link does not hear of its own change), then the
  // source's OnUpdateData runs.
  EXPECT_EQ(Trace->Trace, (std::vector<std::string>{"state dsInsert", "link data", "data *", "link update",
                                                    "data Name", "update", "state dsBrowse", "link data",
                                                    "data *"}));

  Table->Close();
  EXPECT_EQ(link.GetField(), nullptr);  // default fields are gone with the cursor
  EXPECT_EQ(Table->GetFieldCount(), 0);
  EXPECT_EQ(Source->GetState(), dsInactive);
}

TEST_F(DataSourceTest, FreeingEitherSideDetaches) {
  auto link = std::make_unique<TDataLink>();
  link->SetDataSource(Source);
  delete Source;
  EXPECT_EQ(link->GetDataSource(), nullptr);

  auto* other = new TDataSource(&Owner);
  other->SetDataSet(Table);
  delete Table;
  EXPECT_EQ(other->GetDataSet(), nullptr);
}

TEST_F(DataSourceTest, ExchangingTheDataSetRebindsTheLinks) {
  // A field link on one open dataset keeps its field object until it hears that the
  // dataset is another one: the links pass through the inactive state.
  Table->CreateDataSet();
  auto* other = new TMemDataSet(&Owner);
  other->GetFieldDefs()->Add("Name", ftString, 10);
  other->CreateDataSet();
  TFieldDataLink link;
  link.SetFieldName("Name");
  link.SetDataSource(Source);
  ASSERT_EQ(link.GetField(), Table->FieldByName("Name"));
  Trace->Trace.clear();
  Source->SetDataSet(other);
  EXPECT_EQ(link.GetField(), other->FieldByName("Name"));
  EXPECT_EQ(Trace->Trace, (std::vector<std::string>{"state dsInactive", "state dsBrowse"}));
  // A closed dataset in place of an open one: the link lets go of the field.
  Table->Close();
  Source->SetDataSet(Table);
  EXPECT_EQ(link.GetField(), nullptr);
}

TEST_F(DataSourceTest, AFieldCanNameItsDataSetInAFormFile) {
  RegisterDataClasses();
  std::unique_ptr<TComponent> dm(ReadComponentText(
      "object DM: TDataModule\n"
      "  object Id: TIntegerField\n"
      "    DataSet = Q\n"
      "    FieldName = 'Id'\n"
      "  end\n"
      "  object Q: TMemDataSet\n"
      "  end\n"
      "end\n",
      nullptr));
  auto* q = static_cast<TMemDataSet*>(dm->FindComponent("Q"));
  ASSERT_EQ(q->GetFieldCount(), 1);
  EXPECT_EQ(q->GetField(0)->GetName(), "Id");
}

}  // namespace
