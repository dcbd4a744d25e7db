#include "runtime/ui/utf8.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace orvo_ui;

struct Case {
    const char* what;
    std::string in;
    std::string lossy;  // each maximal ill-formed subpart becomes one U+FFFD
    bool valid;
};

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"empty", "", "", true},
        {"ascii", "VNC desktop", "VNC desktop", true},
        {"two-byte", "caf\xC3\xA9", "caf\xC3\xA9", true},
        {"three-byte", "\xC3\xA9\xE3\x80\x80", "\xC3\xA9\xE3\x80\x80", true},
        {"four-byte", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", true},
        {"U+10FFFF", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF", true},
        {"lone continuation", "a\x80z", "a\xEF\xBF\xBDz", false},
        {"overlong slash", "\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD", false},
        {"overlong three-byte", "\xE0\x80\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", false},
        {"surrogate", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", false},
        {"truncated three-byte is one subpart", "\xE2\x82", "\xEF\xBF\xBD", false},
        {"past U+10FFFF", "\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
         false},
        {"truncated then ascii", "\xF0\x9F\x98x", "\xEF\xBF\xBDx", false},
        {"0xFF", "\xFF", "\xEF\xBF\xBD", false},
    };
    return all;
}

TEST(Utf8, StrictCheckAndLossyDecoding) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(utf8::valid(c.in), c.valid);
        EXPECT_EQ(utf8::decode_lossy(c.in), c.lossy);
        EXPECT_EQ(utf8::decode(c.in).has_value(), c.valid);
        // Whatever comes in, what comes out is well-formed, and well-formed text passes as is.
        EXPECT_TRUE(utf8::valid(utf8::decode_lossy(c.in)));
        if (c.valid) {
            EXPECT_EQ(utf8::encode(*utf8::decode(c.in)), c.in);
        }
    }
}

TEST(Utf8, FirstScalar) {
    EXPECT_EQ(utf8::first_scalar("a"), U'a');
    EXPECT_EQ(utf8::first_scalar("\xC3\xA9t\xC3\xA9"), U'\u00E9');
    EXPECT_EQ(utf8::first_scalar("\xE2\x82\xAC"), U'\u20AC');
    EXPECT_FALSE(utf8::first_scalar(""));
    EXPECT_FALSE(utf8::first_scalar("\x80"));
}

}  // namespace
