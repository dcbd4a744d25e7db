#include "gui_app.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace ui_test {
namespace {

int g_argc = 1;
char g_name[] = "unit_ui";
char* g_argv[] = {g_name, nullptr};

std::unique_ptr<QGuiApplication>& instance() {
    static std::unique_ptr<QGuiApplication> app;
    return app;
}

class QtEnvironment : public ::testing::Environment {
  public:
    void TearDown() override { instance().reset(); }
};

[[maybe_unused]] const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

QGuiApplication& gui_app() {
    if (!instance()) {
        instance() = std::make_unique<QGuiApplication>(g_argc, g_argv);
    }
    return *instance();
}

}  // namespace ui_test
