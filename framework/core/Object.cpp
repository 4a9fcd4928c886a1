#include "framework/core/Object.h"

#include "framework/core/TypInfo.h"

namespace fw {

const TClassInfo& TObject::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TObject>("TObject", nullptr).Build();
  return info;
}

std::string TObject::ClassName() const { return ClassType().Name(); }

bool TObject::InheritsFrom(const TClassInfo& cls) const { return ClassType().InheritsFrom(cls); }

}  // namespace fw
