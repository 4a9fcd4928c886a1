// The data module TDM1: its class information with the published edit-data handlers, the
// reading of its built-in form file and the handlers themselves.
#include "demo/DModLk.h"

#include "framework/core/Exceptions.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataSet.h"
#include "framework/stream/Classes.h"
#include "framework/stream/FormReader.h"
#include "library/QorRegister.h"

namespace demo {

const fw::TClassInfo& TDM1::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TDM1>("TDM1", &fw::TDataModule::StaticClass())
          .Method<&TDM1::TbContEditData>("TbContEditData")
          .Method<&TDM1::TbProfEditData>("TbProfEditData")
          .Method<&TDM1::TbCountryEditData>("TbCountryEditData")
          .Method<&TDM1::TbPeopleLangNameEditData>("TbPeopleLangNameEditData")
          .Build();
  return info;
}

TDM1::TDM1(fw::TComponent* owner) : fw::TDataModule(owner) {}

void TDM1::LoadForm() {
  if (GetComponentCount() > 0) throw fw::EComponentError("TDM1: the form file is already read");
  fw::ReadComponentInto(DModLkFormText(), this);
}

void TDM1::ComponentMissing(const std::string& name) const {
  throw fw::EComponentError(fw::Format("%s: no component '%s' of the expected class", {GetName(), name}));
}

// The edit form on the table comes with the demonstration's windows; until then the call
// is only recorded. The table is looked up all the same, so that a call naming a table
// that the module lacks fails here as it would with the form.
void TDM1::EditTable(const char* handler, const std::string& tableName, qor::TFieldReturn* fieldReturn) {
  auto* table = ComponentAs<fw::TDataSet>(tableName);
  EditDataCalls.push_back(std::string(handler) + ": " + table->GetName());
}

void TDM1::TbContEditData(fw::TObject*, qor::TTypeShow, qor::TFieldReturn* fieldReturn) {
  EditTable("TbContEditData", "TbCont", fieldReturn);
}

void TDM1::TbProfEditData(fw::TObject*, qor::TTypeShow, qor::TFieldReturn* fieldReturn) {
  EditTable("TbProfEditData", "TbProf", fieldReturn);
}

void TDM1::TbCountryEditData(fw::TObject*, qor::TTypeShow, qor::TFieldReturn* fieldReturn) {
  EditTable("TbCountryEditData", "TbCountry", fieldReturn);
}

void TDM1::TbPeopleLangNameEditData(fw::TObject*, qor::TTypeShow, qor::TFieldReturn* fieldReturn) {
  EditTable("TbPeopleLangNameEditData", "TbLang", fieldReturn);
}

void RegisterDemoClasses() {
  qor::RegisterLibraryClasses();
  fw::RegisterClass(TDM1::StaticClass());
}

}  // namespace demo
