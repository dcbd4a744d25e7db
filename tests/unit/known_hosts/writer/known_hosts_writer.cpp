// Trusts and forgets one pin in a loop: `unit_known_hosts_writer STORE_PATH ITERATIONS`.
// Exits with 0 when every operation succeeded, else prints the first error and exits with 1.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "known_hosts/host_key_store.hpp"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: unit_known_hosts_writer STORE_PATH ITERATIONS\n", stderr);
        return 2;
    }
    const std::filesystem::path path = argv[1];
    const int iterations = std::atoi(argv[2]);
    const remote::HostKeyIdentity identity{"ssh-ed25519",
                                           "SHA256:WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"};
    for (int i = 0; i < iterations; ++i) {
        const auto trusted = remote::trust_host_key(path, "writer.example", 22, identity);
        if (!trusted.ok()) {
            std::fprintf(stderr, "trust: %s\n", trusted.error().c_str());
            return 1;
        }
        const auto forgot = remote::forget_host_key(path, "writer.example", 22);
        if (!forgot.ok() || !forgot.value()) {
            std::fprintf(stderr, "forget: %s\n",
                         forgot.ok() ? "no pin was found" : forgot.error().c_str());
            return 1;
        }
    }
    return 0;
}
