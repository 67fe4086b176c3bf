// The GUI tests' own main: the QApplication exists before any test builds a widget, whichever test
// a run selects, and outlives them all.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <clocale>
#include <iostream>

#include "gui/app/web_sandbox.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // The tests never need a display; listing them at build time must not need one either.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  brindle::gui::decide_web_sandbox(geteuid() == 0, std::cerr);
  QApplication application(argc, argv);
  // Qt takes the user's locale for everything, numbers included; the protocol's and the windows'
  // amounts are written and read with a decimal point whatever the user's language.
  std::setlocale(LC_NUMERIC, "C");
  return RUN_ALL_TESTS();
}
