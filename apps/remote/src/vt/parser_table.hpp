#pragma once
// The ECMA-48/xterm escape-sequence state machine as a table: for every state and every byte
// below 0x80, the action to take and the state to go to. Code points from 0x80 up (decoded
// from UTF-8) are classified separately by the parser.

#include <array>
#include <cstdint>

namespace remote::vt {

enum class State : std::uint8_t {
    Ground,
    Escape,
    EscapeIntermediate,
    CsiEntry,
    CsiParam,
    CsiIntermediate,
    CsiIgnore,
    DcsEntry,
    DcsParam,
    DcsIntermediate,
    DcsPassthrough,
    DcsIgnore,
    OscString,
    SosPmApcString,
};
inline constexpr std::size_t kStateCount = 14;

// Escape dispatch, operating-system commands and device-control strings are consumed but
// deliver nothing, so their bytes take the Ignore action.
enum class Action : std::uint8_t {
    Ignore,
    Print,
    Execute,
    Clear,    // start a new sequence (forget parameters and intermediates)
    Collect,  // keep an intermediate byte or private marker
    Param,    // a digit, ';' or ':'
    CsiDispatch,
};

struct Transition {
    Action action = Action::Ignore;
    State next = State::Ground;
};

using TransitionRow = std::array<Transition, 128>;
using TransitionTable = std::array<TransitionRow, kStateCount>;

namespace table_detail {

constexpr void set(TransitionRow& row, unsigned first, unsigned last, Action action, State next) {
    for (unsigned b = first; b <= last; ++b) {
        row[b] = Transition{action, next};
    }
}

// C0 controls other than CAN, SUB and ESC (which every state handles alike).
constexpr void set_c0(TransitionRow& row, Action action, State next) {
    set(row, 0x00, 0x17, action, next);
    set(row, 0x19, 0x19, action, next);
    set(row, 0x1C, 0x1F, action, next);
}

constexpr TransitionRow build_row(State s) {
    TransitionRow row{};
    set(row, 0x00, 0x7F, Action::Ignore, s);
    switch (s) {
        case State::Ground:
            set_c0(row, Action::Execute, s);
            set(row, 0x20, 0x7F, Action::Print, s);  // DEL prints too
            break;
        case State::Escape:
            set_c0(row, Action::Execute, s);
            set(row, 0x20, 0x2F, Action::Collect, State::EscapeIntermediate);
            set(row, 0x30, 0x7E, Action::Ignore, State::Ground);  // escape dispatch
            set(row, 0x5B, 0x5B, Action::Ignore, State::CsiEntry);
            set(row, 0x5D, 0x5D, Action::Ignore, State::OscString);
            set(row, 0x50, 0x50, Action::Ignore, State::DcsEntry);
            set(row, 0x58, 0x58, Action::Ignore, State::SosPmApcString);
            set(row, 0x5E, 0x5F, Action::Ignore, State::SosPmApcString);
            break;
        case State::EscapeIntermediate:
            set_c0(row, Action::Execute, s);
            set(row, 0x20, 0x2F, Action::Collect, s);
            set(row, 0x30, 0x7E, Action::Ignore, State::Ground);  // escape dispatch
            break;
        case State::CsiEntry:
            set_c0(row, Action::Execute, s);
            set(row, 0x20, 0x2F, Action::Collect, State::CsiIntermediate);
            set(row, 0x30, 0x3B, Action::Param, State::CsiParam);
            set(row, 0x3C, 0x3F, Action::Collect, State::CsiParam);
            set(row, 0x40, 0x7E, Action::CsiDispatch, State::Ground);
            break;
        case State::CsiParam:
            set_c0(row, Action::Execute, s);
            set(row, 0x20, 0x2F, Action::Collect, State::CsiIntermediate);
            set(row, 0x30, 0x3B, Action::Param, s);
            set(row, 0x3C, 0x3F, Action::Ignore, State::CsiIgnore);
            set(row, 0x40, 0x7E, Action::CsiDispatch, State::Ground);
            break;
        case State::CsiIntermediate:
            set_c0(row, Action::Execute, s);
            set(row, 0x20, 0x2F, Action::Collect, s);
            set(row, 0x30, 0x3F, Action::Ignore, State::CsiIgnore);
            set(row, 0x40, 0x7E, Action::CsiDispatch, State::Ground);
            break;
        case State::CsiIgnore:
            set_c0(row, Action::Execute, s);
            set(row, 0x40, 0x7E, Action::Ignore, State::Ground);
            break;
        case State::DcsEntry:
            set(row, 0x20, 0x2F, Action::Ignore, State::DcsIntermediate);
            set(row, 0x30, 0x3F, Action::Ignore, State::DcsParam);
            set(row, 0x40, 0x7E, Action::Ignore, State::DcsPassthrough);
            break;
        case State::DcsParam:
            set(row, 0x20, 0x2F, Action::Ignore, State::DcsIntermediate);
            set(row, 0x3C, 0x3F, Action::Ignore, State::DcsIgnore);
            set(row, 0x40, 0x7E, Action::Ignore, State::DcsPassthrough);
            break;
        case State::DcsIntermediate:
            set(row, 0x30, 0x3F, Action::Ignore, State::DcsIgnore);
            set(row, 0x40, 0x7E, Action::Ignore, State::DcsPassthrough);
            break;
        case State::DcsPassthrough:
        case State::DcsIgnore:
        case State::SosPmApcString:
            break;
        case State::OscString:
            set(row, 0x07, 0x07, Action::Ignore, State::Ground);  // BEL ends it, as in xterm
            break;
    }
    // From anywhere: CAN and SUB cancel the sequence, ESC starts a new one.
    set(row, 0x18, 0x18, Action::Execute, State::Ground);
    set(row, 0x1A, 0x1A, Action::Execute, State::Ground);
    set(row, 0x1B, 0x1B, Action::Clear, State::Escape);
    return row;
}

constexpr TransitionTable build_table() {
    TransitionTable table{};
    for (std::size_t s = 0; s < kStateCount; ++s) {
        table[s] = build_row(static_cast<State>(s));
    }
    return table;
}

}  // namespace table_detail

inline constexpr TransitionTable kTransitions = table_detail::build_table();

// What a code point of 0xA0 or above (or U+FFFD) does in each state: printed in the ground
// state, part of the string in string states, and a malformed sequence elsewhere.
constexpr Transition wide_transition(State s) {
    switch (s) {
        case State::Ground:
            return {Action::Print, State::Ground};
        case State::Escape:
        case State::EscapeIntermediate:
            return {Action::Ignore, State::Ground};
        case State::CsiEntry:
        case State::CsiParam:
        case State::CsiIntermediate:
        case State::CsiIgnore:
            return {Action::Ignore, State::CsiIgnore};
        case State::DcsEntry:
        case State::DcsParam:
        case State::DcsIntermediate:
        case State::DcsIgnore:
            return {Action::Ignore, State::DcsIgnore};
        case State::DcsPassthrough:
        case State::OscString:
        case State::SosPmApcString:
            break;
    }
    return {Action::Ignore, s};
}

}  // namespace remote::vt
