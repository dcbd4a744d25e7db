#pragma once
// One QGuiApplication for the whole test program (fonts, clipboard and painting need it). It
// is created on first use and destroyed after the last test, before Qt's own globals go.

#include <QGuiApplication>

namespace ui_test {

QGuiApplication& gui_app();

// Derive a fixture from this (before members that need Qt) to have the application exist
// when the members are built.
struct WithGuiApp {
    WithGuiApp() { gui_app(); }
};

}  // namespace ui_test
