#include "runtime/automation/endpoint.hpp"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "runtime/automation/protocol.hpp"

namespace orvo_automation {
namespace {

using nlohmann::json;
namespace op = orvo_actions::operation;
using orvo_actions::resource::OperationClass;

constexpr std::size_t kMaxLine = 1 << 20;
constexpr int kPollIntervalMs = 50;
constexpr int kMaxPolls = 20 * 60 * 5;  // five minutes of polling

op::OperationId random_operation_id() {
    static std::random_device device;
    op::OperationId id{};
    for (auto& b : id)
        b = static_cast<std::uint8_t>(device());
    return id;
}

std::string system_error(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// The folder of the socket must be ours and closed to everybody else.
std::optional<std::string> prepare_folder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return system_error("cannot create " + folder.string());
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return system_error("cannot inspect " + folder.string());
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 077) != 0) {
        return folder.string() + " must be a folder of this user with mode 0700";
    }
    return std::nullopt;
}

// A socket file left by a process that is gone is removed; a live one means another instance
// serves the endpoint.
std::optional<std::string> clear_stale_socket(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return std::nullopt;
    if (!S_ISSOCK(st.st_mode))
        return path + " exists and is not a socket";
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    const bool live = ::connect(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(probe);
    if (live)
        return "another instance already serves " + path;
    ::unlink(path.c_str());
    return std::nullopt;
}

bool same_user(int fd) {
    ucred cred{};
    socklen_t length = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) == 0 && cred.uid == ::getuid();
}

}  // namespace

// ---------------------------------------------------------------- requests

RequestHandler::~RequestHandler() = default;

void RequestHandler::handle(const std::string& line, Reply reply) {
    json request;
    try {
        request = json::parse(line);
    } catch (const json::exception& error) {
        reply(error_reply(std::string("malformed request: ") + error.what()));
        return;
    }
    if (!request.is_object() || !request.contains("request") || !request["request"].is_string()) {
        reply(error_reply("malformed request: expected an object with a \"request\" text"));
        return;
    }
    const std::string kind = request["request"].get<std::string>();
    if (kind == "resources") {
        json out = ok_reply();
        out["resources"] = describe_resources(app_.resources(host_.document()));
        reply(out);
    } else if (kind == "invoke") {
        invoke(request, reply);
    } else {
        reply(error_reply("unknown request \"" + kind + "\""));
    }
}

void RequestHandler::invoke(const json& request, const Reply& reply) {
    const auto text_member = [&](const char* name) -> std::optional<std::string> {
        const auto it = request.find(name);
        if (it == request.end() || !it->is_string())
            return std::nullopt;
        return it->get<std::string>();
    };
    const auto resource_id = text_member("resource");
    const auto action_id = text_member("action");
    if (!resource_id || !action_id) {
        reply(error_reply("malformed request: invoke needs \"resource\" and \"action\" texts"));
        return;
    }
    orvo_actions::params::ActionArgs args;
    if (const auto it = request.find("args"); it != request.end()) {
        if (!it->is_object()) {
            reply(error_reply("malformed request: \"args\" must be an object of texts"));
            return;
        }
        for (const auto& [name, value] : it->items()) {
            if (!value.is_string()) {
                reply(error_reply("malformed request: argument \"" + name + "\" is not a text"));
                return;
            }
            args.set(name, value.get<std::string>());
        }
    }
    const auto roots = app_.resources(host_.document());
    const auto* resource = orvo_actions::resource::find_resource(roots, *resource_id);
    if (resource == nullptr) {
        reply(error_reply("no resource " + *resource_id, "unknown_resource"));
        return;
    }
    const auto* action = resource->find_action(*action_id);
    if (action == nullptr) {
        reply(error_reply("no action " + *action_id + " on " + *resource_id, "unknown_action"));
        return;
    }
    if (action->unavailable) {
        reply(error_reply(action->unavailable->message, action->unavailable->code));
        return;
    }
    auto built = action->build(args);
    if (const auto* error = std::get_if<orvo_actions::ActionError>(&built)) {
        reply(error_reply(error->message));
        return;
    }
    const auto payload = std::get<orvo_actions::EncodedAction>(built);

    switch (action->operation_class) {
        case OperationClass::None: {
            std::optional<orvo_actions::ActionError> error;
            host_.run([&] { error = app_.dispatch_document_action(host_.document(), payload); });
            reply(error ? error_reply(error->message) : ok_reply());
            return;
        }
        case OperationClass::View: {
            op::ApplyResult result;
            host_.run([&] {
                result =
                    app_.apply_operation(OperationClass::View, payload.type_name, payload.json);
            });
            if (std::holds_alternative<op::Handled>(result)) {
                reply(ok_reply());
            } else if (const auto* e = std::get_if<op::ApplyError>(&result)) {
                reply(error_reply(e->message));
            } else {
                reply(error_reply("not handled", "not_handled"));
            }
            return;
        }
        case OperationClass::Background: {
            const op::OperationId id = random_operation_id();
            op::StartResult result;
            host_.run([&] {
                result = app_.start_operation(id, OperationClass::Background, payload.type_name,
                                              payload.json);
            });
            if (std::holds_alternative<op::Completed>(result)) {
                reply(ok_reply());
            } else if (const auto* r = std::get_if<op::Rejected>(&result)) {
                reply(error_reply(r->message));
            } else if (std::holds_alternative<op::NotHandled>(result)) {
                reply(error_reply("not handled", "not_handled"));
            } else {
                pending_[id] = Pending{reply, kMaxPolls};
                if (!poll_timer_) {
                    poll_timer_ = std::make_unique<QTimer>();
                    QObject::connect(poll_timer_.get(), &QTimer::timeout, [this] { poll(); });
                }
                poll_timer_->start(kPollIntervalMs);
            }
            return;
        }
    }
}

void RequestHandler::poll() {
    for (auto it = pending_.begin(); it != pending_.end();) {
        const bool give_up = --it->second.polls_left <= 0;
        op::PollResult result;
        host_.run([&] { result = app_.poll_operation(it->first, give_up); });
        std::optional<json> answer;
        if (std::holds_alternative<op::PollCompleted>(result)) {
            answer = ok_reply();
        } else if (const auto* f = std::get_if<op::PollFailed>(&result)) {
            answer = error_reply(f->message, f->code);
        } else if (const auto* c = std::get_if<op::PollCancelled>(&result)) {
            answer = error_reply(c->message, "cancelled");
        } else if (give_up) {
            answer = error_reply("the operation did not finish in time", "timed_out");
        }
        if (answer) {
            const Reply reply = std::move(it->second.reply);
            it = pending_.erase(it);
            reply(*answer);
        } else {
            ++it;
        }
    }
    if (pending_.empty() && poll_timer_)
        poll_timer_->stop();
}

// ---------------------------------------------------------------- socket

std::variant<std::unique_ptr<Endpoint>, std::string> Endpoint::listen(const std::string& path,
                                                                      orvo_ui::app::App& app,
                                                                      orvo_ui::DocumentHost& host) {
    sockaddr_un addr{};
    if (path.empty() || path.size() >= sizeof(addr.sun_path)) {
        return std::string("no usable socket path");
    }
    if (auto problem = prepare_folder(std::filesystem::path(path).parent_path()))
        return *problem;
    if (auto problem = clear_stale_socket(path))
        return *problem;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return system_error("socket");
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    const mode_t old_mask = ::umask(0177);  // the socket is created 0600
    const int bound = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::umask(old_mask);
    if (bound != 0 || ::listen(fd, 8) != 0) {
        const std::string error = system_error("cannot listen on " + path);
        ::close(fd);
        return error;
    }
    return std::unique_ptr<Endpoint>(new Endpoint(path, fd, app, host));
}

Endpoint::Endpoint(std::string path, int fd, orvo_ui::app::App& app, orvo_ui::DocumentHost& host)
    : path_(std::move(path)), listen_fd_(fd), handler_(app, host) {
    notifier_ = std::make_unique<QSocketNotifier>(listen_fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { accept_client(); });
}

Endpoint::~Endpoint() {
    for (auto& [fd, client] : clients_) {
        *client.alive = false;
        ::close(fd);
    }
    clients_.clear();
    notifier_.reset();
    ::close(listen_fd_);
    ::unlink(path_.c_str());
}

void Endpoint::accept_client() {
    const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0)
        return;
    if (!same_user(fd)) {
        send(fd, error_reply("only the user running the application may automate it"));
        ::close(fd);
        return;
    }
    Client client;
    client.alive = std::make_shared<bool>(true);
    client.notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(client.notifier.get(), &QSocketNotifier::activated,
                     [this, fd] { read_client(fd); });
    clients_[fd] = std::move(client);
}

void Endpoint::read_client(int fd) {
    auto it = clients_.find(fd);
    if (it == clients_.end())
        return;
    char chunk[4096];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        close_client(fd);
        return;
    }
    if (n < 0)
        return;
    it->second.buffer.append(chunk, static_cast<std::size_t>(n));
    std::size_t newline;
    while ((newline = it->second.buffer.find('\n')) != std::string::npos) {
        const std::string line = it->second.buffer.substr(0, newline);
        it->second.buffer.erase(0, newline + 1);
        std::weak_ptr<bool> alive = it->second.alive;
        handler_.handle(line, [this, fd, alive](const json& reply) {
            if (auto a = alive.lock(); a && *a)
                send(fd, reply);
        });
        it = clients_.find(fd);
        if (it == clients_.end())
            return;
    }
    if (it->second.buffer.size() > kMaxLine) {
        send(fd, error_reply("request line too long"));
        close_client(fd);
    }
}

void Endpoint::close_client(int fd) {
    auto it = clients_.find(fd);
    if (it == clients_.end())
        return;
    *it->second.alive = false;
    clients_.erase(it);
    ::close(fd);
}

void Endpoint::send(int fd, const json& reply) {
    const std::string text = reply.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
    std::size_t sent = 0;
    int waits = 0;
    while (sent < text.size() && waits < 1000) {
        const ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            ++waits;  // a slow reader: replies are small, wait briefly but never for long
            ::usleep(1000);
        } else {
            return;
        }
    }
}

}  // namespace orvo_automation
