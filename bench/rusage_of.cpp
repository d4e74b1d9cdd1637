// Runs one command and writes its wall time, user and system CPU (seconds) and peak RSS (KiB)
// to a file. A child forked from the benchmark's Python driver would count the driver's
// memory in its peak RSS and pay Python's spawn cost in its wall time; forked from this small
// program it counts only itself.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace {
double seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FIGURES-FILE COMMAND [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        std::perror(argv[2]);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) {
        std::perror("rusage_of");
        return 2;
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - started;
    FILE* figures = std::fopen(argv[1], "w");
    if (figures == nullptr) {
        std::perror(argv[1]);
        return 2;
    }
    std::fprintf(figures, "%.6f %.6f %.6f %ld\n", wall.count(), seconds(usage.ru_utime),
                 seconds(usage.ru_stime), usage.ru_maxrss);
    std::fclose(figures);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
