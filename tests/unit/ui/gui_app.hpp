#pragma once
// One QGuiApplication for the whole test program (fonts, clipboard and painting need it).

#include <QGuiApplication>

namespace ui_test {

inline QGuiApplication& gui_app() {
    static int argc = 1;
    static char name[] = "unit_ui";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

}  // namespace ui_test
