// qorlookup-demo, the demonstration program. `qorlookup-demo --check DIR` runs the start-up
// without windows on the tables in DIR (made there when absent): it registers the alias,
// loads the data module, opens its datasets and prints what the lookup fields show.
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "demo/DModLk.h"
#include "demo/DemoData.h"
#include "demo/InitAlias.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataSet.h"
#include "library/QorDB.h"
#include "library/QorLook.h"

namespace {

constexpr int ExitUsage = 2;

void PrintUsage(std::ostream& out) {
  out << "usage: qorlookup-demo --check DIR\n"
         "  --check DIR  registers the alias QorExample for DIR when absent, creates the\n"
         "               demonstration tables there when absent, loads the data module,\n"
         "               opens its datasets and prints the people with their lookup fields\n";
}

/// Opens every dataset of the module whose Tag ends in 9, in component order; an error
/// of one dataset is reported and the others are opened all the same. Returns whether
/// all of them opened.
bool OpenDataSets(demo::TDM1& dm) {
  bool allOpen = true;
  for (int i = 0; i < dm.GetComponentCount(); ++i) {
    auto* ds = dynamic_cast<fw::TDataSet*>(dm.GetComponent(i));
    if (!ds || ds->GetTag() % 10 != 9) continue;
    try {
      ds->Open();
    } catch (const std::exception& e) {
      std::cerr << "cannot open " << ds->GetName() << ": " << e.what() << "\n";
      allOpen = false;
    }
    std::cout << "dataset " << ds->GetName() << ": " << fw::EnumName(ds->GetState());
    if (ds->GetActive()) std::cout << ", " << ds->GetRecordCount() << " records";
    std::cout << "\n";
  }
  return allOpen;
}

void PrintPeople(demo::TDM1& dm) {
  auto* people = dm.ComponentAs<fw::TDataSet>("TbPeople");
  std::vector<qor::TQorLookField*> lookups;
  for (fw::TField* f : people->GetFields())
    if (auto* l = dynamic_cast<qor::TQorLookField*>(f)) lookups.push_back(l);
  for (people->First(); !people->GetEOF(); people->Next()) {
    std::cout << "person " << people->FieldByName("Name")->GetAsString() << "\n";
    for (qor::TQorLookField* l : lookups)
      std::cout << "  " << l->GetFieldName() << ": '" << l->GetAsString() << "' shown as '"
                << l->GetDisplayText() << "'\n";
  }
}

int Check(const std::string& dir) {
  qor::InitializeUnits();
  demo::RegisterDemoClasses();
  demo::InitAlias(dir);
  std::vector<std::string> created = demo::CreateDemoTables(dir);
  for (const std::string& name : created) std::cout << "created " << name << "\n";

  bool allOpen;
  {
    std::unique_ptr<demo::TDM1> dm(new demo::TDM1(nullptr));
    dm->LoadForm();
    allOpen = OpenDataSets(*dm);
    if (dm->ComponentAs<fw::TDataSet>("TbPeople")->GetActive()) PrintPeople(*dm);
  }
  qor::FinalizeUnits();
  if (!allOpen) {
    std::cerr << "qorlookup-demo: some datasets did not open\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() != 2 || args[0] != "--check") {
    PrintUsage(std::cerr);
    return ExitUsage;
  }
  try {
    return Check(args[1]);
  } catch (const std::exception& e) {
    std::cerr << "qorlookup-demo: " << e.what() << "\n";
    return 1;
  }
}
