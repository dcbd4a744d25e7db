#include <gtest/gtest.h>

#include "runtime/actions/resource.hpp"
#include "runtime/ui/action_host.hpp"

namespace {

using orvo_actions::ActionError;
using orvo_actions::EncodedAction;
using orvo_actions::context::ActionContext;
using orvo_actions::context::humanize_identifier;
using orvo_actions::params::ActionArgs;
using orvo_actions::resource::ActionSpec;
using orvo_actions::resource::OperationClass;
namespace doc = orvo_ui::doc;

struct Put {
    std::string value;
};

// A codec for "test.put": the payload text is written under the key "value" of the root.
void register_put(orvo_actions::registry::Registry& registry) {
    registry.register_codec<Put>(
        "test.put",
        [](std::string_view json) -> std::variant<Put, std::string> {
            if (json.empty()) {
                return std::string("empty payload");
            }
            return Put{std::string(json)};
        },
        [](const Put& put, doc::Document& d) { (void)d.put(doc::kRoot, "value", put.value); },
        [](const Put& put) { return "put " + put.value; });
}

TEST(HumanizeIdentifier, MakesLabels) {
    const std::pair<const char*, const char*> cases[] = {{"send-text", "Send text"},
                                                         {"remote.action", "Remote action"},
                                                         {"Remote", "Remote"},
                                                         {"trust_host-key", "Trust host key"},
                                                         {"", ""},
                                                         {"-x-", "X"}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(humanize_identifier(in), out) << in;
}

TEST(ActionHost, DispatchesReportsOnceAndRefusesMismatches) {
    orvo_ui::ActionHost host;
    register_put(host.registry());
    doc::Document d;
    const auto context = ActionContext::local_user("io.orvo.remote", "Remote");
    EXPECT_FALSE(host.dispatch_with_context(d, "test.put", {"test.put", "hello"}, context));
    const auto value = d.get(doc::kRoot, "value").value();
    ASSERT_TRUE(value);
    EXPECT_EQ(std::get<std::string>(std::get<doc::Scalar>(*value)), "hello");
    auto report = host.take_report();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->actor, d.actor_id().to_hex());
    EXPECT_FALSE(report->error);
    EXPECT_FALSE(host.take_report());

    struct Case {
        std::string kind;
        EncodedAction action;
        std::string error_part;
    };
    const Case cases[] = {
        {"test.put", {"test.other", "x"}, "dispatched as"},
        {"test.none", {"test.none", "x"}, "no codec"},
        {"test.put", {"test.put", ""}, "empty payload"},
    };
    for (const auto& c : cases) {
        const auto error = host.dispatch_with_context(d, c.kind, c.action, context);
        ASSERT_TRUE(error) << c.error_part;
        EXPECT_NE(error->message.find(c.error_part), std::string::npos) << error->message;
        ASSERT_TRUE(host.take_report()->error);
    }
    // Failures changed nothing.
    EXPECT_EQ(std::get<std::string>(std::get<doc::Scalar>(*d.get(doc::kRoot, "value").value())),
              "hello");
}

TEST(ActionSpec, BuildsPayloadsAndEnforcesTheirType) {
    ActionSpec fixed =
        ActionSpec::make("open", "Open", OperationClass::View, EncodedAction{"op", "\"Open\""});
    fixed.enforced_type = "op";
    EXPECT_EQ(std::get<EncodedAction>(fixed.build({})).json, "\"Open\"");
    EXPECT_TRUE(orvo_actions::resource::derive_input(fixed).empty());
    EXPECT_EQ(fixed.effective_contract().settings, (std::array<std::uint8_t, 5>{0, 0, 0, 0, 1}));

    ActionSpec built =
        ActionSpec::make("rename", "Rename", OperationClass::None,
                         orvo_actions::resource::PayloadBuilder([](const ActionArgs& args) {
                             return std::variant<EncodedAction, ActionError>(
                                 EncodedAction{"act", args.text("value").value_or("")});
                         }))
            .with_input({"value", "New name", "connection name", "", true});
    EXPECT_EQ(orvo_actions::resource::derive_input(built).size(), 1u);
    EXPECT_EQ(built.effective_contract().settings, (std::array<std::uint8_t, 5>{0, 2, 0, 1, 3}));
    EXPECT_TRUE(std::holds_alternative<ActionError>(built.build({})));
    ActionArgs args;
    args.set("value", "Box");
    EXPECT_EQ(std::get<EncodedAction>(built.build(args)).json, "Box");
    built.enforced_type = "op";
    EXPECT_TRUE(std::holds_alternative<ActionError>(built.build(args)));
}

}  // namespace
