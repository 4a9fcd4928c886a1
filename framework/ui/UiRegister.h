// Makes the window layer's classes known to form files.
#pragma once

namespace fw {

/// Registers the forms, menus and dialogs (and the core classes); calling it again does
/// nothing more. The standard controls register with RegisterControlsClasses
/// (framework/controls/ControlsRegister.h).
void RegisterUiClasses();

}  // namespace fw
