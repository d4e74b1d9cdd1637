// The exporter's log: one logfmt line per event on standard error,
// `ts=2026-12-07T05:11:58.123Z level=info msg="..." key=value`. No caller passes a secret.
#pragma once

#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

enum class LogLevel { debug, info, warn, error };

std::optional<LogLevel> parseLogLevel(std::string_view text);

class Log {
  public:
    using Fields = std::initializer_list<std::pair<std::string_view, std::string_view>>;

    explicit Log(LogLevel threshold) : threshold_(threshold) {}

    bool enabled(LogLevel level) const { return level >= threshold_; }
    void write(LogLevel level, std::string_view message, Fields fields = {});

    void debug(std::string_view message, Fields fields = {}) {
        write(LogLevel::debug, message, fields);
    }
    void info(std::string_view message, Fields fields = {}) {
        write(LogLevel::info, message, fields);
    }
    void warn(std::string_view message, Fields fields = {}) {
        write(LogLevel::warn, message, fields);
    }
    void error(std::string_view message, Fields fields = {}) {
        write(LogLevel::error, message, fields);
    }

  private:
    LogLevel threshold_;
    std::mutex mutex_;  // one line at a time from the server's workers
};
