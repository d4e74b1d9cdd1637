#include "report/qos_tree.h"

TreePlace placeOf(const QosObjectTable& table, std::span<const uint32_t> ancestors,
                  uint32_t record) {
    TreePlace place;
    const auto visit = [&](uint32_t index) {
        const QosObjectRecord& r = table.record(index);
        if (!place.path.empty()) {
            place.path += '/';
        }
        place.path += r.name;
        if (r.objectType == policyMapType) {
            place.policy = r.name;
        }
    };
    for (uint32_t ancestor : ancestors) {
        visit(ancestor);
    }
    visit(record);
    return place;
}

namespace {
template <size_t size>
std::optional<std::string_view> nameOf(const std::string_view (&names)[size], uint64_t code) {
    if (code >= 1 && code < size) {
        return names[code];
    }
    return std::nullopt;
}
}  // namespace

std::optional<std::string_view> directionName(uint32_t direction) {
    static constexpr std::string_view names[] = {{}, "input", "output"};
    return nameOf(names, direction);
}

std::optional<std::string_view> interfaceTypeName(uint32_t ifType) {
    static constexpr std::string_view names[] = {
        {}, "mainInterface", "subInterface", "frDLCI", "atmPVC", "controlPlane", "vlanPort", "evc"};
    return nameOf(names, ifType);
}

std::optional<std::string_view> objectTypeName(uint32_t objectType) {
    static constexpr std::string_view names[] = {
        {},         "policyMap",    "classMap",       "matchStatement",
        "queueing", "randomDetect", "trafficShaping", "police",
        "set",      "compression"};
    return nameOf(names, objectType);
}

std::optional<std::string_view> fieldCodeName(ValueKind kind, uint64_t code) {
    static constexpr std::string_view rateTypes[] = {{},    "bps",         "percentage",
                                                     "cps", "perThousand", "perMillion"};
    static constexpr std::string_view bandwidthUnits[] = {
        {},          "kbps", "percentage", "percentageRemaining", "ratioRemaining", "perThousand",
        "perMillion"};
    static constexpr std::string_view queueLimitUnits[] = {{},   "packets", "cells",     "bytes",
                                                           "ms", "us",      "percentage"};
    static constexpr std::string_view limitTypes[] = {{}, "average", "peak"};
    static constexpr std::string_view redMechanisms[] = {
        {},       "precedence", "dscp",       "discardClass",   "l2Cos",
        "atmClp", "mplsExp",    "redDefault", "redUserDefault", "dei"};
    switch (kind) {
        case ValueKind::rateType:
            return nameOf(rateTypes, code);
        case ValueKind::bandwidthUnits:
            return nameOf(bandwidthUnits, code);
        case ValueKind::queueLimitUnits:
            return nameOf(queueLimitUnits, code);
        case ValueKind::limitType:
            return nameOf(limitTypes, code);
        case ValueKind::redMechanism:
            return nameOf(redMechanisms, code);
        case ValueKind::number:
        case ValueKind::truth:
            break;
    }
    return std::nullopt;
}

std::optional<bool> truthValue(uint64_t value) {
    if (value == 1 || value == 2) {
        return value == 1;
    }
    return std::nullopt;
}

std::string interfaceText(const ServicePolicy* policy) {
    return policy ? policy->interfaceName.value_or(std::to_string(policy->ifIndex)) : "";
}

std::string directionText(const ServicePolicy* policy) {
    if (policy == nullptr) {
        return "";
    }
    const std::optional<std::string_view> name = directionName(policy->direction);
    return name ? std::string(*name) : std::to_string(policy->direction);
}
