// TObject, the root of every class that takes part in run-time type information, and the
// macro that gives a class its class information (name, parent, published properties).
#pragma once

#include <string>

namespace fw {

class TClassInfo;

/// Declares the class information of a class: put it first in the class body.
#define FW_CLASS(Cls)                                                                  \
 public:                                                                                \
  static const ::fw::TClassInfo& StaticClass();                                        \
  const ::fw::TClassInfo& ClassType() const override { return Cls::StaticClass(); }   \
                                                                                        \
 private:

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static const TClassInfo& StaticClass();
  /// The class information of the object's own (most derived) class.
  virtual const TClassInfo& ClassType() const { return StaticClass(); }
  std::string ClassName() const;
  bool InheritsFrom(const TClassInfo& cls) const;
};

}  // namespace fw
