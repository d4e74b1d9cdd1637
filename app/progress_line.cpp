#include "app/progress_line.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

constexpr auto quietStart = std::chrono::seconds(1);
constexpr auto redrawInterval = std::chrono::milliseconds(100);

// "12,345": a count as people read it, whatever the locale says.
std::string withThousands(uint64_t value) {
    const std::string digits = std::to_string(value);
    std::string text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) {
            text += ',';
        }
        text += digits[i];
    }
    return text;
}

}  // namespace

ProgressLine::ProgressLine(bool enabled)
    : enabled_(enabled && isatty(STDERR_FILENO) == 1),
      outputIsTerminal_(isatty(STDOUT_FILENO) == 1) {}

void ProgressLine::begin(const char* stage) {
    stage_ = stage;
    start_ = Clock::now();
}

void ProgressLine::update(uint64_t rows, uint64_t requests) {
    const Clock::time_point now = Clock::now();
    if (!enabled_ || now - start_ < quietStart || (shown_ && now - lastDrawn_ < redrawInterval)) {
        return;
    }
    // Carriage return, the text, then erase to the end of the line, so nothing of a longer
    // text before it stays visible.
    std::fprintf(stderr, "\r%s: %s rows, %s requests\x1b[K", stage_, withThousands(rows).c_str(),
                 withThousands(requests).c_str());
    shown_ = true;
    lastDrawn_ = now;
}

void ProgressLine::clearForOutput() {
    if (outputIsTerminal_) {
        erase();
    }
}

void ProgressLine::erase() {
    if (shown_) {
        std::fputs("\r\x1b[K", stderr);
        shown_ = false;
    }
}
