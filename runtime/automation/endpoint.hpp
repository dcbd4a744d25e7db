#pragma once
// The running application's automation endpoint: a Unix socket only the same user may use,
// served on the UI thread between frames. Clients list resources and invoke actions; document
// actions go through the application's action host, view operations are applied, background
// operations are started and polled to their outcome.

#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <variant>

#include <nlohmann/json.hpp>

#include "runtime/ui/app.hpp"
#include "runtime/ui/document_host.hpp"

namespace orvo_automation {

using Reply = std::function<void(const nlohmann::json&)>;

// Answers requests against one application and its document (no sockets involved).
class RequestHandler {
  public:
    RequestHandler(orvo_ui::app::App& app, orvo_ui::DocumentHost& host) : app_(app), host_(host) {}
    ~RequestHandler();
    // Handles one request line; `reply` is called once, maybe later (background operations).
    void handle(const std::string& line, Reply reply);
    std::size_t pending_operations() const { return pending_.size(); }
    // Polls the background operations in flight (also driven by a timer).
    void poll();

  private:
    void invoke(const nlohmann::json& request, const Reply& reply);

    orvo_ui::app::App& app_;
    orvo_ui::DocumentHost& host_;
    struct Pending {
        Reply reply;
        int polls_left;
    };
    std::map<orvo_actions::operation::OperationId, Pending> pending_;
    std::unique_ptr<QTimer> poll_timer_;
};

class Endpoint {
  public:
    // Listens at `path`; an error text when the socket cannot be served safely.
    static std::variant<std::unique_ptr<Endpoint>, std::string> listen(const std::string& path,
                                                                       orvo_ui::app::App& app,
                                                                       orvo_ui::DocumentHost& host);
    ~Endpoint();
    Endpoint(const Endpoint&) = delete;
    Endpoint& operator=(const Endpoint&) = delete;

  private:
    Endpoint(std::string path, int fd, orvo_ui::app::App& app, orvo_ui::DocumentHost& host);
    void accept_client();
    void read_client(int fd);
    void close_client(int fd);
    void send(int fd, const nlohmann::json& reply);

    std::string path_;
    int listen_fd_;
    RequestHandler handler_;
    std::unique_ptr<QSocketNotifier> notifier_;
    struct Client {
        std::unique_ptr<QSocketNotifier> notifier;
        std::string buffer;
        std::shared_ptr<bool> alive;
    };
    std::map<int, Client> clients_;
};

}  // namespace orvo_automation
