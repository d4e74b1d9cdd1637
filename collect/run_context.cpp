#include "collect/run_context.h"

#include <cstdarg>
#include <cstdio>

void RunContext::debug(const char* format, ...) const {
    if (!sinks_.debug) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    char small[512];
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (length >= 0 && static_cast<size_t>(length) < sizeof small) {
        sinks_.debug(std::string_view(small, static_cast<size_t>(length)));
    } else if (length >= 0) {
        std::string text(static_cast<size_t>(length) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), format, arguments);
        text.pop_back();
        sinks_.debug(text);
    }
    va_end(arguments);
}

void RunContext::failure(std::string_view line) const {
    if (sinks_.failure) {
        sinks_.failure(line);
    }
}

void RunContext::countersBegin() const {
    if (sinks_.countersBegin) {
        sinks_.countersBegin();
    }
}

void RunContext::warn(std::string text) {
    if (sinks_.warning) {
        sinks_.warning(text);
    }
    warnings_.push_back(std::move(text));
}

void RunContext::libraryComplaint(std::string_view text) {
    if (text.ends_with('\n')) {
        text.remove_suffix(1);  // a warning is one line; whoever shows it ends it
    }
    if (complaints_.insert(std::string(text)).second) {
        warn(std::string(text));
    }
}
