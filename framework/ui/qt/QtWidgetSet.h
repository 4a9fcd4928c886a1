// The widget set on Qt 6 Widgets: starting it, and rendering a window into a PNG file at a
// chosen device pixel ratio. The only folder of the window layer that includes Qt headers;
// this header itself includes none.
#pragma once

#include <string>

namespace fw {

class TWinControl;

namespace qt {

/// Installs the Qt widget set, Qt's message boxes and file dialogs (the window layer's
/// message service) and creates Screen and Application. A QApplication must exist.
void InstallQtWidgetSet();
/// Creates the QApplication when there is none yet, then InstallQtWidgetSet. `argc` and
/// `argv` must outlive the application.
void StartQtApplication(int& argc, char** argv);
/// Frees Application and Screen, then puts the default widget set and message service
/// back (the QApplication stays).
void UninstallQtWidgetSet();

/// Renders a window control (and what lies in it) into a PNG file at a device pixel ratio
/// (1 for plain, 2 for HiDPI); the image is the control's size times the ratio. False when
/// the file cannot be written.
bool SaveWindowImage(TWinControl* control, double devicePixelRatio, const std::string& fileName);

/// Whether the platform has a window manager that activates windows by itself (not the
/// offscreen and minimal platforms); only then do native activations move the screen's
/// active form.
bool NativeActivation();

}  // namespace qt
}  // namespace fw
