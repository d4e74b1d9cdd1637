// The one agent a run talks to: its settings from the command line and the single Net-SNMP
// session opened from them.
#pragma once

#include <cstdint>
#include <string>

struct SnmpTargetSettings {
    int32_t versionCode = 0;  // 0 SNMPv1, 1 SNMPv2c, 2 SNMPv3
    std::string agentName;
    std::string agentAddress;
    uint32_t port = 0;
    std::string communityString;
    std::string userName;
    std::string authPassword;
    std::string privPassword;
    int32_t authProtocol = 0;  // 0 none, 1 HMAC-MD5, 2 HMAC-SHA1
    int32_t privProtocol = 0;  // 0 none, 1 DES, 2 AES-128, 3 3DES, 4 AES-192, 5 AES-256
};

// The library's peer name for an address: "address:port", or "udp6:[address]:port" for an
// IPv6 literal, which the library would otherwise read as a host name with a port.
std::string peerName(const std::string& agentAddress, uint32_t port);

class SnmpTarget {
  public:
    SnmpTarget();
    ~SnmpTarget();
    SnmpTarget(const SnmpTarget&) = delete;
    SnmpTarget& operator=(const SnmpTarget&) = delete;

    // Opens a session from a copy of `settings`, closing any open one first. Returns false
    // when the library cannot open it; openError() then gives the library's reason.
    bool open(const SnmpTargetSettings& settings);
    void close();

    // Sets the time-out and retry count the next exchange uses. Does nothing without a session.
    void setExchangeLimits(long timeoutMicroseconds, int retries);

    const SnmpTargetSettings& settings() const { return settings_; }
    void* session() const { return session_; }
    const std::string& openError() const { return openError_; }

  private:
    SnmpTargetSettings settings_;
    void* session_ = nullptr;
    std::string openError_;
};
