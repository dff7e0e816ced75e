// Entry of the widget tests: one QApplication for the whole run, on the
// offscreen platform unless the caller chose another.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <clocale>
#include <cstdlib>

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C.UTF-8");
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  // Recovery records and locks of the windows under test go to a folder of
  // this run, never the user's state folder.
  QTemporaryDir state_home;
  setenv("XDG_STATE_HOME", state_home.path().toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
