#pragma once
// ECMA-48/xterm escape-sequence parser. Bytes are decoded as UTF-8 and run through the
// standard state machine; the handler receives printable characters, control codes and
// control sequences (CSI). Escape dispatch, operating-system commands and device-control
// strings are consumed without a callback. Partial characters and sequences are kept
// between feed calls.
//
// Handler requirements:
//   void print_ascii(const std::uint8_t* bytes, std::size_t count);  // a run of 0x20..0x7F
//   void print(char32_t c);                  // any other printable character
//   void execute(char32_t code);             // C0 control or C1 code point
//   void csi_dispatch(const CsiSequence& s);

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "vt/ascii_run.hpp"
#include "vt/csi_sequence.hpp"
#include "vt/parser_table.hpp"
#include "vt/utf8_decoder.hpp"

namespace remote::vt {

class Parser {
  public:
    State state() const { return state_; }

    template <class Handler>
    void feed(const std::uint8_t* data, std::size_t size, Handler& handler) {
        const std::uint8_t* p = data;
        const std::uint8_t* const end = data + size;
        while (p != end) {
            if (utf8_.pending()) {
                p = continue_character(p, handler);
            } else if (state_ == State::Ground) {
                p = ground(p, end, handler);
            } else if (*p >= 0x80) {
                start_character(*p, handler);
                ++p;
            } else {
                p = sequence(p, end, handler);
            }
        }
    }

  private:
    // Printable runs, controls and the start of an escape sequence or a UTF-8 character.
    template <class Handler>
    const std::uint8_t* ground(const std::uint8_t* p, const std::uint8_t* end, Handler& handler) {
        while (p != end) {
            const std::size_t run = printable_ascii_run(p, end);
            if (run != 0) {
                handler.print_ascii(p, run);
                p += run;
                if (p == end) {
                    break;
                }
            }
            const std::uint8_t byte = *p;
            if (byte >= 0x80) {
                char32_t c = 0;
                if (const std::size_t length = decode_whole(p, end, c); length != 0) {
                    p += length;
                    code_point(c, handler);
                    continue;
                }
                start_character(byte, handler);
                return p + 1;
            }
            ++p;
            if (byte == 0x1B) {
                clear();
                state_ = State::Escape;
                return p;
            }
            handler.execute(byte);
        }
        return p;
    }

    // Bytes below 0x80 inside an escape sequence or string, until the ground state returns.
    template <class Handler>
    const std::uint8_t* sequence(const std::uint8_t* p, const std::uint8_t* end, Handler& handler) {
        while (p != end && *p < 0x80 && state_ != State::Ground) {
            if (is_digit(*p) && (state_ == State::CsiParam || state_ == State::CsiEntry)) {
                // Parameter digits are most of a control sequence: read the whole number.
                state_ = State::CsiParam;
                in_param_ = true;
                std::uint32_t value = current_;
                do {
                    value = std::min<std::uint32_t>(value * 10 + (*p - '0'), CsiParams::kMaxValue);
                    ++p;
                } while (p != end && is_digit(*p));
                current_ = value;
                continue;
            }
            const std::uint8_t byte = *p++;
            const Transition t = kTransitions[static_cast<std::size_t>(state_)][byte];
            state_ = t.next;
            perform(t.action, byte, handler);
        }
        return p;
    }

    template <class Handler>
    void perform(Action action, std::uint8_t byte, Handler& handler) {
        switch (action) {
            case Action::Ignore:
                break;
            case Action::Print:
                handler.print(byte);
                break;
            case Action::Execute:
                handler.execute(byte);
                break;
            case Action::Clear:
                clear();
                break;
            case Action::Collect:
                sequence_.intermediates.push(byte);
                break;
            case Action::Param:
                param(byte);
                break;
            case Action::CsiDispatch:
                if (in_param_) {
                    sequence_.params.push(static_cast<std::uint16_t>(current_), sub_parameter_);
                }
                sequence_.final_byte = byte;
                handler.csi_dispatch(sequence_);
                break;
        }
    }

    template <class Handler>
    void start_character(std::uint8_t lead, Handler& handler) {
        if (utf8_.start(lead) == Utf8Decoder::Status::Invalid) {
            code_point(kReplacementCharacter, handler);
        }
    }

    template <class Handler>
    const std::uint8_t* continue_character(const std::uint8_t* p, Handler& handler) {
        switch (utf8_.next(*p)) {
            case Utf8Decoder::Status::Pending:
                return p + 1;
            case Utf8Decoder::Status::Complete:
            case Utf8Decoder::Status::Invalid:
                code_point(utf8_.code_point(), handler);
                return p + 1;
            case Utf8Decoder::Status::InvalidRetry:
                code_point(kReplacementCharacter, handler);
                return p;  // the byte starts something new
        }
        return p + 1;
    }

    // A decoded code point of 0x80 or above.
    template <class Handler>
    void code_point(char32_t c, Handler& handler) {
        if (c < 0xA0) {
            // C1 controls are executed and, like CAN, end any sequence in progress.
            state_ = State::Ground;
            handler.execute(c);
            return;
        }
        const Transition t = wide_transition(state_);
        state_ = t.next;
        if (t.action == Action::Print) {
            handler.print(c);
        }
    }

    static bool is_digit(std::uint8_t byte) { return byte >= '0' && byte <= '9'; }

    void param(std::uint8_t byte) {
        in_param_ = true;
        if (byte <= '9') {
            current_ = current_ * 10 + (byte - '0');
            if (current_ > CsiParams::kMaxValue) {
                current_ = CsiParams::kMaxValue;
            }
            return;
        }
        sequence_.params.push(static_cast<std::uint16_t>(current_), sub_parameter_);
        current_ = 0;
        sub_parameter_ = byte == ':';
    }

    void clear() {
        sequence_.params.clear();
        sequence_.intermediates.clear();
        current_ = 0;
        in_param_ = false;
        sub_parameter_ = false;
    }

    State state_ = State::Ground;
    Utf8Decoder utf8_;
    CsiSequence sequence_;
    std::uint32_t current_ = 0;   // the number being read
    bool in_param_ = false;       // a parameter has begun (a digit or separator was seen)
    bool sub_parameter_ = false;  // the number being read follows ':'
};

}  // namespace remote::vt
