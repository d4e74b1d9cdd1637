#include "collect/debug.h"

#include <cstdarg>
#include <cstdio>

int32_t debugMode = 0;
FILE* debugOut = stdout;

void debugPrint(const char* format, ...) {
    if (debugMode == 0) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(debugOut, format, arguments);
    va_end(arguments);
}
