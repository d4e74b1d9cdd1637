// The names and speeds of the interfaces the service policies sit on, by GET for just those
// ifIndex values: ifName (IF-MIB), and ifDescr where a router has no ifName for one; ifHighSpeed,
// and ifSpeed where a router has no ifHighSpeed other than 0 for one.
#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "collect/stages.h"
#include "snmp/session.h"

namespace {

constexpr uint32_t controlPlaneType = 5;
// As many bindings as a walk's request asks for.
constexpr size_t perRequest = 8;
constexpr size_t longestName = 511;

// Takes a binding that answers for this ifIndex.
using Keep = std::function<void(uint32_t ifIndex, ResponseBinding& binding)>;

// GETs `column`.ifIndex for each of `wanted`, handing `keep` each binding that is what was asked.
bool getColumn(RunContext& context, SnmpSession& session, ColumnOid column, const char* what,
               const std::vector<uint32_t>& wanted, const Keep& keep, std::string& failure) {
    for (size_t first = 0; first < wanted.size(); first += perRequest) {
        SnmpRequest request(session, context.nextRequestId(), SNMP_MSG_GET);
        std::vector<std::vector<oid>> asked;
        for (size_t i = first; i < std::min(wanted.size(), first + perRequest); ++i) {
            std::vector<oid>& name = asked.emplace_back(column.begin(), column.end());
            name.push_back(wanted[i]);
            request.addNullBinding(name);
        }
        context.debug("Sending GET interface %s packet...", what);
        const std::unique_ptr<SnmpResponse> response = exchange(context, session, request, failure);
        if (!response) {
            return false;
        }
        for (int32_t k = 1; k <= response->bindingCount(); ++k) {
            ResponseBinding& binding = response->binding(k);
            if (context.debugging()) {
                context.debug("OID%d: %s = %s\n", k, binding.oidText().c_str(),
                              binding.valueText().c_str());
            }
            const size_t position = static_cast<size_t>(k - 1);
            // A GET answers in the order asked; anything else is not the value asked for.
            if (position < asked.size() && std::ranges::equal(binding.name(), asked[position])) {
                keep(wanted[first + position], binding);
            }
        }
    }
    return true;
}

// Every value that is a non-empty text, cut to the longest name kept.
Keep keepNames(std::map<uint32_t, std::string>& names) {
    return [&names](uint32_t ifIndex, ResponseBinding& binding) {
        if (binding.type() == ASN_OCTET_STR && !binding.valueText().empty()) {
            names[ifIndex] = binding.valueText().substr(0, longestName);
        }
    };
}

// Every value that is a Gauge32 (or an INTEGER) other than 0, times `unit`.
Keep keepSpeeds(std::map<uint32_t, uint64_t>& speeds, uint64_t unit) {
    return [&speeds, unit](uint32_t ifIndex, ResponseBinding& binding) {
        if ((binding.type() == ASN_GAUGE || binding.type() == ASN_INTEGER) &&
            binding.number() != 0) {
            speeds[ifIndex] = binding.number() * unit;
        }
    };
}

template <typename Value>
std::vector<uint32_t> without(const std::vector<uint32_t>& all,
                              const std::map<uint32_t, Value>& found) {
    std::vector<uint32_t> rest;
    for (uint32_t ifIndex : all) {
        if (!found.contains(ifIndex)) {
            rest.push_back(ifIndex);
        }
    }
    return rest;
}

}  // namespace

WalkOutcome collectInterfaceNames(RunContext& context, SnmpSession& session,
                                  std::vector<ServicePolicy>& policies) {
    context.debug("Starting interface name collection\n");
    std::set<uint32_t> interfaces;
    for (ServicePolicy& policy : policies) {
        if (policy.ifType == controlPlaneType) {
            policy.interfaceName = "control-plane";
        } else {
            interfaces.insert(policy.ifIndex);
        }
    }
    WalkOutcome outcome;
    std::map<uint32_t, std::string> names;
    std::map<uint32_t, uint64_t> speeds;
    const std::vector<uint32_t> all(interfaces.begin(), interfaces.end());
    // Each GET waits for the one before it to be answered; what came before a failure is kept.
    // ifHighSpeed is in Mbit/s, 0 below 1 Mbit/s or where unknown; ifSpeed, a Gauge32 that
    // stops at 4.29 Gbit/s, then says it.
    if (getColumn(context, session, ifName, "name", all, keepNames(names), outcome.failure) &&
        getColumn(context, session, ifDescr, "name", without(all, names), keepNames(names),
                  outcome.failure) &&
        getColumn(context, session, ifHighSpeed, "speed", all, keepSpeeds(speeds, 1'000'000),
                  outcome.failure)) {
        getColumn(context, session, ifSpeed, "speed", without(all, speeds), keepSpeeds(speeds, 1),
                  outcome.failure);
    }
    for (ServicePolicy& policy : policies) {
        if (const auto name = names.find(policy.ifIndex);
            name != names.end() && !policy.interfaceName) {
            policy.interfaceName = name->second;
        }
        if (const auto speed = speeds.find(policy.ifIndex); speed != speeds.end()) {
            policy.speedBitsPerSecond = speed->second;
        }
    }
    outcome.rows = static_cast<uint32_t>(names.size());
    context.debug("Finished interface name collection\n\n");
    return outcome;
}
