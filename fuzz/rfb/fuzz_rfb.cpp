// Feeds arbitrary server byte streams to the RFB client's decoders.
//
// First byte odd: the whole input is a server's side of the handshake, followed (when the
// handshake succeeds on a small framebuffer) by server messages. First byte even: the next two
// bytes choose a framebuffer of 1 to 256 pixels a side and the rest is server messages, as after
// a valid ServerInit.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "rfb/handshake.hpp"
#include "rfb/update_decoder.hpp"
#include "rfb/wire.hpp"

namespace {

using namespace remote::rfb;

constexpr std::uint64_t kMaxFuzzPixels = 256 * 256;

void run_messages(RfbStream& stream, RfbFramebuffer& fb) {
    DecodeScratch scratch;
    const RfbPixelFormat format = client_pixel_format();
    for (;;) {
        auto type = read_u8(stream);
        if (!type) {
            return;
        }
        // A snapshot published before a message must never change, whatever the message does.
        const RfbFramebuffer published = fb.snapshot();
        const std::vector<std::uint8_t> expected(published.bytes().begin(),
                                                 published.bytes().end());
        auto result = read_server_message(type.value(), stream, fb, format, scratch);
        if (!std::equal(expected.begin(), expected.end(), published.bytes().begin(),
                        published.bytes().end())) {
            __builtin_trap();
        }
        if (!result) {
            return;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    if (data[0] & 1) {
        MemoryStream stream(std::span(data + 1, size - 1));
        auto init = run_handshake(stream, std::nullopt);
        if (!init || std::uint64_t{init.value().width} * init.value().height > kMaxFuzzPixels) {
            return 0;
        }
        RfbFramebuffer fb(init.value().width, init.value().height);
        run_messages(stream, fb);
        return 0;
    }
    RfbFramebuffer fb(static_cast<std::uint16_t>(data[1] + 1),
                      static_cast<std::uint16_t>(data[2] + 1));
    MemoryStream stream(std::span(data + 3, size - 3));
    run_messages(stream, fb);
    return 0;
}
