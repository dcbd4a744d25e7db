#include <gtest/gtest.h>

#include "actions/resources.hpp"
#include "app/remote_app.hpp"
#include "doc/profile_store.hpp"
#include "support/qt_app.hpp"

namespace remote {
namespace {

ConnectionProfile make_profile(std::string name) {
    ConnectionProfile p;
    p.id = Uuid::random_v4();
    p.name = std::move(name);
    p.host = "h-" + p.name;
    return p;
}

// Runs one callback the way the launcher does: with the document as context.
template <class Fn>
void with_document(RemoteApp& app, ProfileDocument& doc, Fn&& fn) {
    app.set_document_context(&doc);
    fn();
    app.set_document_context(nullptr);
}

class DocumentSyncTest : public ::testing::Test {
  protected:
    void SetUp() override { test_support::ensure_qt_app(); }
    static std::unique_ptr<RemoteApp> make_app(std::vector<ConnectionProfile> profiles) {
        auto app = std::make_unique<RemoteApp>(std::move(profiles), std::vector<DeviceEntry>{});
        register_codecs(*app->action_registry_mut());
        return app;
    }
};

TEST_F(DocumentSyncTest, FirstSynchronisationSeedsOrMirrors) {
    struct Case {
        const char* label;
        std::vector<ConnectionProfile> held;
        std::vector<ConnectionProfile> stored;
        std::size_t expected;
    };
    const auto a = make_profile("a");
    const auto b = make_profile("b");
    const Case cases[] = {
        {"ordinary build, empty document", {}, {}, 0},
        {"sample set seeds an empty document", sample_profiles(), {}, 8},
        {"a document with profiles replaces the sample set", sample_profiles(), {a, b}, 2},
    };
    for (const auto& c : cases) {
        ProfileDocument doc;
        for (const auto& p : c.stored)
            write_profile(doc, p);
        (void)doc.commit();
        auto app = make_app(c.held);
        EXPECT_TRUE(app->document_pending()) << c.label;
        app->document_changed(doc);
        EXPECT_FALSE(app->document_pending()) << c.label;
        EXPECT_EQ(app->profiles.size(), c.expected) << c.label;
        EXPECT_EQ(read_profiles(doc).size(), c.expected) << c.label;
        // After the first synchronisation the list holds exactly what the document holds.
        auto mirrored = app->profiles;
        std::sort(mirrored.begin(), mirrored.end(),
                  [](const auto& x, const auto& y) { return x.id < y.id; });
        auto stored = read_profiles(doc);
        std::sort(stored.begin(), stored.end(),
                  [](const auto& x, const auto& y) { return x.id < y.id; });
        EXPECT_EQ(mirrored, stored) << c.label;
        if (c.expected > 0) {
            ASSERT_TRUE(app->selected) << c.label;
            EXPECT_NE(app->find_profile(*app->selected), nullptr) << c.label;
        }
    }
}

TEST_F(DocumentSyncTest, RemovingTheSelectedProfileSelectsTheFirstMatch) {
    const auto alpha = make_profile("alpha");
    const auto beta = make_profile("beta");
    const auto gamma = make_profile("gamma");
    ProfileDocument doc;
    for (const auto& p : {alpha, beta, gamma})
        write_profile(doc, p);
    auto app = make_app({});
    app->document_changed(doc);
    app->handle(msg::Select{beta.id});
    app->search_text = "a";  // alpha, beta, gamma all match "a"; beta stays selected
    delete_profile(doc, beta.id);
    app->document_changed(doc);
    EXPECT_EQ(app->selected, alpha.id);
    app->search_text = "zzz";
    delete_profile(doc, alpha.id);
    app->document_changed(doc);
    EXPECT_FALSE(app->selected);
}

TEST_F(DocumentSyncTest, DeletingTheLiveProfileElsewhereEndsTheSession) {
    unsetenv("REMOTE_LIVE_SESSIONS");
    const auto p = make_profile("p");
    ProfileDocument doc;
    write_profile(doc, p);
    auto app = make_app({});
    app->document_changed(doc);
    app->handle(msg::Connect{p.id});
    ASSERT_TRUE(app->view.is<AppView::Session>());
    const auto generation = app->session_generation;
    // Another replica deletes it.
    ProfileDocument other;
    other.apply_changes(doc.changes_since({}));
    (void)doc.commit();
    other.apply_changes(doc.changes_since({}));
    delete_profile(other, p.id);
    (void)other.commit();
    doc.apply_changes(other.changes_since(doc.heads()));
    app->document_changed(doc);
    EXPECT_TRUE(app->view.is<AppView::List>());
    EXPECT_FALSE(app->session);
    EXPECT_EQ(app->session_generation, generation + 1);
}

TEST_F(DocumentSyncTest, ShellChangesTravelAsActions) {
    const auto p = make_profile("Box");
    ProfileDocument doc;
    write_profile(doc, p);
    auto app = make_app({});
    app->document_changed(doc);

    with_document(*app, doc, [&] { app->handle(msg::ToggleFavorite{p.id}); });
    EXPECT_TRUE(read_profiles(doc)[0].favorite);
    EXPECT_TRUE(app->profiles[0].favorite);
    const auto report = app->take_action_report();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->kind, "remote.action");
    EXPECT_FALSE(report->error);
    EXPECT_FALSE(app->take_action_report());

    with_document(*app, doc, [&] {
        app->handle(msg::NewConnectionForm{});
        app->form.name = "New";
        app->form.host = "new.example";
        app->handle(msg::SaveForm{});
    });
    EXPECT_EQ(read_profiles(doc).size(), 2u);
    EXPECT_TRUE(app->view.is<AppView::List>());

    with_document(*app, doc, [&] {
        app->handle(msg::RequestDelete{p.id});
        app->handle(msg::Confirm{});
    });
    const auto left = read_profiles(doc);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].name, "New");
    EXPECT_EQ(app->profiles.size(), 1u);
    EXPECT_EQ(app->selected, left[0].id);

    // Without a document the local change stays and nothing crashes.
    app->handle(msg::ToggleFavorite{left[0].id});
    EXPECT_TRUE(app->profiles[0].favorite);
    EXPECT_FALSE(read_profiles(doc)[0].favorite);
}

TEST_F(DocumentSyncTest, ConfirmRechecksTheProfile) {
    setenv("REMOTE_LIVE_SESSIONS", "1", 1);
    auto p = make_profile("Box");
    ProfileDocument doc;
    write_profile(doc, p);
    auto app = make_app({});
    app->document_changed(doc);

    // A rename elsewhere does not invalidate a delete confirmation.
    app->handle(msg::RequestDelete{p.id});
    rename_profile(doc, p.id, "Renamed");
    app->document_changed(doc);
    with_document(*app, doc, [&] { app->handle(msg::Confirm{}); });
    EXPECT_TRUE(read_profiles(doc).empty());

    // A port change elsewhere refuses a connect confirmation.
    write_profile(doc, p);
    app->document_changed(doc);
    app->handle(msg::RequestConnect{p.id});
    ASSERT_TRUE(app->confirmation);
    p.port = 2200;
    write_profile(doc, p);
    app->document_changed(doc);
    app->handle(msg::Confirm{});
    EXPECT_FALSE(app->confirmation);
    EXPECT_FALSE(app->session);
    EXPECT_EQ(app->notice,
              "This connection changed while confirmation was open. Review the current profile, "
              "then try again.");

    // A profile gone before confirmation.
    app->handle(msg::RequestDelete{p.id});
    delete_profile(doc, p.id);
    app->document_changed(doc);
    app->handle(msg::Confirm{});
    EXPECT_EQ(app->notice, "The saved connection was removed before confirmation.");
    unsetenv("REMOTE_LIVE_SESSIONS");
}

}  // namespace
}  // namespace remote
