// Reads arbitrary bytes as a trust file. Whatever is accepted must be written back and read again
// to the same pins.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "known_hosts/known_hosts_json.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto hosts = remote::parse_known_hosts(text);
    if (!hosts.ok()) {
        return 0;
    }
    const auto written = remote::serialize_known_hosts(hosts.value());
    if (!written.ok()) {
        std::fprintf(stderr, "accepted store could not be written: %s\n", written.error().c_str());
        std::abort();
    }
    const auto again = remote::parse_known_hosts(written.value());
    if (!again.ok() || !(again.value() == hosts.value())) {
        std::fputs("written store does not read back to the same pins\n", stderr);
        std::abort();
    }
    return 0;
}
