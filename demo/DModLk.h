// The demonstration's data module TDM1: the tables of people, continents, professions,
// countries and languages, the lookup queries over them and the handlers that the
// edit-data calls of its datasets and lookup fields reach. Its components come from its
// form file (DModLk.dfm), which is built into the program.
#pragma once

#include <string>
#include <vector>

#include "framework/core/DataModule.h"
#include "library/QorDB.h"

namespace demo {

class TDM1 : public fw::TDataModule {
  FW_CLASS(TDM1)
 public:
  explicit TDM1(fw::TComponent* owner);

  /// Reads the module's built-in form file into it (once, on a module without components).
  void LoadForm();

  /// The component of that name as a T; raises fw::EComponentError when the module has no
  /// such component or it is of another class.
  template <class T>
  T* ComponentAs(const std::string& name) const {
    auto* c = dynamic_cast<T*>(FindComponent(name));
    if (!c) ComponentMissing(name);
    return c;
  }

  // Edit-data handlers (published). Each asks for the edit form on its table; until that
  // form exists it records "<handler>: <table name>" in EditDataCalls and returns.
  void TbContEditData(fw::TObject* sender, qor::TTypeShow typeShow, qor::TFieldReturn* fieldReturn);
  void TbProfEditData(fw::TObject* sender, qor::TTypeShow typeShow, qor::TFieldReturn* fieldReturn);
  void TbCountryEditData(fw::TObject* sender, qor::TTypeShow typeShow, qor::TFieldReturn* fieldReturn);
  void TbPeopleLangNameEditData(fw::TObject* sender, qor::TTypeShow typeShow, qor::TFieldReturn* fieldReturn);

  /// The edit-data calls received, oldest first.
  std::vector<std::string> EditDataCalls;

 private:
  [[noreturn]] void ComponentMissing(const std::string& name) const;
  void EditTable(const char* handler, const std::string& tableName, qor::TFieldReturn* fieldReturn);
};

/// The text of DModLk.dfm as it was when the program was built.
const std::string& DModLkFormText();

/// Makes TDM1 known to form files, with the library's classes. Calling it again does
/// nothing more.
void RegisterDemoClasses();

}  // namespace demo
