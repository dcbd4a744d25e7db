// remote-ctl: drives a running Remote through its automation endpoint.
//   remote-ctl [--socket PATH] resources
//   remote-ctl [--socket PATH] invoke RESOURCE ACTION [NAME=VALUE ...]

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "runtime/automation/protocol.hpp"

namespace {

using nlohmann::json;

constexpr const char* kUsage =
    "usage: remote-ctl [--socket PATH] resources\n"
    "       remote-ctl [--socket PATH] invoke RESOURCE ACTION [NAME=VALUE ...]\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

struct Exchange {
    std::optional<json> reply;
    std::string error;  // set when there is no reply
};

Exchange failed(std::string error) {
    return {std::nullopt, std::move(error)};
}

// Sends one request line and reads one reply line.
Exchange round_trip(const std::string& path, const json& request) {
    sockaddr_un addr{};
    if (path.empty() || path.size() >= sizeof(addr.sun_path)) {
        return failed("no automation socket (is XDG_RUNTIME_DIR set?)");
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        const std::string error = "cannot reach Remote at " + path + ": " + std::strerror(errno);
        ::close(fd);
        return failed(error);
    }
    const std::string line = request.dump() + "\n";
    if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size())) {
        ::close(fd);
        return failed("could not send the request");
    }
    std::string reply;
    char chunk[4096];
    while (reply.find('\n') == std::string::npos) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0)
            break;
        reply.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    try {
        return {json::parse(reply.substr(0, reply.find('\n'))), ""};
    } catch (const json::exception& error) {
        return failed(std::string("unreadable reply: ") + error.what());
    }
}

void print_resource(const json& r, int depth) {
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    std::printf("%s%s  [%s]  %s\n", indent.c_str(), r.value("id", "").c_str(),
                r.value("kind", "").c_str(), r.value("label", "").c_str());
    for (const auto& a : r.value("actions", json::array())) {
        std::string state = a.value("available", true) ? "available" : "unavailable";
        if (a.contains("unavailable")) {
            state += ": " + a["unavailable"].value("code", "") + " — " +
                     a["unavailable"].value("message", "");
        }
        std::printf("%s  - %s (%s, %s)%s  %s\n", indent.c_str(), a.value("id", "").c_str(),
                    a.value("label", "").c_str(), a.value("class", "").c_str(),
                    a.value("destructive", false) ? " destructive" : "", state.c_str());
    }
    for (const auto& c : r.value("children", json::array()))
        print_resource(c, depth + 1);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string socket_path = orvo_automation::default_socket_path();
    if (args.size() >= 2 && args[0] == "--socket") {
        socket_path = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        return args.empty() ? usage() : (std::fputs(kUsage, stdout), 0);
    }
    json request;
    if (args[0] == "resources" && args.size() == 1) {
        request = {{"request", "resources"}};
    } else if (args[0] == "invoke" && args.size() >= 3) {
        json arguments = json::object();
        for (std::size_t i = 3; i < args.size(); ++i) {
            const auto eq = args[i].find('=');
            if (eq == std::string::npos || eq == 0) {
                std::fprintf(stderr, "remote-ctl: argument '%s' is not NAME=VALUE\n",
                             args[i].c_str());
                return 2;
            }
            arguments[args[i].substr(0, eq)] = args[i].substr(eq + 1);
        }
        request = {
            {"request", "invoke"}, {"resource", args[1]}, {"action", args[2]}, {"args", arguments}};
    } else {
        return usage();
    }
    const Exchange result = round_trip(socket_path, request);
    if (!result.reply) {
        std::fprintf(stderr, "remote-ctl: %s\n", result.error.c_str());
        return 1;
    }
    const json& answer = *result.reply;
    if (!answer.value("ok", false)) {
        const std::string code = answer.value("code", "");
        std::fprintf(stderr, "remote-ctl: %s%s\n", answer.value("error", "failed").c_str(),
                     code.empty() ? "" : (" (" + code + ")").c_str());
        return 1;
    }
    if (answer.contains("resources")) {
        for (const auto& r : answer["resources"])
            print_resource(r, 0);
    } else {
        std::puts("ok");
    }
    return 0;
}
