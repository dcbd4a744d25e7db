// Keys and pointer events reaching a connected VNC session through the application's input
// handler: only in the session view, never with a confirmation open, and never the keys the
// shell keeps for itself.

#include <gtest/gtest.h>

#include <QGuiApplication>

#include "app/remote_app.hpp"

namespace remote {
namespace {

class AppRoutingTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "unit_session_routing";
        static char* argv[] = {name, nullptr};
        if (QGuiApplication::instance() == nullptr) {
            static QGuiApplication qt(argc, argv);
        }
    }

    void SetUp() override {
        auto [sender, receiver] = sync::make_bounded_queue<rfb::VncInput>(rfb::kVncInputCapacity);
        worker_input.emplace(std::move(receiver));
        status = std::make_shared<rfb::StatusCell>(SessionStatus::connected());
        auto framebuffer = std::make_shared<rfb::FramebufferCell>(rfb::RfbFramebuffer(100, 100));
        app.session = LiveSession{LiveSession::Vnc{VncSession{
            std::nullopt, rfb::VncWorkerHandle{std::move(sender), status, framebuffer}}}};
        app.view = AppView{AppView::Session{Uuid::random_v4()}};
        app.surface_rect = orvo_ui::Rect{0, 0, 100, 100};
    }

    std::size_t orders_sent() {
        std::size_t count = 0;
        while (worker_input->take_if_present().status == sync::TakeStatus::Item) {
            ++count;
        }
        return count;
    }

    static orvo_ui::KeyEvent character(const char* c, bool ctrl = false) {
        orvo_ui::KeyEvent key;
        key.character = c;
        key.text = ctrl ? "" : c;
        key.modifiers.ctrl = ctrl;
        return key;
    }

    RemoteApp app{{}, {}};
    std::optional<sync::Receiver<rfb::VncInput>> worker_input;
    std::shared_ptr<rfb::StatusCell> status;
};

TEST_F(AppRoutingTest, KeysReachTheSessionOnlyWhereTheRulesAllow) {
    orvo_ui::KeyEvent escape;
    escape.key = orvo_ui::NamedKey::Escape;
    struct Case {
        const char* name;
        orvo_ui::KeyEvent key;
        bool fullscreen;
        bool session_view;
        bool confirmation;
        std::size_t orders;
    };
    const std::vector<Case> cases = {
        {"letter", character("a"), false, true, false, 2},
        {"letter_outside_the_session_view", character("a"), false, false, false, 0},
        {"letter_under_a_confirmation", character("a"), false, true, true, 0},
        {"ctrl_w_stays_with_the_shell", character("w", true), false, true, false, 0},
        {"escape_in_fullscreen_stays_with_the_shell", escape, true, true, false, 0},
        {"escape_otherwise_goes_to_the_desktop", escape, false, true, false, 2},
    };
    for (const auto& c : cases) {
        app.fullscreen = c.fullscreen;
        app.view = c.session_view ? AppView{AppView::Session{Uuid::random_v4()}}
                                  : AppView{AppView::List{}};
        if (c.confirmation) {
            app.confirmation =
                PendingConfirmation{PendingConfirmation::Connect{"snapshot", Uuid::random_v4()}};
        } else {
            app.confirmation.reset();
        }
        app.input_event(orvo_ui::InputEvent{c.key});
        EXPECT_EQ(orders_sent(), c.orders) << c.name;
    }
}

TEST_F(AppRoutingTest, PointerGoesToTheDesktopUnlessAConfirmationIsOpen) {
    app.input_event(orvo_ui::InputEvent{orvo_ui::PointerMoved{{50, 50}}});
    EXPECT_EQ(orders_sent(), 1U);
    app.input_event(orvo_ui::InputEvent{
        orvo_ui::PointerButtonEvent{{50, 50}, orvo_ui::PointerButton::Left, true, {}}});
    EXPECT_EQ(orders_sent(), 1U);
    EXPECT_EQ(app.button_mask, 1);

    app.confirmation =
        PendingConfirmation{PendingConfirmation::Connect{"snapshot", Uuid::random_v4()}};
    app.input_event(orvo_ui::InputEvent{orvo_ui::PointerMoved{{60, 60}}});
    app.input_event(orvo_ui::InputEvent{
        orvo_ui::PointerButtonEvent{{60, 60}, orvo_ui::PointerButton::Left, false, {}}});
    EXPECT_EQ(orders_sent(), 0U);
    EXPECT_EQ(app.button_mask, 1);
}

}  // namespace
}  // namespace remote
