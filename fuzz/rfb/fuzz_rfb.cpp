// Feeds arbitrary server byte streams to the RFB client's decoders.
//
// First byte odd: the whole input is a server's side of the handshake, followed (when the
// handshake succeeds on a small framebuffer) by server messages. First byte even: the next two
// bytes choose a framebuffer of 1 to 256 pixels a side and the rest is server messages, as after
// a valid ServerInit.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "rfb/handshake.hpp"
#include "rfb/update_decoder.hpp"
#include "rfb/wire.hpp"

namespace {

using namespace remote::rfb;

constexpr std::uint64_t kMaxFuzzPixels = 256 * 256;

// With `publish`, a snapshot is taken before each message, as the worker does, and every other
// one is kept through the next message too, so both ways of making the buffer exclusive (reusing
// a free older buffer, copying) are taken.
void run_messages(RfbStream& stream, RfbFramebuffer& fb, bool publish) {
    DecodeScratch scratch;
    const RfbPixelFormat format = client_pixel_format();
    std::optional<RfbFramebuffer> kept;
    for (unsigned count = 0;; ++count) {
        auto type = read_u8(stream);
        if (!type) {
            return;
        }
        if (!publish) {
            if (!read_server_message(type.value(), stream, fb, format, scratch)) {
                return;
            }
            continue;
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
        if (count % 2 == 0) {
            kept = published;
        } else {
            kept.reset();
        }
        if (!result) {
            return;
        }
    }
}

// Decodes the same messages with and without snapshots: reusing buffers must not change what
// the framebuffer ends up holding.
template <typename MakeStream>
void run_both_ways(MakeStream make_stream, std::uint16_t width, std::uint16_t height) {
    RfbFramebuffer published(width, height);
    RfbFramebuffer plain(width, height);
    {
        auto stream = make_stream();
        run_messages(stream, published, true);
    }
    {
        auto stream = make_stream();
        run_messages(stream, plain, false);
    }
    if (!std::equal(published.bytes().begin(), published.bytes().end(), plain.bytes().begin(),
                    plain.bytes().end())) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    if (data[0] & 1) {
        const auto input = std::span(data + 1, size - 1);
        MemoryStream probe(input);
        auto init = run_handshake(probe, std::nullopt);
        if (!init || std::uint64_t{init.value().width} * init.value().height > kMaxFuzzPixels) {
            return 0;
        }
        // Each run repeats the (deterministic) handshake on its own stream.
        run_both_ways(
            [&] {
                MemoryStream stream(input);
                (void)run_handshake(stream, std::nullopt);
                return stream;
            },
            init.value().width, init.value().height);
        return 0;
    }
    const auto messages = std::span(data + 3, size - 3);
    run_both_ways([&] { return MemoryStream(messages); }, static_cast<std::uint16_t>(data[1] + 1),
                  static_cast<std::uint16_t>(data[2] + 1));
    return 0;
}
