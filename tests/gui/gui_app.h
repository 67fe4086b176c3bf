#pragma once

#include <QApplication>

namespace brindle::testing {

// The one QApplication of the GUI test executable, made by its main(); the tests run offscreen.
inline QApplication& gui_app() { return *static_cast<QApplication*>(QCoreApplication::instance()); }

}  // namespace brindle::testing
