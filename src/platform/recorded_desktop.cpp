#include "platform/recorded_desktop.hpp"

#include "platform/json.hpp"

namespace pw::platform {

RecordedDesktop::RecordedDesktop(std::unique_ptr<Desktop> real, const std::string& trace_path,
                                 std::optional<std::uint64_t> until_ms)
    : DesktopDecorator(*real),
      real_(std::move(real)),
      last_reading_(real_->time_ms()),
      until_(until_ms) {
    // A real run is watched while it plays (its pacing and phases, against the machine's
    // own measurements), so its records are not held back.
    if (!trace_path.empty()) trace_.emplace(trace_path, true);
    // A run cut off where nothing unwinds still ends its trace; a failure then has no one to
    // tell but the message the desktop gives anyway.
    if (trace_)
        real_->set_last_words([this](int exit_code) {
            try {
                trace_->end(elapsed(), exit_code);
            } catch (const ProgramEnd&) {
            }
        });
}

std::uint64_t RecordedDesktop::elapsed() {
    // The clock is 32 bits and wraps; the run's time does not.
    const std::uint32_t now = inner().time_ms();
    elapsed_ += static_cast<std::uint32_t>(now - last_reading_);
    last_reading_ = now;
    return elapsed_;
}

void RecordedDesktop::stop_if_over() {
    if (until_ && elapsed() >= *until_) end_program(0);
}

void RecordedDesktop::sleep_ms(std::uint32_t ms) {
    if (until_) {
        const std::uint64_t now = elapsed();
        if (now + ms >= *until_) {
            if (now < *until_) inner().sleep_ms(static_cast<std::uint32_t>(*until_ - now));
            end_program(0);
        }
    }
    inner().sleep_ms(ms);
}

// A long rest could carry the run past its end, so close to the end it is a plain sleep.
void RecordedDesktop::rest(std::uint32_t ms) {
    if (until_ && elapsed() + kLongestRestMs >= *until_)
        sleep_ms(ms);
    else
        inner().rest(ms);
}

void RecordedDesktop::pump() {
    stop_if_over();
    inner().pump();
}

void RecordedDesktop::message_box(std::string_view text, std::string_view caption) {
    json::Fields f;
    f.str("text", text).str("caption", caption);
    trace("msgbox", f.text());
    inner().message_box(text, caption);
}

void RecordedDesktop::trace(std::string_view ev, std::string_view fields) {
    if (trace_) trace_->write(elapsed(), ev, fields);
}

void RecordedDesktop::finish(int exit_code) {
    inner().finish(exit_code);
    if (trace_) trace_->end(elapsed(), exit_code);
}

}  // namespace pw::platform
