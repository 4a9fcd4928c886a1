#include "framework/core/Persistent.h"

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/TypInfo.h"

namespace fw {

const TClassInfo& TPersistent::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TPersistent>("TPersistent", &TObject::StaticClass()).Build();
  return info;
}

void TPersistent::Assign(const TPersistent* source) {
  if (source) {
    source->AssignTo(this);
    return;
  }
  AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
  throw EConvertError(Format(SAssignError, {source ? source->ClassName() : "nil", ClassName()}));
}

std::string TPersistent::GetNamePath() const {
  std::string path = ClassName();
  if (TPersistent* owner = GetOwner()) {
    std::string ownerPath = owner->GetNamePath();
    if (!ownerPath.empty()) path = ownerPath + "." + path;
  }
  return path;
}

}  // namespace fw
