#pragma once
// Tests that draw or measure text need one QGuiApplication; it renders offscreen.

#include <QGuiApplication>

#include <cstdlib>

namespace test_support {

inline void ensure_qt_app() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static QGuiApplication* app = new QGuiApplication(argc, argv);
        (void)app;
    }
}

}  // namespace test_support
