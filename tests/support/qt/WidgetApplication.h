// The one QApplication of a test program that shows widgets, made on first use; it lives to the
// end, because widgets made by earlier tests may still refer to it.
#pragma once

#include <QApplication>

namespace lumo::test {

inline void ensureWidgetApplication() {
    static int argc = 1;
    static char name[] = "lumo_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QApplication(argc, argv);
}

}  // namespace lumo::test
