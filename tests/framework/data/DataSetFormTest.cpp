// Datasets in form files: Active, Filter and Filtered take effect when loading ends whatever
// their order, open lookups written by the writer read back, circular lookups are refused
// at their place, and errors of finishing the load name the place of the object.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/DataModule.h"
#include "framework/core/Exceptions.h"
#include "framework/data/DataClasses.h"
#include "framework/data/MemDataSet.h"
#include "framework/stream/FormReader.h"
#include "framework/stream/FormWriter.h"

namespace {

using namespace fw;

/// A data module holding one dataset `Tb` with the given property lines and an Id field.
std::string OneTable(const std::vector<std::string>& props) {
  std::string text = "object DM: TDataModule\n  object Tb: TMemDataSet\n";
  for (const std::string& p : props) text += "    " + p + "\n";
  text +=
      "    object TbId: TIntegerField\n"
      "      FieldName = 'Id'\n"
      "    end\n"
      "  end\n"
      "end\n";
  return text;
}

TEST(DataSetFormTest, ActiveAndFilterTakeEffectWhenLoadingEndsWhateverTheOrder) {
  RegisterDataClasses();
  std::vector<std::string> props = {"Active = True", "Filter = 'Id > 1'", "Filtered = True"};
  std::sort(props.begin(), props.end());
  do {
    std::string text = OneTable(props);
    SCOPED_TRACE(text);
    std::unique_ptr<TComponent> dm;
    try {
      dm.reset(ReadComponentText(text, nullptr));
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
      continue;
    }
    auto* tb = static_cast<TMemDataSet*>(dm->FindComponent("Tb"));
    ASSERT_TRUE(tb->GetActive());
    for (int id : {1, 2, 3}) {
      tb->Append();
      tb->FieldByName("Id")->SetAsInteger(id);
      tb->Post();
    }
    EXPECT_EQ(tb->GetRecordCount(), 2);
    EXPECT_EQ(tb->GetStoredRowCount(), 3);
  } while (std::next_permutation(props.begin(), props.end()));

  // The value read last is the one that counts.
  std::unique_ptr<TComponent> dm(ReadComponentText(OneTable({"Active = True", "Active = False"}), nullptr));
  EXPECT_FALSE(static_cast<TDataSet*>(dm->FindComponent("Tb"))->GetActive());
}

/// People (with a cached lookup of language names) before Langs, both open.
std::unique_ptr<TDataModule> OpenLookupTree() {
  auto dm = std::make_unique<TDataModule>(nullptr);
  dm->SetName("DM");
  auto* people = new TMemDataSet(dm.get());
  people->SetName("People");
  auto* langs = new TMemDataSet(dm.get());
  langs->SetName("Langs");
  auto field = [&](TField* f, const char* name, TDataSet* ds) {
    f->SetName(std::string(ds->GetName()) + name);
    f->SetFieldName(name);
    f->SetDataSet(ds);
    return f;
  };
  field(new TSmallintField(dm.get()), "Id", langs);
  field(new TStringField(dm.get()), "Name", langs);
  field(new TIntegerField(dm.get()), "Id", people);
  field(new TSmallintField(dm.get()), "Lang", people);
  TField* name = field(new TStringField(dm.get()), "LangName", people);
  name->SetFieldKind(fkLookup);
  name->SetKeyFields("Lang");
  name->SetLookupDataSet(langs);
  name->SetLookupKeyFields("Id");
  name->SetLookupResultField("Name");
  name->SetLookupCache(true);
  people->Open();
  return dm;
}

TEST(DataSetFormTest, TheWritersOutputOfOpenLookupsReadsBack) {
  RegisterDataClasses();
  std::unique_ptr<TDataModule> dm = OpenLookupTree();
  ASSERT_TRUE(dm->FindComponent("Langs") != nullptr);
  std::string text = WriteComponentText(dm.get());
  SCOPED_TRACE(text);
  // People comes first in the file: its lookup opens Langs before Langs' own Loaded runs.
  ASSERT_LT(text.find("object People"), text.find("object Langs"));
  std::unique_ptr<TComponent> back;
  try {
    back.reset(ReadComponentText(text, nullptr));
  } catch (const std::exception& e) {
    FAIL() << e.what();
  }
  EXPECT_TRUE(static_cast<TDataSet*>(back->FindComponent("People"))->GetActive());
  EXPECT_TRUE(static_cast<TDataSet*>(back->FindComponent("Langs"))->GetActive());
  EXPECT_EQ(WriteComponentText(back.get()), text);
}

TEST(DataSetFormTest, CircularLookupsAreRefusedAtTheirPlace) {
  RegisterDataClasses();
  struct Case {
    const char* what;
    std::string text;
    int line, col;
  };
  const Case cases[] = {
      {"a field nested in its own lookup dataset",
       "object DM: TDataModule\n"
       "  object Tb: TMemDataSet\n"
       "    object TbName: TStringField\n"
       "      FieldName = 'Name'\n"
       "      LookupDataSet = Tb\n"
       "    end\n"
       "  end\n"
       "end\n",
       5, 23},
      {"LookupDataSet before DataSet",
       "object DM: TDataModule\n"
       "  object Tb: TMemDataSet\n"
       "  end\n"
       "  object TbName: TStringField\n"
       "    FieldName = 'Name'\n"
       "    LookupDataSet = Tb\n"
       "    DataSet = Tb\n"
       "  end\n"
       "end\n",
       7, 15},
      {"a ring of two datasets",
       "object DM: TDataModule\n"
       "  object A: TMemDataSet\n"
       "    object AName: TStringField\n"
       "      FieldName = 'Name'\n"
       "      LookupDataSet = B\n"
       "    end\n"
       "  end\n"
       "  object B: TMemDataSet\n"
       "    object BName: TStringField\n"
       "      FieldName = 'Name'\n"
       "      LookupDataSet = A\n"
       "    end\n"
       "  end\n"
       "end\n",
       11, 23},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      std::unique_ptr<TComponent> dm(ReadComponentText(c.text, nullptr));
      ADD_FAILURE() << "read";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Detail(), "Circular datalinks are not allowed");
      EXPECT_EQ(e.Line(), c.line);
      EXPECT_EQ(e.Col(), c.col);
    }
  }
}

TEST(DataSetFormTest, ErrorsOfFinishingTheLoadNameThePlaceOfTheObject) {
  RegisterDataClasses();
  struct Case {
    const char* what;
    std::vector<std::string> props;
    const char* message;
  };
  const Case cases[] = {
      {"a filter naming no field", {"Active = True", "Filter = 'Nope = 1'", "Filtered = True"},
       "line 2, column 3: Tb: Field 'Nope' not found in filter \"Nope = 1\""},
      {"an index naming no field", {"Active = True", "IndexFieldNames = 'Nope'"},
       "line 2, column 3: Tb: Field 'Nope' not found"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      std::unique_ptr<TComponent> dm(ReadComponentText(OneTable(c.props), nullptr));
      ADD_FAILURE() << "read";
    } catch (const EReadError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(DataSetFormTest, MessagesQuotingInputKeepTextAfterANulByte) {
  RegisterDataClasses();
  try {
    std::unique_ptr<TComponent> dm(ReadComponentText(OneTable({"Filter = 'Id = '#0')'"}), nullptr));
    ADD_FAILURE() << "read";
  } catch (const EReadError& e) {
    EXPECT_EQ(std::string(e.what()),
              "line 3, column 14: Tb: Filter expression \"Id = #0)\" is invalid: unexpected ')' "
              "at position 7; expected a value");
  }
}

}  // namespace
