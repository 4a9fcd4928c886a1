// The main of the window layer's test programs: Qt's offscreen platform unless another is
// asked for, the QApplication created before any test, the Qt widget set installed, and
// the pinned test font ("DejaVu Sans", 8 points) as every new control's font.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdio>

#include "framework/ui/Graphics.h"
#include "framework/ui/qt/QtWidgetSet.h"

namespace {

/// Qt's own messages, less the offscreen platform's notes about what it cannot do.
void QtMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith(QLatin1String("This plugin does not support")) ||
      message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
    return;
  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

int main(int argc, char** argv) {
  qInstallMessageHandler(QtMessages);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  fw::DefFontData().Name = "DejaVu Sans";
  fw::DefFontData().Height = -11;
  fw::qt::InstallQtWidgetSet();
  int result = RUN_ALL_TESTS();
  fw::qt::UninstallQtWidgetSet();
  return result;
}
