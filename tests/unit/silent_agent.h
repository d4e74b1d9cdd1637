// A UDP socket on loopback that takes requests and never answers: what a deadline or a cancel
// must end, without waiting for the requests' time-outs.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

class SilentAgent {
  public:
    SilentAgent() : socket_(socket(AF_INET, SOCK_DGRAM, 0)) {
        sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t length = sizeof address;
        bound_ = bind(socket_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                 getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0;
        port_ = ntohs(address.sin_port);
    }
    ~SilentAgent() { close(socket_); }
    SilentAgent(const SilentAgent&) = delete;
    SilentAgent& operator=(const SilentAgent&) = delete;

    int descriptor() const { return socket_; }
    bool bound() const { return bound_; }
    uint16_t port() const { return port_; }

  private:
    int socket_;
    bool bound_ = false;
    uint16_t port_ = 0;
};
