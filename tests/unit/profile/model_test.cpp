#include <gtest/gtest.h>

#include "profile/endpoint_id.hpp"
#include "profile/profile.hpp"
#include "profile/text.hpp"
#include "profile/uuid.hpp"

namespace remote {
namespace {

TEST(Enumerations, EveryTextFormRoundTrips) {
    struct KindCase {
        ConnectionKind kind;
        const char *payload, *document, *label;
        std::uint16_t port;
        std::vector<AuthMethod> auths;
    };
    const KindCase kinds[] = {
        {ConnectionKind::Ssh,
         "Ssh",
         "SSH",
         "SSH",
         22,
         {AuthMethod::Password, AuthMethod::PublicKey}},
        {ConnectionKind::Vnc, "Vnc", "VNC", "VNC", 5900, {AuthMethod::Password}},
        {ConnectionKind::Rdp, "Rdp", "RDP", "RDP", 3389, {AuthMethod::Password}},
        {ConnectionKind::Orvo, "Orvo", "Orvo", "Orvo device", 0, {AuthMethod::DeviceIdentity}},
    };
    for (const auto& c : kinds) {
        EXPECT_EQ(kind_payload_name(c.kind), c.payload);
        EXPECT_EQ(kind_document_text(c.kind), c.document);
        EXPECT_EQ(kind_label(c.kind), c.label);
        EXPECT_EQ(default_port(c.kind), c.port);
        EXPECT_EQ(allowed_auth_methods(c.kind), c.auths);
        EXPECT_EQ(kind_from_payload_name(c.payload), c.kind);
        EXPECT_EQ(kind_from_document_text(c.document), c.kind);
    }
    struct AuthCase {
        AuthMethod auth;
        const char *payload, *document, *identifier;
    };
    const AuthCase auths[] = {
        {AuthMethod::Password, "Password", "Password", "password"},
        {AuthMethod::PublicKey, "PublicKey", "Public key", "public-key"},
        {AuthMethod::DeviceIdentity, "DeviceIdentity", "Device identity", "device-identity"},
    };
    for (const auto& c : auths) {
        EXPECT_EQ(auth_payload_name(c.auth), c.payload);
        EXPECT_EQ(auth_document_text(c.auth), c.document);
        EXPECT_EQ(auth_label(c.auth), c.document);
        EXPECT_EQ(auth_identifier(c.auth), c.identifier);
        EXPECT_EQ(auth_from_payload_name(c.payload), c.auth);
        EXPECT_EQ(auth_from_document_text(c.document), c.auth);
    }
    for (Presence p : kAllPresences) {
        EXPECT_EQ(presence_from_document_text(presence_document_text(p)), p);
    }
    // Text forms are exact: other cases and the other table's names do not parse.
    EXPECT_FALSE(kind_from_payload_name("SSH"));
    EXPECT_FALSE(kind_from_document_text("ssh"));
    EXPECT_FALSE(auth_from_document_text("PublicKey"));
    EXPECT_FALSE(presence_from_document_text("Online"));
}

TEST(DisplayName, NameUnlessBlankThenHost) {
    ConnectionProfile p;
    p.host = "10.0.0.1";
    for (const char* blank : {"", " ", "\u2003\t"}) {
        p.name = blank;
        EXPECT_EQ(display_name(p), "10.0.0.1");
    }
    p.name = "Box";
    EXPECT_EQ(display_name(p), "Box");
}

TEST(Uuid, RandomIdsAreVersionFourLowercaseAndParse) {
    const Uuid a = Uuid::random_v4();
    const Uuid b = Uuid::random_v4();
    EXPECT_NE(a, b);
    const std::string text = a.to_string();
    ASSERT_EQ(text.size(), 36u);
    EXPECT_EQ(text[14], '4');
    EXPECT_NE(std::string("89ab").find(text[19]), std::string::npos);
    for (char c : text)
        EXPECT_FALSE(c >= 'A' && c <= 'Z');
    EXPECT_EQ(Uuid::parse(text), a);
    for (const char* bad : {"", "not-a-uuid", "0123456789abcdef0123456789abcdef0123",
                            "01234567-89ab-cdef-0123-456789abcdef0"}) {
        EXPECT_FALSE(Uuid::parse(bad)) << bad;
    }
}

TEST(EndpointId, PrintsLowercaseHexAndParsesOnlyCurvePoints) {
    std::array<std::uint8_t, 32> seed{};
    seed[0] = 1;
    const EndpointId id = EndpointId::from_secret_seed(seed);
    const std::string text = id.to_string();
    ASSERT_EQ(text.size(), 64u);
    EXPECT_EQ(text.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(EndpointId::parse(text), id);
    std::string upper = text;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(c));
    EXPECT_EQ(EndpointId::parse(upper), id);
    EXPECT_FALSE(EndpointId::parse(text.substr(1)));
    EXPECT_FALSE(EndpointId::parse(text + "0"));
    EXPECT_FALSE(EndpointId::parse(" " + text.substr(1)));
    EXPECT_FALSE(EndpointId::parse(std::string(64, '0')));  // small-order point
    std::string not_hex = text;
    not_hex[10] = 'g';
    EXPECT_FALSE(EndpointId::parse(not_hex));
}

TEST(Text, TrimsUnicodeWhiteSpaceAndKeepsInvalidBytes) {
    struct Case {
        const char* input;
        const char* trimmed;
    };
    const Case cases[] = {
        {"", ""},
        {"  a b  ", "a b"},
        {"\u00a0\u2028x\u3000", "x"},
        {"\u200bx", "\u200bx"},  // zero-width space is not white space
        {"\xff x \xfe", "\xff x \xfe"},
        {" \xe2\x80", "\xe2\x80"},  // truncated sequence at the end is kept
    };
    for (const auto& c : cases) {
        EXPECT_EQ(trim_unicode(c.input), c.trimmed) << c.input;
    }
}

}  // namespace
}  // namespace remote
