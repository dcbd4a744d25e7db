#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include "rfb/client_messages.hpp"
#include "rfb/framebuffer.hpp"
#include "rfb/input_mapping.hpp"

namespace remote::rfb {
namespace {

TEST(RfbFramebuffer, StartsTransparentAndReadsOutsideAsTransparent) {
    RfbFramebuffer fb(3, 2);
    EXPECT_EQ(fb.bytes().size(), 3u * 2u * 4u);
    for (auto b : fb.bytes()) {
        ASSERT_EQ(b, 0);
    }
    fb.write_pixel(3, 0, {1, 2, 3, 255});  // outside: ignored
    fb.write_pixel(0, 2, {1, 2, 3, 255});
    fb.write_pixel(65535, 65535, {1, 2, 3, 255});
    for (auto b : fb.bytes()) {
        ASSERT_EQ(b, 0);
    }
    EXPECT_EQ(fb.pixel(7, 7), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

TEST(RfbFramebuffer, PublishedSnapshotsNeverChangeAndExclusiveBuffersAreNotCopied) {
    RfbFramebuffer fb(2, 2);
    const std::uint8_t* before = fb.own_pixels().data;
    EXPECT_EQ(fb.own_pixels().data, before) << "an unshared buffer is written in place";

    fb.write_pixel(0, 0, {9, 9, 9, 255});
    const RfbFramebuffer snap = fb.snapshot();
    EXPECT_TRUE(fb.shares_pixels_with(snap)) << "a snapshot shares, not copies";
    fb.write_pixel(1, 1, {7, 7, 7, 255});
    EXPECT_FALSE(fb.shares_pixels_with(snap)) << "writing while shared copies first";
    EXPECT_EQ(snap.pixel(1, 1), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(snap.pixel(0, 0), (std::array<std::uint8_t, 4>{9, 9, 9, 255}));
    EXPECT_EQ(fb.pixel(0, 0), (std::array<std::uint8_t, 4>{9, 9, 9, 255}));
    EXPECT_EQ(fb.pixel(1, 1), (std::array<std::uint8_t, 4>{7, 7, 7, 255}));

    const std::uint8_t* copied = fb.own_pixels().data;
    fb.write_pixel(1, 0, {5, 5, 5, 255});
    EXPECT_EQ(fb.own_pixels().data, copied) << "once exclusive again, no further copies";
}

TEST(RfbFramebuffer, ABufferNobodyHoldsAnyMoreIsReusedInsteadOfCopied) {
    RfbFramebuffer fb(4, 4);
    fb.write_pixel(0, 0, {1, 1, 1, 255});
    std::optional<RfbFramebuffer> shown = fb.snapshot();
    const std::uint8_t* first = fb.shared_bytes()->data();
    fb.write_pixel(1, 1, {2, 2, 2, 255});  // shared: a new buffer
    const std::uint8_t* second = fb.shared_bytes()->data();
    ASSERT_NE(second, first);

    shown = fb.snapshot();  // the UI takes the new frame and lets the first one go
    fb.write_pixel(2, 2, {3, 3, 3, 255});
    EXPECT_EQ(fb.shared_bytes()->data(), first) << "the free older buffer comes back";
    EXPECT_EQ(fb.pixel(0, 0), (std::array<std::uint8_t, 4>{1, 1, 1, 255}));
    EXPECT_EQ(fb.pixel(1, 1), (std::array<std::uint8_t, 4>{2, 2, 2, 255}))
        << "what was written into the other buffer is carried over";
    EXPECT_EQ(fb.pixel(2, 2), (std::array<std::uint8_t, 4>{3, 3, 3, 255}));
    EXPECT_EQ(shown->pixel(2, 2), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));

    // While an older frame is still held somewhere, it is never written.
    const RfbFramebuffer held = fb.snapshot();
    const RfbFramebuffer also_held = *shown;
    shown = fb.snapshot();
    fb.write_pixel(3, 3, {4, 4, 4, 255});
    EXPECT_NE(fb.shared_bytes()->data(), first);
    EXPECT_NE(fb.shared_bytes()->data(), second);
    EXPECT_EQ(also_held.pixel(2, 2), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(held.pixel(3, 3), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

// Random rectangle writes against a plain copy of the expected pixels, with snapshots taken,
// held for a while and dropped in random patterns: every snapshot keeps exactly the pixels of
// its moment, and the framebuffer always holds every write, however its buffers were recycled.
TEST(RfbFramebuffer, RecyclingKeepsEveryWriteAndEverySnapshot) {
    constexpr std::uint32_t kW = 37, kH = 23;
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        auto pick = [&](std::uint32_t n) { return static_cast<std::uint32_t>(rng() % n); };
        RfbFramebuffer fb(kW, kH);
        std::vector<std::uint8_t> model(std::size_t{kW} * kH * 4, 0);
        std::vector<std::pair<RfbFramebuffer, std::vector<std::uint8_t>>> held;
        for (int step = 0; step < 400; ++step) {
            const std::uint32_t x = pick(kW + 5), y = pick(kH + 5);
            // Mostly small areas, sometimes more than the tracked number in a row.
            const std::uint32_t w = 1 + pick(pick(8) == 0 ? kW : 4);
            const std::uint32_t h = 1 + pick(pick(8) == 0 ? kH : 4);
            const auto value = static_cast<std::uint8_t>(1 + pick(250));
            const PixelPlane plane = fb.own_pixels(x, y, w, h);
            for (std::uint32_t row = y; row < std::min(y + h, kH); ++row) {
                for (std::uint32_t col = x; col < std::min(x + w, kW); ++col) {
                    std::memset(plane.at(col, row), value, 4);
                    std::memset(model.data() + (std::size_t{row} * kW + col) * 4, value, 4);
                }
            }
            if (pick(3) == 0) {
                held.emplace_back(fb.snapshot(), model);
            }
            while (!held.empty() && pick(2) == 0) {
                held.erase(held.begin() + pick(static_cast<std::uint32_t>(held.size())));
            }
            for (const auto& [snap, pixels] : held) {
                ASSERT_TRUE(std::equal(pixels.begin(), pixels.end(), snap.bytes().begin(),
                                       snap.bytes().end()));
            }
            ASSERT_TRUE(
                std::equal(model.begin(), model.end(), fb.bytes().begin(), fb.bytes().end()))
                << "step " << step;
        }
    }
}

TEST(ClientMessages, EncodeExactBytes) {
    EXPECT_EQ(encode_set_pixel_format(client_pixel_format()),
              (std::array<std::uint8_t, 20>{0, 0,   0, 0,   32, 24, 0, 1, 0, 255,
                                            0, 255, 0, 255, 16, 8,  0, 0, 0, 0}));
    EXPECT_EQ(encode_set_encodings(),
              (std::array<std::uint8_t, 16>{2, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2}));
    EXPECT_EQ(encode_update_request(false, 0x0500, 0x0320),
              (std::array<std::uint8_t, 10>{3, 0, 0, 0, 0, 0, 5, 0, 3, 0x20}));
    EXPECT_EQ(encode_update_request(true, 1, 2),
              (std::array<std::uint8_t, 10>{3, 1, 0, 0, 0, 0, 0, 1, 0, 2}));
    EXPECT_EQ(encode_vnc_input(VncKey{true, 0xFF0D}),
              (std::vector<std::uint8_t>{4, 1, 0, 0, 0, 0, 0xFF, 0x0D}));
    EXPECT_EQ(encode_vnc_input(VncKey{false, 0x10000E9}),
              (std::vector<std::uint8_t>{4, 0, 0, 0, 1, 0, 0, 0xE9}));
    EXPECT_EQ(encode_vnc_input(VncPointer{5, 0x1234, 0xFFFF}),
              (std::vector<std::uint8_t>{5, 5, 0x12, 0x34, 0xFF, 0xFF}));
}

TEST(MapPointer, StretchesTheFramebufferOverTheSurface) {
    const orvo_ui::Rect surface{100, 50, 500, 350};  // 400 x 300 logical units
    struct Case {
        const char* what;
        orvo_ui::Point p;
        std::uint16_t w, h;
        std::optional<FramebufferPoint> expected;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Case> cases = {
        {"top-left corner", {100, 50}, 800, 600, FramebufferPoint{0, 0}},
        {"centre", {300, 200}, 800, 600, FramebufferPoint{400, 300}},
        {"just inside the right edge", {499.999, 349.999}, 800, 600, FramebufferPoint{799, 599}},
        {"the right edge itself", {500, 200}, 800, 600, std::nullopt},
        {"the bottom edge itself", {300, 350}, 800, 600, std::nullopt},
        {"left of the surface", {99.9, 200}, 800, 600, std::nullopt},
        {"above the surface", {300, 49.9}, 800, 600, std::nullopt},
        {"truncates towards zero", {100.9, 50.9}, 800, 600, FramebufferPoint{1, 1}},
        {"smaller framebuffer", {499, 349}, 4, 3, FramebufferPoint{3, 2}},
        {"widest framebuffer", {499.9999, 50}, 65535, 1, FramebufferPoint{65534, 0}},
        {"no pixels", {300, 200}, 0, 600, std::nullopt},
        {"no rows", {300, 200}, 800, 0, std::nullopt},
        {"NaN position", {nan, 200}, 800, 600, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(map_pointer(c.p, surface, c.w, c.h), c.expected) << c.what;
    }
    EXPECT_EQ(map_pointer({0, 0}, {0, 0, 0, 10}, 10, 10), std::nullopt) << "zero-width surface";
    EXPECT_EQ(map_pointer({0, 0}, {0, 0, 10, -1}, 10, 10), std::nullopt) << "inverted surface";
}

TEST(Buttons, BitsAndMaskUpdates) {
    using orvo_ui::PointerButton;
    EXPECT_EQ(button_bit(PointerButton::Left), 1);
    EXPECT_EQ(button_bit(PointerButton::Middle), 2);
    EXPECT_EQ(button_bit(PointerButton::Right), 4);
    EXPECT_EQ(button_bit(PointerButton::Other), std::nullopt);
    struct Step {
        PointerButton button;
        bool pressed;
        std::uint8_t mask_after;
    };
    const std::vector<Step> steps = {
        {PointerButton::Left, true, 1},   {PointerButton::Right, true, 5},
        {PointerButton::Other, true, 5},  {PointerButton::Left, false, 4},
        {PointerButton::Middle, true, 6}, {PointerButton::Right, false, 2},
        {PointerButton::Right, false, 2}, {PointerButton::Middle, false, 0},
    };
    std::uint8_t mask = 0;
    for (const auto& s : steps) {
        mask = apply_button(mask, s.button, s.pressed);
        EXPECT_EQ(mask, s.mask_after);
    }
}

orvo_ui::KeyEvent key(orvo_ui::NamedKey named, std::string text, bool pressed = true) {
    orvo_ui::KeyEvent k;
    k.key = named;
    k.text = std::move(text);
    k.pressed = pressed;
    return k;
}

TEST(Keys, NamedTableThenProducedTextThenNothing) {
    using orvo_ui::NamedKey;
    struct Case {
        const char* what;
        orvo_ui::KeyEvent event;
        std::optional<std::uint32_t> keysym;
    };
    const std::vector<Case> cases = {
        {"Enter", key(NamedKey::Enter, "\r"), 0xFF0D},
        {"Tab", key(NamedKey::Tab, "\t"), 0xFF09},
        {"Space", key(NamedKey::Space, " "), 0x20},
        {"Arrow down", key(NamedKey::ArrowDown, ""), 0xFF54},
        {"Arrow left", key(NamedKey::ArrowLeft, ""), 0xFF51},
        {"Arrow right", key(NamedKey::ArrowRight, ""), 0xFF53},
        {"Arrow up", key(NamedKey::ArrowUp, ""), 0xFF52},
        {"Backspace", key(NamedKey::Backspace, "\b"), 0xFF08},
        {"Delete", key(NamedKey::Delete, ""), 0xFFFF},
        {"Escape", key(NamedKey::Escape, "\x1b"), 0xFF1B},
        {"letter a", key(NamedKey::None, "a"), 0x61},
        {"Shift+A", key(NamedKey::None, "A"), 0x41},
        {"e acute", key(NamedKey::None, "\xC3\xA9"), 0xE9},
        {"euro sign", key(NamedKey::None, "\xE2\x82\xAC"), 0x20AC},
        {"only the first character", key(NamedKey::None, "xy"), 0x78},
        {"Home sends nothing", key(NamedKey::Home, ""), std::nullopt},
        {"F5 sends nothing", key(NamedKey::F5, ""), std::nullopt},
        {"Shift alone sends nothing", key(NamedKey::Shift, ""), std::nullopt},
        {"a named key that produces text", key(NamedKey::Other, "q"), 0x71},
        {"ill-formed text sends nothing", key(NamedKey::None, "\xFF"), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(keysym_for_key(c.event), c.keysym) << c.what;
        const auto orders = key_press_orders(c.event);
        if (c.keysym) {
            EXPECT_EQ(orders,
                      (std::vector<VncInput>{VncKey{true, *c.keysym}, VncKey{false, *c.keysym}}))
                << c.what;
        } else {
            EXPECT_TRUE(orders.empty()) << c.what;
        }
    }
    EXPECT_TRUE(key_press_orders(key(NamedKey::Enter, "\r", false)).empty())
        << "releases are not sent";
}

}  // namespace
}  // namespace remote::rfb
