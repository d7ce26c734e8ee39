#pragma once

#include <QApplication>

namespace qel::test {

// The one QApplication of a widget test binary, made on first use.
inline QApplication& guiApp() {
    static int argc = 1;
    static char name[] = "qel-gui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

} // namespace qel::test
