// Makes the window layer's classes known to form files.
#pragma once

namespace fw {

/// Registers the forms, controls, menus and dialogs (and the core classes); calling it
/// again does nothing more.
void RegisterUiClasses();

}  // namespace fw
