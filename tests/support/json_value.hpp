// A small JSON reader for the trace lines the tests inspect.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pw::test {

struct Json {
    using Array = std::vector<Json>;
    using Object = std::map<std::string, Json, std::less<>>;
    std::variant<std::nullptr_t, bool, double, std::string, std::shared_ptr<Array>,
                 std::shared_ptr<Object>>
        value;

    bool is_null() const { return std::holds_alternative<std::nullptr_t>(value); }
    double num() const { return std::get<double>(value); }
    int integer() const { return static_cast<int>(std::get<double>(value)); }
    bool boolean() const { return std::get<bool>(value); }
    const std::string& str() const { return std::get<std::string>(value); }
    const Array& arr() const { return *std::get<std::shared_ptr<Array>>(value); }
    const Object& obj() const { return *std::get<std::shared_ptr<Object>>(value); }
    bool has(std::string_view key) const {
        return std::holds_alternative<std::shared_ptr<Object>>(value) && obj().count(key) > 0;
    }
    const Json& operator[](std::string_view key) const {
        auto it = obj().find(key);
        if (it == obj().end()) throw std::out_of_range("no field " + std::string(key));
        return it->second;
    }
    const Json& operator[](std::size_t i) const { return arr().at(i); }

    static Json parse(std::string_view text) {
        std::size_t pos = 0;
        Json j = parse_value(text, pos);
        skip(text, pos);
        if (pos != text.size()) throw std::runtime_error("trailing text in JSON");
        return j;
    }

  private:
    static void skip(std::string_view t, std::size_t& p) {
        while (p < t.size() && (t[p] == ' ' || t[p] == '\n' || t[p] == '\r' || t[p] == '\t'))
            ++p;
    }
    static void expect(std::string_view t, std::size_t& p, char c) {
        skip(t, p);
        if (p >= t.size() || t[p] != c) throw std::runtime_error(std::string("expected ") + c);
        ++p;
    }
    static std::string parse_string(std::string_view t, std::size_t& p) {
        expect(t, p, '"');
        std::string out;
        while (p < t.size() && t[p] != '"') {
            char c = t[p++];
            if (c == '\\' && p < t.size()) {
                const char e = t[p++];
                switch (e) {
                    case 'n':
                        out += '\n';
                        break;
                    case 't':
                        out += '\t';
                        break;
                    case 'r':
                        out += '\r';
                        break;
                    case 'u': {
                        const unsigned code = std::stoul(std::string(t.substr(p, 4)), nullptr, 16);
                        p += 4;
                        out += static_cast<char>(code);  // the trace escapes control bytes only
                        break;
                    }
                    default:
                        out += e;
                }
            } else {
                out += c;
            }
        }
        expect(t, p, '"');
        return out;
    }
    static Json parse_value(std::string_view t, std::size_t& p) {
        skip(t, p);
        if (p >= t.size()) throw std::runtime_error("unexpected end of JSON");
        const char c = t[p];
        if (c == '"') return Json{parse_string(t, p)};
        if (c == '{') {
            auto obj = std::make_shared<Object>();
            ++p;
            skip(t, p);
            if (p < t.size() && t[p] == '}') {
                ++p;
                return Json{obj};
            }
            for (;;) {
                std::string key = parse_string(t, p);
                expect(t, p, ':');
                (*obj)[key] = parse_value(t, p);
                skip(t, p);
                if (p < t.size() && t[p] == ',') {
                    ++p;
                    continue;
                }
                expect(t, p, '}');
                return Json{obj};
            }
        }
        if (c == '[') {
            auto arr = std::make_shared<Array>();
            ++p;
            skip(t, p);
            if (p < t.size() && t[p] == ']') {
                ++p;
                return Json{arr};
            }
            for (;;) {
                arr->push_back(parse_value(t, p));
                skip(t, p);
                if (p < t.size() && t[p] == ',') {
                    ++p;
                    continue;
                }
                expect(t, p, ']');
                return Json{arr};
            }
        }
        if (t.substr(p, 4) == "true") {
            p += 4;
            return Json{true};
        }
        if (t.substr(p, 5) == "false") {
            p += 5;
            return Json{false};
        }
        if (t.substr(p, 4) == "null") {
            p += 4;
            return Json{nullptr};
        }
        std::size_t used = 0;
        const double v = std::stod(std::string(t.substr(p, 40)), &used);
        p += used;
        return Json{v};
    }
};

}  // namespace pw::test
