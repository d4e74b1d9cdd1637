#include "app/watch_screen.h"

#include <curses.h>

#include <algorithm>
#include <array>

namespace {

constexpr short dropPair = 1;
constexpr int headerLines = 3;  // the header, the status line, the column titles
constexpr int figureWidth = 13;
constexpr std::array<const char*, 5> titles = {"offered b/s", "offered p/s", "sent b/s",
                                               "dropped p/s", "drop %"};

size_t pageRows() {
    return static_cast<size_t>(std::max(1, LINES - headerLines));
}

// Text cut to the columns left before `end`.
void put(int line, int column, const std::string& text, int end) {
    if (column < end) {
        mvaddnstr(line, column, text.c_str(), end - column);
    }
}

}  // namespace

WatchScreen::WatchScreen(std::string router, uint32_t intervalSeconds)
    : router_(std::move(router)), interval_(intervalSeconds) {
    initscr();
    cbreak();  // Ctrl-C still raises SIGINT
    noecho();
    keypad(stdscr, TRUE);
    curs_set(0);
    if (has_colors()) {
        start_color();
        use_default_colors();
        colours_ = init_pair(dropPair, COLOR_RED, -1) == OK;
    }
    draw();
}

WatchScreen::~WatchScreen() {
    endwin();
}

void WatchScreen::show(WatchFrame frame) {
    frame_ = std::move(frame);
    draw();
}

void WatchScreen::draw() {
    erase();
    const int figuresAt = std::max(0, COLS - figureWidth * static_cast<int>(titles.size()));
    std::string header = "galvetrin " + router_ + "   every " + std::to_string(interval_) + " s";
    if (frame_.time.time_since_epoch().count() != 0) {
        header += "   " + clockText(frame_.time, false) + "   " + std::to_string(frame_.requests) +
                  " requests";
    }
    attron(A_BOLD);
    put(0, 0, header, COLS);
    attroff(A_BOLD);
    put(1, 0, frame_.status.empty() ? frame_.lastChange : frame_.status, COLS);
    attron(A_UNDERLINE);
    put(2, 0, "class", figuresAt);
    for (size_t c = 0; c < titles.size(); ++c) {
        const std::string title = titles[c];
        const int end = figuresAt + figureWidth * static_cast<int>(c + 1);
        put(2, end - static_cast<int>(title.size()), title, COLS);
    }
    attroff(A_UNDERLINE);
    top_ = std::min(top_, frame_.rows.size() > pageRows() ? frame_.rows.size() - pageRows() : 0);
    for (size_t i = top_; i < frame_.rows.size() && i - top_ < pageRows(); ++i) {
        const WatchRow& row = frame_.rows[i];
        const int line = headerLines + static_cast<int>(i - top_);
        const int indent = 2 * static_cast<int>(row.depth);
        if (!row.isClass) {
            const std::string where = row.depth == 0 && !row.interface.empty()
                                          ? row.interface + " " + row.direction + "  "
                                          : "";
            put(line, indent, where + row.name, COLS);
            continue;
        }
        const ClassFigures& f = row.figures;
        const attr_t highlight = colours_ ? COLOR_PAIR(dropPair) : A_BOLD;
        if (f.drops()) {
            attron(highlight);
        }
        put(line, indent, row.name, figuresAt - 1);
        const std::array<std::string, 5> cells = {
            figureText(f.offeredBits), figureText(f.offeredPackets), figureText(f.sentBits),
            figureText(f.droppedPackets), figureText(f.dropPercent, 1)};
        for (size_t c = 0; c < cells.size(); ++c) {
            const int end = figuresAt + figureWidth * static_cast<int>(c + 1);
            put(line, end - static_cast<int>(cells[c].size()), cells[c], COLS);
        }
        if (f.drops()) {
            attroff(highlight);
        }
    }
    refresh();
}

void WatchScreen::handle(int key) {
    const size_t page = pageRows();
    switch (key) {
        case 'q':
        case 'Q':
            quit_ = true;
            return;
        case KEY_UP:
            top_ = top_ > 0 ? top_ - 1 : 0;
            break;
        case KEY_DOWN:
            ++top_;
            break;
        case KEY_PPAGE:
            top_ = top_ > page ? top_ - page : 0;
            break;
        case KEY_NPAGE:
            top_ += page;
            break;
        case KEY_HOME:
            top_ = 0;
            break;
        case KEY_RESIZE:
            break;  // ncurses has taken the new size: draw at once
        default:
            return;
    }
    draw();
}

void WatchScreen::readKeys() {
    timeout(0);
    for (int key = getch(); key != ERR && !quit_; key = getch()) {
        handle(key);
    }
}

bool WatchScreen::waitUntil(std::chrono::steady_clock::time_point until,
                            const std::atomic<bool>& stop) {
    // A short wait per key, so that a signal's flag is seen within a tenth of a second.
    constexpr int tickMilliseconds = 100;
    timeout(tickMilliseconds);
    while (!quit_ && !stop && std::chrono::steady_clock::now() < until) {
        const int key = getch();
        if (key != ERR) {
            handle(key);
        }
    }
    return !quit_ && !stop;
}
