#pragma once
// SessionStatus: the progress of a live session as the UI sees it. Workers write it into their
// session's status cell; the UI copies it out whenever it needs it.

#include <string>
#include <utility>
#include <variant>

namespace remote {

struct SessionStatus {
    struct Connecting {
        bool operator==(const Connecting&) const = default;
    };
    struct Connected {
        bool operator==(const Connected&) const = default;
    };
    struct Ended {
        bool operator==(const Ended&) const = default;
    };
    // The transport cannot connect; the text says which capability or backend is missing.
    struct Unavailable {
        std::string text;
        bool operator==(const Unavailable&) const = default;
    };
    // The start or the session failed; the text is one line saying why.
    struct Failed {
        std::string text;
        bool operator==(const Failed&) const = default;
    };

    // Tags in this order: Connecting, Connected, Ended, Unavailable, Failed.
    std::variant<Connecting, Connected, Ended, Unavailable, Failed> value;

    static SessionStatus connecting() { return {Connecting{}}; }
    static SessionStatus connected() { return {Connected{}}; }
    static SessionStatus ended() { return {Ended{}}; }
    static SessionStatus unavailable(std::string text) { return {Unavailable{std::move(text)}}; }
    static SessionStatus failed(std::string text) { return {Failed{std::move(text)}}; }

    template <class Tag>
    bool is() const {
        return std::holds_alternative<Tag>(value);
    }

    // Only a starting or live session is active (animation frames, input routing).
    bool is_active() const { return is<Connecting>() || is<Connected>(); }

    // The text of Unavailable or Failed; empty for the other tags.
    std::string text() const {
        if (const auto* u = std::get_if<Unavailable>(&value)) {
            return u->text;
        }
        if (const auto* f = std::get_if<Failed>(&value)) {
            return f->text;
        }
        return {};
    }

    bool operator==(const SessionStatus&) const = default;
};

}  // namespace remote
