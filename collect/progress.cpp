#include "collect/progress.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "collect/debug.h"

namespace {

constexpr auto quietStart = std::chrono::seconds(1);
constexpr auto redrawInterval = std::chrono::milliseconds(100);

// Whether the line is on the terminal now; one walk runs at a time.
bool lineShown = false;

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

void eraseLine() {
    if (lineShown) {
        std::fputs("\r\x1b[K", stderr);
        lineShown = false;
    }
}

}  // namespace

WalkProgress::WalkProgress(const char* stage)
    : stage_(stage), enabled_(debugMode == 0 && isatty(STDERR_FILENO) == 1), start_(Clock::now()) {}

WalkProgress::~WalkProgress() {
    eraseLine();
}

void WalkProgress::update(uint64_t rows, uint64_t requests) {
    const Clock::time_point now = Clock::now();
    if (!enabled_ || now - start_ < quietStart ||
        (lineShown && now - lastDrawn_ < redrawInterval)) {
        return;
    }
    // Carriage return, the text, then erase to the end of the line, so nothing of a longer
    // text before it stays visible.
    std::fprintf(stderr, "\r%s: %s rows, %s requests\x1b[K", stage_, withThousands(rows).c_str(),
                 withThousands(requests).c_str());
    lineShown = true;
    lastDrawn_ = now;
}

void clearProgressLine() {
    static const bool outputIsTerminal = isatty(STDOUT_FILENO) == 1;
    if (outputIsTerminal) {
        eraseLine();
    }
}
