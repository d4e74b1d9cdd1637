#include "exporter/log.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

constexpr std::string_view levelNames[] = {"debug", "info", "warn", "error"};

// logfmt quotes a value that is empty or holds a space, '=', '"' or a control character.
void appendValue(std::string& line, std::string_view value) {
    bool plain = !value.empty();
    for (const char c : value) {
        plain = plain && c > ' ' && c != '=' && c != '"' && c != 0x7f;
    }
    if (plain) {
        line += value;
        return;
    }
    line += '"';
    for (const char c : value) {
        if (c == '"' || c == '\\') {
            line += '\\';
            line += c;
        } else if (c == '\n') {
            line += "\\n";
        } else if (static_cast<unsigned char>(c) < ' ') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            line += escaped;
        } else {
            line += c;
        }
    }
    line += '"';
}

std::string timestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + length, sizeof text - length, ".%03dZ", static_cast<int>(millis));
    return text;
}

}  // namespace

std::optional<LogLevel> parseLogLevel(std::string_view text) {
    for (std::size_t level = 0; level < std::size(levelNames); ++level) {
        if (text == levelNames[level]) {
            return static_cast<LogLevel>(level);
        }
    }
    return std::nullopt;
}

void Log::write(LogLevel level, std::string_view message, Fields fields) {
    if (!enabled(level)) {
        return;
    }
    std::string line = "ts=" + timestamp() + " level=";
    line += levelNames[static_cast<std::size_t>(level)];
    line += " msg=";
    appendValue(line, message);
    for (const auto& [key, value] : fields) {
        line += ' ';
        line += key;
        line += '=';
        appendValue(line, value);
    }
    line += '\n';
    const std::lock_guard lock(mutex_);
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}
