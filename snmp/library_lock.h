// The one lock around the Net-SNMP library. Debian's libsnmp is built without its reentrant
// option, so runs against different routers share it by taking turns: every library call is
// made under this lock, and all waiting for the network is done outside it.
#pragma once

#include <functional>
#include <mutex>
#include <string_view>

// Takes the library's complaints (its log messages) raised by a run's library calls.
using ComplaintSink = std::function<void(std::string_view message)>;

// Whether assertLibraryLocked() checks: in debug and sanitized builds.
#if !defined(NDEBUG) || defined(GALVETRIN_CHECK_LIBRARY_LOCK)
inline constexpr bool libraryLockChecked = true;
#else
inline constexpr bool libraryLockChecked = false;
#endif

class LibraryLock {
  public:
    // Waits for the lock. The library's complaints raised while it is held go to `sink`, which
    // must not call the library; without a sink they go to standard error.
    explicit LibraryLock(const ComplaintSink& sink = noSink());
    ~LibraryLock();
    LibraryLock(const LibraryLock&) = delete;
    LibraryLock& operator=(const LibraryLock&) = delete;

  private:
    static const ComplaintSink& noSink();
    std::unique_lock<std::mutex> lock_;
};

// Aborts, in debug and sanitized builds, when the calling thread does not hold the lock.
void assertLibraryLocked();

// Hands a library complaint to the sink of the lock's holder.
void routeComplaint(std::string_view message);
