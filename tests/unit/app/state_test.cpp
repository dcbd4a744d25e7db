#include <gtest/gtest.h>

#include <cstdlib>

#include "app/remote_app.hpp"
#include "support/env_override.hpp"
#include "support/qt_app.hpp"

namespace remote {
namespace {

ConnectionProfile make_profile(std::string name, ConnectionKind kind = ConnectionKind::Ssh,
                               bool favorite = false) {
    ConnectionProfile p;
    p.id = Uuid::random_v4();
    p.name = std::move(name);
    p.kind = kind;
    p.host = "host-" + p.name;
    p.auth = kind == ConnectionKind::Orvo ? AuthMethod::DeviceIdentity : AuthMethod::Password;
    p.favorite = favorite;
    return p;
}

// Sets one environment variable (nullptr: unset) for the scope, then restores it.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) {
        env_.set(name, value ? std::optional<std::string>(value) : std::nullopt);
    }

  private:
    test_support::EnvOverride env_;
};

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override { test_support::ensure_qt_app(); }
    static void layout(RemoteApp& app, double width) {
        app.layout(orvo_ui::Rect::from_xywh(0, 0, width, 800), orvo_ui::Point{0, 0});
    }
};

TEST_F(AppTest, BuilderTakesSampleDataOnlyForExactlyOne) {
    struct Case {
        const char* value;  // nullptr: unset
        bool sample;
    };
    const Case cases[] = {{"1", true},   {nullptr, false}, {"", false},   {"1 ", false},
                          {" 1", false}, {"true", false},  {"11", false}, {"0", false}};
    for (const auto& c : cases) {
        ScopedEnv env("ORVO_REMOTE_SAMPLE", c.value);
        const auto app = build_app("form");
        EXPECT_EQ(app->profiles.size(), c.sample ? 8u : 0u) << (c.value ? c.value : "(unset)");
        EXPECT_EQ(app->devices.size(), c.sample ? 4u : 0u);
        // Outside sample mode a review scene other than the narrow ones changes nothing.
        EXPECT_TRUE(app->view.is<AppView::List>());
        if (c.sample) {
            ASSERT_TRUE(app->selected);
            EXPECT_EQ(app->find_profile(*app->selected)->name, "Build Box");
        } else {
            EXPECT_FALSE(app->selected);
        }
    }
}

TEST_F(AppTest, NarrowScenesForceThePaneInBothBuilds) {
    for (const char* sample : {"1", static_cast<const char*>(nullptr)}) {
        ScopedEnv env("ORVO_REMOTE_SAMPLE", sample);
        auto closed = build_app("narrow");
        layout(*closed, 1280);
        EXPECT_FALSE(closed->nav_pane_open());
        EXPECT_EQ(closed->nav.nav_progress, 0.0);
        auto open = build_app("narrow-open");
        layout(*open, 500);
        EXPECT_TRUE(open->nav_pane_open());
        EXPECT_EQ(open->nav.nav_progress, 1.0);
    }
}

TEST_F(AppTest, FirstLayoutOpensThePaneOnlyWhenWide) {
    struct Case {
        double width;
        bool narrow;
        bool open;
    };
    const Case cases[] = {
        {719.9, true, false}, {720.0, false, true}, {320, true, false}, {1280, false, true}};
    for (const auto& c : cases) {
        RemoteApp app({}, {});
        layout(app, c.width);
        EXPECT_EQ(app.nav.narrow, c.narrow) << c.width;
        EXPECT_EQ(app.nav_pane_open(), c.open) << c.width;
        EXPECT_EQ(app.nav.nav_progress, c.open ? 1.0 : 0.0) << c.width;
        EXPECT_FALSE(app.wants_animation_frames()) << c.width;
    }
}

TEST_F(AppTest, CrossingTheBreakpointForgetsTheExplicitChoice) {
    for (const auto& [from, to] : {std::pair{1000.0, 600.0}, std::pair{600.0, 1000.0}}) {
        RemoteApp app({}, {});
        layout(app, from);
        app.handle(msg::ToggleNavigation{});
        ASSERT_TRUE(app.nav.nav_open);
        layout(app, from + 10);  // same side: the choice stays
        EXPECT_TRUE(app.nav.nav_open);
        layout(app, to);
        EXPECT_FALSE(app.nav.nav_open);
        EXPECT_EQ(app.nav_pane_open(), to >= 720);
        // The pane now animates towards its new default.
        EXPECT_EQ(app.wants_animation_frames(), app.nav.nav_progress != (to >= 720 ? 1.0 : 0.0));
    }
}

TEST_F(AppTest, ListAndNewFormCloseAnExplicitlyOpenPaneOnlyWhenNarrow) {
    struct Case {
        double width;
        ShellMessage message;
        bool open_after;
    };
    const Case cases[] = {
        {500, msg::ShowConnections{}, false}, {500, msg::NewConnectionForm{}, false},
        {500, msg::CancelForm{}, false},      {500, msg::ToggleScale{}, true},
        {1000, msg::ShowConnections{}, true}, {1000, msg::NewConnectionForm{}, true},
    };
    for (const auto& c : cases) {
        RemoteApp app({}, {});
        layout(app, c.width);
        if (!app.nav_pane_open())
            app.handle(msg::ToggleNavigation{});
        ASSERT_TRUE(app.nav_pane_open());
        app.handle(c.message);
        EXPECT_EQ(app.nav_pane_open(), c.open_after) << c.width << " " << c.message.index();
    }
}

TEST_F(AppTest, ReducedMotionSnapsTheAnimation) {
    RemoteApp app({}, {});
    layout(app, 1000);
    app.handle(msg::ToggleNavigation{});
    EXPECT_TRUE(app.wants_animation_frames());
    app.set_reduce_motion(true);
    EXPECT_EQ(app.nav.nav_progress, 0.0);
    EXPECT_FALSE(app.wants_animation_frames());
}

TEST_F(AppTest, FocusSetsTouchedFlagsOnlyInTheForm) {
    RemoteApp app({}, {});
    app.handle(msg::NewConnectionForm{});
    EXPECT_EQ(app.focused_field, FieldId::Name);
    EXPECT_TRUE(app.input(FieldId::Name).focused());
    app.handle(msg::FocusField{FieldId::User});  // leaving Name touches it
    EXPECT_TRUE(app.touched_name);
    EXPECT_FALSE(app.input(FieldId::Name).focused());
    app.handle(msg::FocusField{FieldId::Port});  // leaving User touches nothing
    EXPECT_FALSE(app.touched_host);
    EXPECT_FALSE(app.touched_port);
    app.handle(msg::FocusField{FieldId::Host});
    EXPECT_TRUE(app.touched_port);
    app.handle(msg::ShowConnections{});  // leaves the form: focus released, Host touched
    EXPECT_FALSE(app.focused_field);
    EXPECT_TRUE(app.touched_host);
    // Reopening clears the display state; outside the form nothing gets touched.
    app.handle(msg::NewConnectionForm{});
    EXPECT_FALSE(app.touched_name || app.touched_host || app.touched_port || app.submit_attempted);
    app.handle(msg::ShowConnections{});
    app.touched_name = false;
    app.handle(msg::FocusField{FieldId::Search});
    app.handle(msg::FocusField{FieldId::Name});
    app.handle(msg::FocusField{FieldId::Search});
    EXPECT_FALSE(app.touched_name);
}

TEST_F(AppTest, FocusedWidgetIsNotOverwrittenByTheModel) {
    RemoteApp app({}, {});
    app.handle(msg::NewConnectionForm{});
    app.input_event(orvo_ui::TextCommitted{"Box"});
    EXPECT_EQ(app.form.name, "Box");
    app.form.name = "changed elsewhere";
    app.handle(msg::ToggleScale{});
    EXPECT_EQ(app.input(FieldId::Name).text(), "Box");
    app.handle(msg::FocusField{FieldId::Host});
    app.handle(msg::ToggleScale{});
    EXPECT_EQ(app.input(FieldId::Name).text(), "changed elsewhere");
}

TEST_F(AppTest, PortFieldKeepsDigitsOnly) {
    RemoteApp app({}, {});
    app.handle(msg::NewConnectionForm{});
    app.handle(msg::FocusField{FieldId::Port});
    app.form.port.clear();
    app.input(FieldId::Port).set_text("");
    for (const char* typed : {"8", "a", "0", "b", "1"}) {
        app.input_event(orvo_ui::TextCommitted{typed});
    }
    EXPECT_EQ(app.form.port, "801");
    EXPECT_EQ(app.input(FieldId::Port).text(), "801");
}

TEST_F(AppTest, MessagesForMissingProfilesChangeNothingButGiveTheirNotices) {
    RemoteApp app({make_profile("A")}, {});
    const Uuid gone = Uuid::random_v4();
    const Uuid kept = *app.selected;
    app.handle(msg::Select{gone});
    app.handle(msg::EditConnection{gone});
    app.handle(msg::Connect{gone});
    EXPECT_EQ(app.selected, kept);
    EXPECT_TRUE(app.view.is<AppView::List>());
    EXPECT_FALSE(app.session);
    EXPECT_FALSE(app.notice);
    app.handle(msg::RequestTrustSshHostKey{gone});
    EXPECT_FALSE(app.notice);
    app.handle(msg::RequestConnect{gone});
    EXPECT_EQ(app.notice, "That saved connection no longer exists.");
    app.notice.reset();
    app.handle(msg::RequestDelete{gone});
    EXPECT_EQ(app.notice, "That saved connection no longer exists.");
    EXPECT_FALSE(app.confirmation);
}

TEST_F(AppTest, ConfirmationsOpenAndCancelWithTheirNotice) {
    ScopedEnv live("REMOTE_LIVE_SESSIONS", "1");
    ConnectionProfile p = make_profile("A");
    p.port = 2222;
    p.user = "ann";
    RemoteApp app({p}, {});
    app.notice = "old";
    app.handle(msg::RequestConnect{p.id});
    EXPECT_FALSE(app.notice);
    ASSERT_TRUE(app.confirmation);
    const auto* connect = std::get_if<PendingConfirmation::Connect>(&app.confirmation->value);
    ASSERT_NE(connect, nullptr);
    EXPECT_EQ(connect->snapshot, "SSH|host-A|2222|ann|Password");
    app.handle(msg::CancelConfirmation{});
    EXPECT_FALSE(app.confirmation);
    EXPECT_EQ(app.notice, "Action cancelled. No connection or profile was changed.");
}

TEST_F(AppTest, UnavailableTransportConnectsAtOnceAndShowsWhy) {
    ScopedEnv live("REMOTE_LIVE_SESSIONS", nullptr);
    const ConnectionProfile p = make_profile("A");
    RemoteApp app({p}, {});
    app.fullscreen = true;
    app.handle(msg::RequestConnect{p.id});
    EXPECT_FALSE(app.confirmation);
    EXPECT_EQ(app.view, (AppView{AppView::Session{p.id}}));
    EXPECT_EQ(app.session_target, p.id);
    EXPECT_EQ(app.session_generation, 1u);
    EXPECT_FALSE(app.fullscreen);
    EXPECT_EQ(app.session_status(),
              SessionStatus::unavailable(
                  "SSH is installed, but this build has not been granted live network access."));
    // An unavailable start leaves the last-used text alone.
    EXPECT_EQ(app.profiles[0].last_used, "Never");
    EXPECT_FALSE(app.wants_animation_frames());

    app.handle(msg::Disconnect{});
    EXPECT_TRUE(app.view.is<AppView::List>());
    EXPECT_FALSE(app.session);
    EXPECT_FALSE(app.session_target);
    EXPECT_EQ(app.session_generation, 2u);
}

TEST_F(AppTest, ExhaustedGenerationRefusesToStartAndEndingKeepsTheMaximum) {
    const ConnectionProfile p = make_profile("A");
    RemoteApp app({p}, {});
    app.session_generation = std::numeric_limits<std::uint64_t>::max();
    app.handle(msg::Connect{p.id});
    EXPECT_EQ(app.session_status(),
              SessionStatus::failed("remote session identity exhausted; restart the application"));
    EXPECT_EQ(app.session_target, p.id);
    EXPECT_TRUE(app.view.is<AppView::Session>());
    app.handle(msg::Disconnect{});
    EXPECT_EQ(app.session_generation, std::numeric_limits<std::uint64_t>::max());
    EXPECT_TRUE(app.view.is<AppView::List>());
}

TEST_F(AppTest, FormKindAndDeviceRules) {
    RemoteApp app({}, sample_devices());
    app.handle(msg::NewConnectionForm{});
    app.handle(msg::SetKind{ConnectionKind::Vnc});
    EXPECT_EQ(app.form.port, "22");  // a chosen port stays
    app.handle(msg::SetKind{ConnectionKind::Orvo});
    EXPECT_EQ(app.form.port, "");
    EXPECT_EQ(app.form.auth, AuthMethod::DeviceIdentity);
    app.handle(msg::SetKind{ConnectionKind::Vnc});
    EXPECT_EQ(app.form.port, "5900");
    EXPECT_EQ(app.form.auth, AuthMethod::Password);

    app.handle(msg::PickDevice{app.devices.size()});  // out of range: ignored
    EXPECT_EQ(app.form.kind, ConnectionKind::Vnc);
    app.handle(msg::PickDevice{1});
    EXPECT_EQ(app.form.name, "Workshop Laptop");
    EXPECT_EQ(app.form.host, app.devices[1].endpoint_id);
    EXPECT_EQ(app.form.kind, ConnectionKind::Orvo);
    EXPECT_EQ(app.input(FieldId::Host).text(), app.devices[1].endpoint_id);
    EXPECT_EQ(app.focused_field, FieldId::Name);
}

TEST_F(AppTest, VisibleListSearchesAndOrders) {
    auto zed = make_profile("zed", ConnectionKind::Vnc, true);
    auto alpha = make_profile("Alpha");
    auto beta = make_profile("beta", ConnectionKind::Orvo);
    auto alpha2 = make_profile("alpha");  // same lower-cased name: keeps document order
    beta.group = "Lab";
    RemoteApp app({zed, alpha, beta, alpha2}, {});
    struct Case {
        const char* search;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"", {"zed", "Alpha", "alpha", "beta"}},
        {"  LAB ", {"beta"}},
        {"orvo", {"beta"}},
        {"vnc", {"zed"}},
        {"host-alpha", {"Alpha", "alpha"}},
        {"nothing", {}},
    };
    for (const auto& c : cases) {
        app.search_text = c.search;
        std::vector<std::string> names;
        for (const auto* p : app.visible_profiles())
            names.push_back(p->name);
        EXPECT_EQ(names, c.names) << "search '" << c.search << "'";
    }
}

}  // namespace
}  // namespace remote
