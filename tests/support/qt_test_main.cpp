// GoogleTest main for tests on real widgets: one QApplication for the run,
// with Qt's own texts in Chinese as the program has them, and settings kept
// in a folder of the run's own: QSettings' default format becomes INI there,
// and the native format's user paths point there too, so that no test reads
// or writes the user's own store (a test that wants the registry on Windows
// asks for the native format).
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include "app/qt_translation.h"
#include "ui/ui.h"

// Read by LeakSanitizer in the sanitized build (unused elsewhere): leaks
// inside the system libraries that Qt's fonts and printing reach, which
// show now and then with their state (a font cache being rebuilt, a print
// service that does not answer in time), and the C library's message
// catalogue names that a print module looks up and that stay when it is
// unloaded (__argz_add_sep under an unknown module). Ours are still all
// reported.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libcups.so\nleak:__argz_add_sep\n";
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  gt7p::InstallQtTranslation(app);
  QTemporaryDir settingsFolder;
  QSettings::setDefaultFormat(QSettings::IniFormat);
  gt7p::PointStoreAt(settingsFolder.path());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
