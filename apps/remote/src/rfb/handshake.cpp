#include "rfb/handshake.hpp"

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform.hpp"
#include "rfb/vnc_auth.hpp"
#include "rfb/wire.hpp"

namespace remote::rfb {
namespace {

std::string_view as_text(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

constexpr std::uint8_t kSecurityNone = 1;
constexpr std::uint8_t kSecurityVncAuth = 2;

std::string_view trim_end(std::string_view text) {
    while (!text.empty()) {
        // Step back to the start of the last (valid) UTF-8 sequence.
        std::size_t start = text.size() - 1;
        while (start > 0 && (static_cast<std::uint8_t>(text[start]) & 0xC0) == 0x80) {
            --start;
        }
        const auto last = orvo_ui::utf8::first_scalar(text.substr(start));
        if (!last || !orvo_ui::utf8::is_white_space(*last)) {
            break;
        }
        text.remove_suffix(text.size() - start);
    }
    return text;
}

// Digits with an optional leading "+", at most 255.
std::optional<std::uint8_t> parse_u8(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 255) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint8_t>(value);
}

RfbStatus write_bytes(RfbStream& s, std::span<const std::uint8_t> bytes) {
    return s.write_all(bytes);
}

RfbStatus read_security_result(RfbStream& s) {
    auto result = read_u32(s);
    if (!result) {
        return result.error();
    }
    if (result.value() == 0) {
        return ok_status();
    }
    auto reason = read_reason_string(s);
    if (!reason) {
        return protocol_error("authentication failed");
    }
    return protocol_error(reason.value());
}

RfbStatus vnc_authenticate(RfbStream& s, const std::optional<std::string>& password) {
    VncChallenge challenge{};
    if (auto r = s.read_exact(challenge); !r) {
        return r;
    }
    const auto response = vnc_auth_response(challenge, password);
    if (auto r = write_bytes(s, response); !r) {
        return r;
    }
    return read_security_result(s);
}

RfbStatus security_3_3(RfbStream& s, const std::optional<std::string>& password) {
    auto type = read_u32(s);
    if (!type) {
        return type.error();
    }
    // Only the lowest byte is examined.
    const auto examined = static_cast<std::uint8_t>(type.value() & 0xFF);
    if (examined == kSecurityNone) {
        return ok_status();
    }
    if (examined == kSecurityVncAuth) {
        return vnc_authenticate(s, password);
    }
    return protocol_error("unhandled security type " + std::to_string(examined));
}

RfbStatus security_3_7_or_later(RfbStream& s, ProtocolVersion version,
                                const std::optional<std::string>& password) {
    auto count = read_u8(s);
    if (!count) {
        return count.error();
    }
    if (count.value() == 0) {
        auto reason = read_reason_string(s);
        if (!reason) {
            return reason.error();
        }
        return protocol_error(reason.value());
    }
    std::vector<std::uint8_t> types(count.value());
    if (auto r = s.read_exact(types); !r) {
        return r;
    }
    const auto offered = [&](std::uint8_t t) {
        return std::find(types.begin(), types.end(), t) != types.end();
    };
    std::uint8_t chosen = 0;
    if (offered(kSecurityNone)) {
        chosen = kSecurityNone;  // even when a password is set
    } else if (offered(kSecurityVncAuth)) {
        chosen = kSecurityVncAuth;
    } else {
        return protocol_error("no supported VNC security type");
    }
    const std::array<std::uint8_t, 1> choice{chosen};
    if (auto r = write_bytes(s, choice); !r) {
        return r;
    }
    if (chosen == kSecurityVncAuth) {
        return vnc_authenticate(s, password);
    }
    if (version.minor >= 8) {
        return read_security_result(s);
    }
    return ok_status();
}

RfbResult<ServerInit> read_server_init(RfbStream& s) {
    std::array<std::uint8_t, 24> b{};
    if (auto r = s.read_exact(b); !r) {
        return r.error();
    }
    ServerInit init;
    init.width = load_u16(&b[0]);
    init.height = load_u16(&b[2]);
    init.server_format = decode_pixel_format(std::span<const std::uint8_t, 16>(&b[4], 16));
    const std::uint32_t name_length = load_u32(&b[20]);
    if (name_length > kMaxDesktopNameBytes) {
        return protocol_error("RFB server name exceeds the 16 KiB limit");
    }
    if (std::uint64_t{init.width} * init.height > kMaxFramebufferPixels) {
        return protocol_error("RFB framebuffer dimensions exceed the 16 megapixel limit");
    }
    std::vector<std::uint8_t> name(name_length);
    if (auto r = s.read_exact(name); !r) {
        return r.error();
    }
    init.name = orvo_ui::utf8::decode_lossy(as_text(name));
    return init;
}

}  // namespace

std::optional<ProtocolVersion> parse_protocol_version(std::span<const std::uint8_t, 12> bytes) {
    const std::string_view text = as_text(bytes);
    if (!orvo_ui::utf8::valid(text)) {
        return std::nullopt;
    }
    if (!text.starts_with("RFB ")) {
        return std::nullopt;
    }
    const std::string_view rest = trim_end(text.substr(4));
    const std::size_t dot = rest.find('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    const auto major = parse_u8(rest.substr(0, dot));
    const auto minor = parse_u8(rest.substr(dot + 1));
    if (!major || !minor) {
        return std::nullopt;
    }
    return ProtocolVersion{*major, *minor};
}

ProtocolVersion choose_protocol_version(ProtocolVersion server) {
    if (server.major < 3 || (server.major == 3 && server.minor < 7)) {
        return {3, 3};
    }
    if (server.major == 3 && server.minor == 7) {
        return {3, 7};
    }
    return {3, 8};
}

RfbResult<std::string> read_reason_string(RfbStream& in) {
    auto length = read_u32(in);
    if (!length) {
        return length.error();
    }
    const std::uint32_t kept = std::min(length.value(), kMaxReasonBytesKept);
    std::vector<std::uint8_t> bytes(kept);
    if (auto r = in.read_exact(bytes); !r) {
        return r.error();
    }
    if (auto r = discard_bytes(in, length.value() - kept); !r) {
        return r.error();
    }
    return orvo_ui::utf8::decode_lossy(as_text(bytes));
}

RfbResult<ServerInit> run_handshake(RfbStream& stream, const std::optional<std::string>& password) {
    std::array<std::uint8_t, 12> server_version{};
    if (auto r = stream.read_exact(server_version); !r) {
        return r.error();
    }
    const auto parsed = parse_protocol_version(server_version);
    if (!parsed) {
        return protocol_error("bad ProtocolVersion");
    }
    const ProtocolVersion version = choose_protocol_version(*parsed);
    if (auto r = write_bytes(stream, encode_protocol_version(version)); !r) {
        return r.error();
    }
    const RfbStatus security = version.minor == 3
                                   ? security_3_3(stream, password)
                                   : security_3_7_or_later(stream, version, password);
    if (!security) {
        return security.error();
    }
    const std::array<std::uint8_t, 1> client_init{1};
    if (auto r = write_bytes(stream, client_init); !r) {
        return r.error();
    }
    return read_server_init(stream);
}

}  // namespace remote::rfb
