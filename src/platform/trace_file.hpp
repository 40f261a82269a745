// The run's trace file: one JSON object a line, each with the run's time "t" in milliseconds
// and the record's kind "ev". Every desktop writes its trace through this one writer, so a
// trace that cannot be written ends the run the same way everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pw::platform {

class TraceFile {
  public:
    // Opens (and empties) the file; throws std::runtime_error with a one-line message when it
    // cannot be written: a missing folder, no permission, a directory. `live`: every record
    // reaches the file as it is written, frame records within a second of their time, so that
    // the run can be followed while it plays.
    explicit TraceFile(const std::string& path, bool live = false);
    ~TraceFile();
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    // Appends one record. `fields` is the inside of a JSON object without braces, empty or
    // starting with a field. A failed write (a full disk) ends the program with code 2 and
    // closes the file: later records are dropped.
    void write(std::uint64_t t, std::string_view ev, std::string_view fields);
    // The run's last record, "end" with the program's exit code, then the rest written out.
    void end(std::uint64_t t, int exit_code);
    // Writes out what is buffered; ends the program with code 2 if that fails.
    void flush();

  private:
    [[noreturn]] void failed(int error);

    static constexpr std::uint64_t kLiveLagMs = 1000;
    static constexpr std::size_t kPendingBytes = std::size_t{1} << 16;

    std::string path_;
    bool live_;
    std::optional<std::uint64_t> flushed_at_;  // the time of the last live flush
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_;
    std::string pending_;  // records not yet handed to the file
};

}  // namespace pw::platform
