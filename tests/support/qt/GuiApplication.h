// The one QGuiApplication of a test program, made on first use; it lives to the end, because
// Qt objects made by earlier tests may still refer to it.
#pragma once

#include <QCoreApplication>
#include <QGuiApplication>

namespace lumo::test {

inline void ensureGuiApplication() {
    static int argc = 1;
    static char name[] = "lumo_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QGuiApplication(argc, argv);
}

}  // namespace lumo::test
