#include "ssh/ssh_worker.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <variant>

#include "known_hosts/host_key_identity.hpp"
#include "ssh/client_settings.hpp"
#include "ssh/libssh_handles.hpp"
#include "ssh/ssh_pump.hpp"

namespace remote::ssh {
namespace {

// How a setup step ended: go on, stop quietly (the owner left), or fail with a text.
struct Stop {};
using Step = std::variant<std::monostate, Stop, std::string>;

Step connect_and_check(ssh_session session, const SshLaunch& launch, SshWorkerIo& io) {
    const StepResult connected =
        drive_step(session, io.input, SSH_AGAIN, [&] { return ssh_connect(session); });
    if (connected.abandoned) {
        return Stop{};
    }
    if (connected.code != SSH_OK) {
        return "connect: " + std::string(ssh_get_error(session));
    }
    // The host key is checked after key exchange and before anything of ours is sent.
    ssh_key raw = nullptr;
    if (ssh_get_server_publickey(session, &raw) != SSH_OK) {
        return "connect: " + std::string(ssh_get_error(session));
    }
    const KeyHandle key(raw);
    // libssh does not tell which signature hash it negotiated for an RSA host key, so RSA keys
    // are identified by the key alone, the same way on every connection.
    const auto identity = host_key_identity(key.get(), RsaSignatureHash::None);
    if (!identity.ok()) {
        return "connect: " + identity.error();
    }
    if (auto review =
            review_host_key(launch.known_hosts_path, launch.host, launch.port, identity.value())) {
        io.review->set(*review);
        return host_key_message(*review, launch.host, launch.port);
    }
    return std::monostate{};
}

std::variant<KeyHandle, std::string> load_private_key(const SshPublicKey& auth) {
    const auto failure = [&](const std::string& why) {
        return "load key " + auth.key_path.string() + ": " + why;
    };
    std::ifstream file(auth.key_path, std::ios::binary);
    if (!file) {
        return failure(std::strerror(errno));
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) {
        return failure(std::strerror(errno));
    }
    ssh_key key = nullptr;
    const char* passphrase = auth.passphrase ? auth.passphrase->c_str() : nullptr;
    if (ssh_pki_import_privkey_base64(text.str().c_str(), passphrase, nullptr, nullptr, &key) !=
        SSH_OK) {
        return failure(auth.passphrase
                           ? "not a private key, or the passphrase does not open it"
                           : "not a private key, or it needs REMOTE_SSH_KEY_PASSPHRASE");
    }
    return KeyHandle(key);
}

Step authenticate(ssh_session session, const SshLaunch& launch, const InputReceiver& input) {
    StepResult result;
    if (const auto* password = std::get_if<SshPassword>(&launch.auth)) {
        result = drive_step(session, input, SSH_AUTH_AGAIN, [&] {
            return ssh_userauth_password(session, nullptr, password->password.c_str());
        });
    } else {
        auto key = load_private_key(std::get<SshPublicKey>(launch.auth));
        if (auto* error = std::get_if<std::string>(&key)) {
            return *error;
        }
        // Asking for "none" first lets libssh read the server's server-sig-algs, which decides
        // the RSA signature hash it signs with.
        result = drive_step(session, input, SSH_AUTH_AGAIN,
                            [&] { return ssh_userauth_none(session, nullptr); });
        if (!result.abandoned && result.code != SSH_AUTH_SUCCESS && result.code != SSH_AUTH_ERROR) {
            const ssh_key private_key = std::get<KeyHandle>(key).get();
            result = drive_step(session, input, SSH_AUTH_AGAIN, [&] {
                return ssh_userauth_publickey(session, nullptr, private_key);
            });
        }
    }
    if (result.abandoned) {
        return Stop{};
    }
    if (result.code == SSH_AUTH_ERROR) {
        return std::string(ssh_get_error(session));
    }
    if (result.code != SSH_AUTH_SUCCESS) {
        return std::string("Authentication failed");
    }
    return std::monostate{};
}

Step open_shell(ssh_session session, ssh_channel channel, const SshLaunch& launch,
                const InputReceiver& input) {
    const auto run = [&](auto&& call) -> Step {
        const StepResult result = drive_step(session, input, SSH_AGAIN, call);
        if (result.abandoned) {
            return Stop{};
        }
        if (result.code != SSH_OK) {
            return std::string(ssh_get_error(session));
        }
        return std::monostate{};
    };
    Step step = run([&] { return ssh_channel_open_session(channel); });
    if (step.index() != 0) {
        return step;
    }
    step = run([&] {
        return ssh_channel_request_pty_size(channel, "xterm-256color", launch.columns, launch.rows);
    });
    if (step.index() != 0) {
        return step;
    }
    return run([&] { return ssh_channel_request_shell(channel); });
}

// The session procedure: none after a clean end (or when the owner left during setup), the
// failure text otherwise.
std::optional<std::string> run_procedure(const SshLaunch& launch, SshWorkerIo& io) {
    SessionHandle session(ssh_new());
    if (!session) {
        return std::string("runtime: could not create an SSH session");
    }
    if (auto error = apply_client_settings(session.get(), launch.host, launch.port, launch.user)) {
        return "connect: " + *error;
    }
    ssh_set_blocking(session.get(), 0);

    const auto as_result = [](const Step& step) -> std::optional<std::string> {
        if (const auto* text = std::get_if<std::string>(&step)) {
            return *text;
        }
        return std::nullopt;
    };
    Step step = connect_and_check(session.get(), launch, io);
    if (step.index() == 0) {
        step = authenticate(session.get(), launch, io.input);
    }
    if (step.index() != 0) {
        return as_result(step);
    }
    ChannelHandle channel(ssh_channel_new(session.get()));
    if (!channel) {
        return std::string(ssh_get_error(session.get()));
    }
    ShellPump pump(io.input, io.output);
    pump.attach(session.get(), channel.get());
    step = open_shell(session.get(), channel.get(), launch, io.input);
    if (step.index() != 0) {
        return as_result(step);
    }
    io.status->set(SessionStatus::connected());

    if (auto error = pump.run()) {
        return error;
    }
    // libssh releases its channels when it disconnects, so ours goes first.
    channel.reset();
    ssh_disconnect(session.get());
    io.status->update([](std::optional<SessionStatus>& status) {
        if (status && status->is<SessionStatus::Connected>()) {
            status = SessionStatus::ended();
        }
    });
    return std::nullopt;
}

}  // namespace

void report_failure(StatusCell& status, const std::string& text) {
    status.update([&](std::optional<SessionStatus>& value) {
        if (!value || !value->is<SessionStatus::Failed>()) {
            value = SessionStatus::failed(text);
        }
    });
}

void run_ssh_worker(const SshLaunch& launch, SshWorkerIo io) {
    if (auto error = run_procedure(launch, io)) {
        report_failure(*io.status, *error);
    }
}

}  // namespace remote::ssh
