#include "snmp/library_lock.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

std::mutex libraryMutex;
std::atomic<std::thread::id> holder;
// Set while the lock is held, by its holder only.
const ComplaintSink* currentSink = nullptr;

void failCheck(const char* what) {
    std::fprintf(stderr, "galvetrin: %s\n", what);
    std::abort();
}

}  // namespace

const ComplaintSink& LibraryLock::noSink() {
    static const ComplaintSink none;
    return none;
}

LibraryLock::LibraryLock(const ComplaintSink& sink) {
    if (libraryLockChecked && holder.load() == std::this_thread::get_id()) {
        failCheck("the SNMP library lock is taken twice by one thread");
    }
    lock_ = std::unique_lock(libraryMutex);
    holder = std::this_thread::get_id();
    currentSink = &sink;
}

LibraryLock::~LibraryLock() {
    currentSink = nullptr;
    holder = std::thread::id();
}

void assertLibraryLocked() {
    if (libraryLockChecked && holder.load() != std::this_thread::get_id()) {
        failCheck("an SNMP library call without the library lock");
    }
}

void routeComplaint(std::string_view message) {
    assertLibraryLocked();
    if (currentSink != nullptr && *currentSink) {
        (*currentSink)(message);
        return;
    }
    std::fflush(stdout);
    std::fwrite(message.data(), 1, message.size(), stderr);
}
