// The one agent a run talks to: its settings and the single Net-SNMP session opened from them.
#pragma once

#include <string>

#include "snmp/library_lock.h"
#include "snmp/settings.h"
#include "snmp/stop_condition.h"

class SnmpSession {
  public:
    // The library's complaints about this session's calls go to `complaints`.
    explicit SnmpSession(ComplaintSink complaints = {});
    ~SnmpSession();
    SnmpSession(const SnmpSession&) = delete;
    SnmpSession& operator=(const SnmpSession&) = delete;

    // Opens a session from a copy of `settings`, closing any open one first; derives the user's
    // keys when the settings carry none. The library learns an SNMPv3 agent's engine ID itself
    // at the first send, waiting inside the library (the lock held) for the time-out and
    // retries the session has then: for a program with one run. Returns false when the session
    // cannot be opened; openError() then says why, in the library's words.
    bool open(const SnmpSettings& settings);
    // The same, but an SNMPv3 agent's engine ID is learnt here, waiting outside the lock with
    // the library's default time-out and retries (six tries of a second) and no longer than
    // `stop` allows: for programs that run many collections at once.
    bool open(const SnmpSettings& settings, const StopCondition& stop);
    void close();

    // Sets the time-out and retry count of the requests sent from now on. Does nothing without
    // a session.
    void setExchangeLimits(long timeoutMicroseconds, int retries);

    const SnmpSettings& settings() const { return settings_; }
    const std::string& openError() const { return openError_; }
    const ComplaintSink& complaints() const { return complaints_; }
    // The library's single-session handle; null when closed. For the request layer.
    void* handle() const { return handle_; }

  private:
    bool openSession(const SnmpSettings& settings, bool libraryDiscovers);
    bool discoverEngineId(const StopCondition& stop);
    void closeLocked();

    ComplaintSink complaints_;
    SnmpSettings settings_;
    void* handle_ = nullptr;
    std::string openError_;
};
