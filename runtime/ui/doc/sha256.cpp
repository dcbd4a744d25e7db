#include <nettle/sha2.h>

#include "runtime/ui/doc/change.hpp"

namespace orvo_ui::doc {

ChangeHash hash_change(std::span<const std::uint8_t> bytes) {
    sha256_ctx ctx;
    sha256_init(&ctx);
    sha256_update(&ctx, bytes.size(), bytes.data());
    ChangeHash out{};
    sha256_digest(&ctx, out.size(), out.data());
    return out;
}

}  // namespace orvo_ui::doc
