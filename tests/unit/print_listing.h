// Captures what a listing prints for a table, for the listing tests.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "report/listing.h"

using Listing = void (*)(const QosObjectTable&, FILE*);

inline std::string print(Listing listing, const QosObjectTable& table) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    listing(table, out);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}
