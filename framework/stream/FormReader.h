// Reading form files into component trees: classes by name from the registry, published
// and defined properties, references fixed up by name once the whole tree is read (also
// into other roots), handlers found among the root's published methods, and Loaded on
// every component at the end (its errors name the place of the component's object). A file
// that cannot be read leaves nothing behind.
#pragma once

#include <string>

#include "framework/stream/FormSyntax.h"

namespace fw {

class TComponent;

/// A form file that is well formed but does not fit the classes (unknown class or
/// property, value of the wrong kind, a reference that names nothing, a setter's error).
class EReadError : public EFormSyntaxError {
 public:
  using EFormSyntaxError::EFormSyntaxError;
};

/// Creates the root named by the file (its class must be registered), owned by `owner`,
/// and reads the whole tree into it. On error nothing that was created is left.
TComponent* ReadComponentText(const std::string& text, TComponent* owner);

/// Reads a file into an existing root (a form or data module reading its own file);
/// the file's root class must be the root's class or one of its bases. On error every
/// component created by the read is freed (the root itself stays, with its loading
/// state cleared).
void ReadComponentInto(const std::string& text, TComponent* root);

/// The same from a parsed tree.
TComponent* ReadComponentTree(const TFormObject& tree, TComponent* owner);
void ReadComponentTreeInto(const TFormObject& tree, TComponent* root);

}  // namespace fw
