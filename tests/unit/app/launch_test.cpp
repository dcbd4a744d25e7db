#include <gtest/gtest.h>

#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "app/launch_descriptor.hpp"
#include "runtime/ui/command_line.hpp"
#include "support/qt_app.hpp"

namespace remote {
namespace {

using orvo_ui::launch::CommandLineError;
using orvo_ui::launch::LaunchOptions;
using orvo_ui::launch::parse_command_line;

TEST(LaunchDescriptor, CarriesTheIdentifierAndTheThirteenScenes) {
    const auto d = launch_descriptor();
    EXPECT_EQ(d.app_id.size(), 14u);
    EXPECT_EQ(d.scenes.size(), 13u);
    EXPECT_EQ(d.scenes.front(), "narrow");
    EXPECT_EQ(d.scenes.back(), "confirm-ssh-trust");
    EXPECT_EQ(d.default_window_size().width, 1280);
    EXPECT_EQ(d.default_window_size().height, 800);
    for (const auto& list : d.reserved_lists)
        EXPECT_TRUE(list.empty());
    EXPECT_EQ(d.flags, (std::array<std::uint8_t, 4>{1, 0, 1, 1}));
}

TEST(CommandLine, ParsesOptionsAndRefusesMistakes) {
    const std::vector<std::string> scenes = {"narrow", "form"};
    struct Case {
        std::vector<std::string> args;
        std::string error_part;  // empty: parses
        std::string scene;
        int width = 0;
        int height = 0;
        std::string screenshot;
    };
    const std::vector<Case> cases = {
        {{}, "", "", 0, 0, ""},
        {{"--scene", "form", "--size", "640x480"}, "", "form", 640, 480, ""},
        {{"--screenshot", "out.png"}, "", "", 0, 0, "out.png"},
        {{"--scene", "Form"}, "unknown scene 'Form'", "", 0, 0, ""},
        {{"--scene"}, "--scene needs a value", "", 0, 0, ""},
        {{"--size", "640"}, "WIDTHxHEIGHT", "", 0, 0, ""},
        {{"--size", "0x480"}, "WIDTHxHEIGHT", "", 0, 0, ""},
        {{"--size", "64ox480"}, "WIDTHxHEIGHT", "", 0, 0, ""},
        {{"--size", "99999x480"}, "WIDTHxHEIGHT", "", 0, 0, ""},
        {{"--bogus"}, "unknown argument '--bogus'", "", 0, 0, ""},
    };
    for (const auto& c : cases) {
        const auto parsed = parse_command_line(c.args, scenes);
        if (!c.error_part.empty()) {
            const auto* error = std::get_if<CommandLineError>(&parsed);
            ASSERT_NE(error, nullptr) << c.error_part;
            EXPECT_NE(error->message.find(c.error_part), std::string::npos) << error->message;
            continue;
        }
        const auto* options = std::get_if<LaunchOptions>(&parsed);
        ASSERT_NE(options, nullptr);
        EXPECT_EQ(options->scene, c.scene);
        EXPECT_EQ(options->screenshot, c.screenshot);
        if (c.width) {
            ASSERT_TRUE(options->size);
            EXPECT_EQ(options->size->width, c.width);
            EXPECT_EQ(options->size->height, c.height);
        } else {
            EXPECT_FALSE(options->size);
        }
    }
}

// Runs the real program offscreen and reads back the PNG it writes.
QImage run_screenshot(const std::string& extra_args, const std::filesystem::path& out) {
    // The program opens (and in sample mode seeds) its document: keep it in the test folder.
    const auto home = out.parent_path();
    const std::string command =
        "env QT_QPA_PLATFORM=offscreen ORVO_REMOTE_SAMPLE=1 XDG_DATA_HOME='" +
        (home / "data").string() + "' XDG_STATE_HOME='" + (home / "state").string() + "' '" +
        std::string(REMOTE_BINARY) + "' --screenshot '" + out.string() + "' " + extra_args;
    const int status = std::system(command.c_str());
    EXPECT_EQ(status, 0) << command;
    return QImage(QString::fromStdString(out.string()));
}

TEST(Screenshot, TheProgramWritesTheFirstFrame) {
    test_support::ensure_qt_app();
    const auto dir =
        std::filesystem::temp_directory_path() / ("remote-shot-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    struct Case {
        std::string args;
        int width;
        int height;
    };
    const Case cases[] = {{"", 1280, 800}, {"--size 600x400 --scene narrow", 600, 400}};
    for (const auto& c : cases) {
        const QImage image = run_screenshot(c.args, dir / "shot.png");
        ASSERT_FALSE(image.isNull()) << c.args;
        EXPECT_EQ(image.width(), c.width);
        EXPECT_EQ(image.height(), c.height);
        // Not blank: the background colour and chrome drawn over it give several colours.
        std::set<QRgb> colours;
        for (int y = 0; y < image.height(); y += 7) {
            for (int x = 0; x < image.width(); x += 7)
                colours.insert(image.pixel(x, y));
        }
        EXPECT_GT(colours.size(), 3u) << c.args;
        EXPECT_EQ(QColor(image.pixel(c.width - 2, c.height - 2)).name(), "#0f1115") << c.args;
        std::filesystem::remove(dir / "shot.png");
    }
    // A mistake on the command line is refused with status 2 and writes nothing.
    const std::string bad = "'" + std::string(REMOTE_BINARY) + "' --scene nope --screenshot '" +
                            (dir / "bad.png").string() + "' 2>/dev/null";
    EXPECT_EQ(WEXITSTATUS(std::system(bad.c_str())), 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.png"));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace remote
