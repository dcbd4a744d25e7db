#include "runtime/ui/document_host.hpp"

#include <cstdio>

namespace orvo_ui {

DocumentHost::DocumentHost(app::App& app, std::unique_ptr<persist::PersistentDocument> document)
    : app_(app), document_(std::move(document)) {
    if (document_->watch_fd() >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(document_->watch_fd(), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { refresh(); });
    }
    poll_timer_ = std::make_unique<QTimer>();
    poll_timer_->setInterval(static_cast<int>(document_->poll_interval().count()));
    QObject::connect(poll_timer_.get(), &QTimer::timeout, [this] { refresh(); });
    poll_timer_->start();
    // The first synchronisation: the application mirrors (or seeds) the document.
    run([this] { app_.document_changed(document_->document()); });
}

DocumentHost::~DocumentHost() = default;

void DocumentHost::run(const std::function<void()>& callback) {
    app_.set_document_context(&document_->document());
    callback();
    app_.set_document_context(nullptr);
    commit_and_notify();
}

void DocumentHost::commit_and_notify() {
    if (!document_->document().has_uncommitted()) {
        return;
    }
    const auto written = document_->commit();
    if (!written.ok()) {
        // The change stays in memory and the next commit tries again.
        std::fprintf(stderr, "warning: could not save the document: %s\n",
                     written.error().message.c_str());
    }
    app_.set_document_context(&document_->document());
    app_.document_changed(document_->document());
    app_.set_document_context(nullptr);
    // Seeding an empty document writes; commit that too.
    if (document_->document().has_uncommitted()) {
        (void)document_->commit();
    }
    if (on_change_)
        on_change_();
}

void DocumentHost::refresh() {
    if (!document_->refresh()) {
        return;
    }
    app_.set_document_context(&document_->document());
    app_.document_changed(document_->document());
    app_.set_document_context(nullptr);
    commit_and_notify();
    if (on_change_)
        on_change_();
}

}  // namespace orvo_ui
