// Small helpers for writing JSON text: the trace is JSON Lines.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace pw::json {

// A byte as two lowercase hex digits.
inline void append_hex_byte(std::string& out, unsigned char b) {
    constexpr char digits[] = "0123456789abcdef";
    out += digits[b >> 4];
    out += digits[b & 15];
}

inline void append_string(std::string& out, std::string_view s) {
    out += '"';
    // Plain characters go over in runs: the trace writes thousands of names a second.
    std::size_t plain = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c != '"' && c != '\\') continue;
        out.append(s, plain, i - plain);
        plain = i + 1;
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default: {
                out += "\\u00";
                append_hex_byte(out, c);
            }
        }
    }
    out.append(s, plain);
    out += '"';
}

inline std::string quote(std::string_view s) {
    std::string out;
    append_string(out, s);
    return out;
}

// Shortest text that reads back as the same value.
template <class T>
void append_number(std::string& out, T v) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, ec == std::errc() ? end : buf);
}

// Builds the inside of one JSON object: `"a":1,"b":"x"`, with objects and arrays nested in
// place, so that a large record is written into one string.
class Fields {
  public:
    Fields() = default;
    explicit Fields(std::size_t capacity) { text_.reserve(capacity); }

    Fields& raw(std::string_view key, std::string_view json_value) {
        sep(key);
        text_ += json_value;
        return *this;
    }
    Fields& str(std::string_view key, std::string_view value) {
        sep(key);
        append_string(text_, value);
        return *this;
    }
    template <class T>
    Fields& num(std::string_view key, T value) {
        sep(key);
        append_number(text_, value);
        return *this;
    }
    Fields& boolean(std::string_view key, bool value) { return raw(key, value ? "true" : "false"); }

    // `"key":{` and `"key":[`, each closed by its own close call; inside an array, item()
    // opens the next object.
    Fields& object(std::string_view key) {
        sep(key);
        text_ += '{';
        return *this;
    }
    Fields& array(std::string_view key) {
        sep(key);
        text_ += '[';
        return *this;
    }
    Fields& item() {
        comma();
        text_ += '{';
        return *this;
    }
    Fields& close_object() {
        text_ += '}';
        return *this;
    }
    Fields& close_array() {
        text_ += ']';
        return *this;
    }

    const std::string& text() const { return text_; }

  private:
    // A value never ends in an opening bracket, so one there means the first member.
    void comma() {
        if (!text_.empty() && text_.back() != '{' && text_.back() != '[') text_ += ',';
    }
    // Keys are the program's own plain names and need no escaping.
    void sep(std::string_view key) {
        comma();
        text_ += '"';
        text_ += key;
        text_ += "\":";
    }
    std::string text_;
};

}  // namespace pw::json
