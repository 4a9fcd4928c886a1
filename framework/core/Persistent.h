// TPersistent: objects that can be assigned to one another and streamed to form files.
#pragma once

#include <string>

#include "framework/core/Object.h"

namespace fw {

class TFiler;

class TPersistent : public TObject {
  FW_CLASS(TPersistent)
 public:
  /// Copies `source` into this object: asks the source to assign itself (AssignTo); an
  /// object that cannot be assigned raises EConvertError "Cannot assign a %s to a %s".
  virtual void Assign(const TPersistent* source);
  /// The name by which the object is known in its owner ("Form1.Table1", "Field.LookupLevels[0]").
  virtual std::string GetNamePath() const;
  /// The object that owns this one for naming and streaming, or null.
  virtual TPersistent* GetOwner() const { return nullptr; }
  /// Defines extra form-file properties (called by the reader and the writer).
  virtual void DefineProperties(TFiler* filer) {}

 protected:
  virtual void AssignTo(TPersistent* dest) const;
  [[noreturn]] void AssignError(const TPersistent* source) const;
};

}  // namespace fw
