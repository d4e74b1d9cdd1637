#include "app/stderr_capture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

StderrCapture::StderrCapture() {
    int ends[2];
    // Neither end blocks: a writer that fills the pipe loses text rather than hanging the watch.
    if (pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) {
        return;
    }
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    dup2(ends[1], STDERR_FILENO);
    close(ends[1]);
    reader_ = ends[0];
}

StderrCapture::~StderrCapture() {
    if (saved_ >= 0) {
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        close(reader_);
    }
}

std::string StderrCapture::take() {
    std::string text;
    char buffer[4096];
    ssize_t length = 0;
    std::fflush(stderr);
    while (reader_ >= 0 && (length = read(reader_, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<size_t>(length));
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
        text.replace(at, 1, "; ");
    }
    return text;
}
