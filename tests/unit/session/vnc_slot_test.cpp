// A VNC session in the slot, with the worker's side played by the test: pictures reach
// remote_frame without copying, and input is routed, refused and lost as the rules say.

#include <gtest/gtest.h>

#include "session/session_input.hpp"
#include "session/session_manager.hpp"
#include "unit/session/session_fixture.hpp"

namespace remote {
namespace {

using testing::SessionHarness;

class VncSlotTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto [sender, receiver] = sync::make_bounded_queue<rfb::VncInput>(rfb::kVncInputCapacity);
        worker_input.emplace(std::move(receiver));
        status = std::make_shared<rfb::StatusCell>(SessionStatus::connected());
        framebuffer = std::make_shared<rfb::FramebufferCell>();
        h.session = LiveSession{LiveSession::Vnc{VncSession{
            std::nullopt, rfb::VncWorkerHandle{std::move(sender), status, framebuffer}}}};
        h.session_target = h.add(ConnectionKind::Vnc, "desk", 5900).id;
    }

    void publish(std::uint16_t width, std::uint16_t height, std::uint64_t generation) {
        rfb::RfbFramebuffer fb(width, height, generation);
        fb.write_pixel(0, 0, {10, 20, 30, 255});
        framebuffer->set(fb.snapshot());
    }

    std::vector<rfb::VncInput> orders() {
        std::vector<rfb::VncInput> out;
        for (;;) {
            auto taken = worker_input->take_if_present();
            if (taken.status != sync::TakeStatus::Item) {
                return out;
            }
            out.push_back(*taken.item);
        }
    }

    SessionHarness h;
    std::optional<sync::Receiver<rfb::VncInput>> worker_input;
    std::shared_ptr<rfb::StatusCell> status;
    std::shared_ptr<rfb::FramebufferCell> framebuffer;
};

TEST_F(VncSlotTest, NewGenerationsBecomeTheRemoteFrameOverTheSamePixels) {
    EXPECT_TRUE(poll_session(h.fields()));  // the online mark only
    EXPECT_FALSE(h.remote_frame.has_value());

    publish(3, 2, 4);
    EXPECT_TRUE(poll_session(h.fields()));
    ASSERT_TRUE(h.remote_frame.has_value());
    EXPECT_EQ(h.remote_frame->width(), 3);
    EXPECT_EQ(h.remote_frame->height(), 2);
    EXPECT_EQ(h.remote_frame->data(), framebuffer->get()->bytes().data());
    EXPECT_EQ(h.remote_frame->data()[3], 255);
    EXPECT_EQ(vnc_session(h.session)->last_seen_generation, 4U);

    // Same generation: remote_frame is not rebuilt.
    const auto* before = h.remote_frame->bytes().get();
    framebuffer->set(rfb::RfbFramebuffer(3, 2, 4));
    EXPECT_FALSE(poll_session(h.fields()));
    EXPECT_EQ(h.remote_frame->bytes().get(), before);

    publish(5, 5, 5);
    EXPECT_TRUE(poll_session(h.fields()));
    EXPECT_EQ(h.remote_frame->width(), 5);
}

TEST_F(VncSlotTest, InputOnlyWhileConnectedAndRefusalsNamed) {
    status->set(SessionStatus::connecting());
    EXPECT_EQ(live_vnc(h.session), nullptr);
    status->set(SessionStatus::connected());
    VncSession* vnc = live_vnc(h.session);
    ASSERT_NE(vnc, nullptr);
    const rfb::VncInput key = rfb::VncKey{true, 0x61};
    for (std::size_t i = 0; i < rfb::kVncInputCapacity; ++i) {
        ASSERT_EQ(send_vnc_input(*vnc, key), std::nullopt) << i;
    }
    EXPECT_EQ(send_vnc_input(*vnc, key),
              "VNC input is busy; wait for the remote desktop to catch up");
    worker_input.reset();  // the worker ended abnormally; the status still reads Connected
    EXPECT_EQ(send_vnc_input(*vnc, key), "VNC session input channel is closed");
}

TEST_F(VncSlotTest, PointerButtonsMapOntoTheDrawnDesktopOnly) {
    publish(100, 50, 1);
    h.surface_rect = orvo_ui::Rect{10, 10, 210, 110};  // the desktop drawn at twice its size
    struct Case {
        orvo_ui::Point at;
        orvo_ui::PointerButton button;
        bool pressed;
        std::uint8_t mask_after;
        std::optional<rfb::VncPointer> sent;
    };
    const std::vector<Case> cases = {
        {{9, 20}, orvo_ui::PointerButton::Left, true, 0, std::nullopt},
        {{10, 10}, orvo_ui::PointerButton::Left, true, 1, rfb::VncPointer{1, 0, 0}},
        {{209.9, 109.9}, orvo_ui::PointerButton::Right, true, 5, rfb::VncPointer{5, 99, 49}},
        {{210, 50}, orvo_ui::PointerButton::Right, false, 5, std::nullopt},
        {{110, 60}, orvo_ui::PointerButton::Left, false, 4, rfb::VncPointer{4, 50, 25}},
    };
    for (const auto& c : cases) {
        route_pointer_button(h.fields(), c.at, c.button, c.pressed);
        EXPECT_EQ(h.button_mask, c.mask_after) << c.at.x << "," << c.at.y;
        const auto sent = orders();
        if (c.sent) {
            ASSERT_EQ(sent.size(), 1U);
            EXPECT_EQ(std::get<rfb::VncPointer>(sent[0]), *c.sent);
        } else {
            EXPECT_TRUE(sent.empty());
        }
    }
    route_pointer_moved(h.fields(), {60, 35});
    const auto moved = orders();
    ASSERT_EQ(moved.size(), 1U);
    EXPECT_EQ(std::get<rfb::VncPointer>(moved[0]), (rfb::VncPointer{4, 25, 12}));
}

TEST_F(VncSlotTest, KeyPressesGoDownAndUpReleasesAreTakenButNotSent) {
    orvo_ui::KeyEvent press;
    press.character = "a";
    press.text = "a";
    EXPECT_TRUE(route_session_key(h.session, press));
    const auto sent = orders();
    ASSERT_EQ(sent.size(), 2U);
    EXPECT_EQ(std::get<rfb::VncKey>(sent[0]), (rfb::VncKey{true, 0x61}));
    EXPECT_EQ(std::get<rfb::VncKey>(sent[1]), (rfb::VncKey{false, 0x61}));
    orvo_ui::KeyEvent release = press;
    release.pressed = false;
    EXPECT_TRUE(route_session_key(h.session, release));
    EXPECT_TRUE(orders().empty());

    status->set(SessionStatus::ended());
    EXPECT_FALSE(route_session_key(h.session, press));
    EXPECT_TRUE(orders().empty());
}

}  // namespace
}  // namespace remote
