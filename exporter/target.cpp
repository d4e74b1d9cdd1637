#include "exporter/target.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>
#include <string>

namespace {

bool isAlphanumeric(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool parseNumber(std::string_view text, int maximum, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() &&
           value >= 0 && value <= maximum;
}

}  // namespace

std::optional<IpAddress> parseIpAddress(const std::string& text) {
    IpAddress address;
    if (inet_pton(AF_INET, text.c_str(), address.bytes.data()) == 1) {
        return address;
    }
    address.v6 = true;
    if (inet_pton(AF_INET6, text.c_str(), address.bytes.data()) == 1) {
        return address;
    }
    return std::nullopt;
}

bool isHostName(std::string_view text) {
    if (text.empty() || text.size() > 253) {
        return false;
    }
    std::string_view lastLabel;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('.', start), text.size());
        const std::string_view label = text.substr(start, end - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-' ||
            !std::all_of(label.begin(), label.end(),
                         [](char c) { return isAlphanumeric(c) || c == '-'; })) {
            return false;
        }
        lastLabel = label;
        start = end + 1;
    }
    return !std::all_of(lastLabel.begin(), lastLabel.end(),
                        [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<ProbeTarget> parseProbeTarget(std::string_view text, std::string& reason) {
    const bool bracketed = text.starts_with('[');
    std::string_view host = text;
    std::optional<std::string_view> port;
    if (bracketed) {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) {
            reason = "target has no closing bracket";
            return std::nullopt;
        }
        host = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':')) {
            reason = "target has text after its closing bracket";
            return std::nullopt;
        }
        port = rest.empty() ? port : rest.substr(1);
    } else if (const std::size_t colon = text.find(':'); colon != std::string_view::npos) {
        if (text.find(':', colon + 1) != std::string_view::npos) {
            reason = "target has more than one colon: an IPv6 address goes in brackets";
            return std::nullopt;
        }
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    int portNumber = 161;
    if (port && (!parseNumber(*port, 65535, portNumber) || portNumber == 0)) {
        reason = "target port is not a number from 1 to 65535";
        return std::nullopt;
    }
    ProbeTarget target{std::string(host), static_cast<uint16_t>(portNumber), std::nullopt};
    target.address = parseIpAddress(target.host);
    if (bracketed && !(target.address && target.address->v6)) {
        reason = "target in brackets is not an IPv6 address";
        return std::nullopt;
    }
    if (!bracketed && !target.address && !isHostName(host)) {
        reason = "target is not a host name or an IP address";
        return std::nullopt;
    }
    return target;
}

std::optional<AllowedTarget> parseAllowedTarget(const std::string& text) {
    AllowedTarget allowed;
    allowed.text = text;
    const std::size_t slash = text.find('/');
    allowed.network = parseIpAddress(text.substr(0, slash));
    if (allowed.network) {
        const int bits = allowed.network->v6 ? 128 : 32;
        allowed.prefixLength = bits;
        if (slash != std::string::npos &&
            !parseNumber(std::string_view(text).substr(slash + 1), bits, allowed.prefixLength)) {
            return std::nullopt;
        }
        return allowed;
    }
    if (slash != std::string::npos || !isHostName(text)) {
        return std::nullopt;
    }
    allowed.hostName = lowerCase(text);
    return allowed;
}

bool admits(const AllowedTarget& allowed, const ProbeTarget& target) {
    if (!allowed.network) {
        return !target.address && allowed.hostName == lowerCase(target.host);
    }
    if (!target.address || target.address->v6 != allowed.network->v6) {
        return false;
    }
    const int whole = allowed.prefixLength / 8;
    const int rest = allowed.prefixLength % 8;
    const auto& a = target.address->bytes;
    const auto& n = allowed.network->bytes;
    if (!std::equal(a.begin(), a.begin() + whole, n.begin())) {
        return false;
    }
    const uint8_t mask = static_cast<uint8_t>(0xff00 >> rest);
    return rest == 0 || (a[whole] & mask) == (n[whole] & mask);
}
