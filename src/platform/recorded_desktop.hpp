// A real desktop's run recorded as the virtual desktop records its own: the trace with real
// milliseconds since the run started, a message box's record, the end of the run, and the
// run stopped (exit 0) once it has lasted the asked-for time.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/desktop_decorator.hpp"
#include "platform/trace_file.hpp"

namespace pw::platform {

class RecordedDesktop final : public DesktopDecorator {
  public:
    // Takes the real desktop. `trace_path` empty: no trace; `until_ms` nullopt: no limit.
    // Throws std::runtime_error when the trace cannot be opened.
    RecordedDesktop(std::unique_ptr<Desktop> real, const std::string& trace_path,
                    std::optional<std::uint64_t> until_ms);

    // Milliseconds since the run started.
    std::uint64_t elapsed();

    void sleep_ms(std::uint32_t ms) override;
    void rest(std::uint32_t ms) override;
    void pump() override;
    void message_box(std::string_view text, std::string_view caption) override;

    bool tracing() const override { return trace_.has_value(); }
    void trace(std::string_view ev, std::string_view fields) override;
    void finish(int exit_code) override;

  private:
    void stop_if_over();

    std::unique_ptr<Desktop> real_;
    std::uint32_t last_reading_;
    std::uint64_t elapsed_ = 0;
    std::optional<std::uint64_t> until_;
    std::optional<TraceFile> trace_;
};

}  // namespace pw::platform
