// GoogleTest main for tests on real widgets: one QApplication for the run,
// with Qt's own texts in Chinese as the program has them.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/qt_translation.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  gt7p::InstallQtTranslation(app);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
