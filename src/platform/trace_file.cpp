#include "platform/trace_file.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "platform/json.hpp"
#include "platform/platform.hpp"
#include "platform/user_text.hpp"

namespace pw::platform {
namespace {

std::string cannot_write(const std::string& path, const char* why) {
    return "cannot write the trace " + quoted(path) + ": " + why;
}

std::FILE* open_for_writing(const std::string& path) {
    // Opening a directory for writing fails on Linux but not everywhere; say it the same way.
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        throw std::runtime_error(cannot_write(path, "it is a directory"));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error(cannot_write(path, std::strerror(errno)));
    std::setvbuf(file, nullptr, _IONBF, 0);  // the writer gathers records itself
    return file;
}

}  // namespace

TraceFile::TraceFile(const std::string& path, bool live)
    : path_(path), live_(live), file_(open_for_writing(path), std::fclose) {}

void TraceFile::write(std::uint64_t t, std::string_view ev, std::string_view fields) {
    if (!file_) return;
    pending_ += "{\"t\":";
    json::append_number(pending_, t);
    pending_ += ",\"ev\":";
    json::append_string(pending_, ev);
    if (!fields.empty()) {
        pending_ += ',';
        pending_ += fields;
    }
    pending_ += "}\n";
    // Frames come twenty a second, a few kilobytes each, and a write each would cost a system
    // call a frame; every other record is rare, and one watching the run (a phase, a balloon)
    // wants it at once.
    if (live_ && (ev != "frame" || !flushed_at_ || t >= *flushed_at_ + kLiveLagMs)) {
        flush();
        flushed_at_ = t;
    } else if (pending_.size() >= kPendingBytes) {
        flush();
    }
}

void TraceFile::end(std::uint64_t t, int exit_code) {
    json::Fields f;
    f.num("code", exit_code);
    write(t, "end", f.text());
    flush();
}

void TraceFile::flush() {
    if (!file_ || pending_.empty()) return;
    errno = 0;
    if (std::fwrite(pending_.data(), 1, pending_.size(), file_.get()) != pending_.size())
        failed(errno);
    pending_.clear();
}

TraceFile::~TraceFile() {
    // A run that ended without its "end" record still leaves what it traced; a failure here
    // has no one left to tell.
    if (file_ && !pending_.empty()) std::fwrite(pending_.data(), 1, pending_.size(), file_.get());
}

void TraceFile::failed(int error) {
    // Said once: the records that follow (the end of the run) are not tried again.
    file_.reset();
    end_program(2, cannot_write(path_, error ? std::strerror(error) : "write failed"));
}

}  // namespace pw::platform
