#pragma once
// Keeps the application's shared document in the event loop: every callback into the
// application runs with the document as its context, local edits are committed (written and
// fsynced) right after, and changes other replicas append are merged as they arrive.

#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <memory>

#include "runtime/ui/app.hpp"
#include "runtime/ui/persist/persistent_document.hpp"

namespace orvo_ui {

class DocumentHost {
  public:
    DocumentHost(app::App& app, std::unique_ptr<persist::PersistentDocument> document);
    ~DocumentHost();

    // Runs `callback` with the document as the application's context, then commits what it
    // changed and tells the application.
    void run(const std::function<void()>& callback);
    // Merges what other replicas appended; tells the application when something changed.
    void refresh();
    // Called after the application saw a change (the window schedules a paint).
    void set_on_change(std::function<void()> on_change) { on_change_ = std::move(on_change); }

    doc::Document& document() { return document_->document(); }

  private:
    void commit_and_notify();

    app::App& app_;
    std::unique_ptr<persist::PersistentDocument> document_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QTimer> poll_timer_;
    std::function<void()> on_change_;
};

}  // namespace orvo_ui
