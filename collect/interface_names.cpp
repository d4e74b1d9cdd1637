// The names of the interfaces the service policies sit on, by GET for just those ifIndex
// values: ifName (IF-MIB), and ifDescr where a router has no ifName for one.
#include <algorithm>
#include <map>
#include <set>

#include "collect/stages.h"
#include "snmp/session.h"

namespace {

constexpr uint32_t controlPlaneType = 5;
// As many bindings as a walk's request asks for.
constexpr size_t namesPerRequest = 8;
constexpr size_t longestName = 511;

using Names = std::map<uint32_t, std::string>;

// GETs `column`.ifIndex for each of `wanted`, keeping every value that is a non-empty text.
bool getNames(RunContext& context, SnmpSession& session, ColumnOid column,
              const std::vector<uint32_t>& wanted, Names& names, std::string& failure) {
    for (size_t first = 0; first < wanted.size(); first += namesPerRequest) {
        SnmpRequest request(session, context.nextRequestId(), SNMP_MSG_GET);
        std::vector<std::vector<oid>> asked;
        for (size_t i = first; i < std::min(wanted.size(), first + namesPerRequest); ++i) {
            std::vector<oid>& name = asked.emplace_back(column.begin(), column.end());
            name.push_back(wanted[i]);
            request.addNullBinding(name);
        }
        context.debug("Sending GET interface name packet...");
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
            // A GET answers in the order asked; anything else is not the name asked for.
            if (position < asked.size() && std::ranges::equal(binding.name(), asked[position]) &&
                binding.type() == ASN_OCTET_STR && !binding.valueText().empty()) {
                names[wanted[first + position]] = binding.valueText().substr(0, longestName);
            }
        }
    }
    return true;
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
    Names names;
    const std::vector<uint32_t> all(interfaces.begin(), interfaces.end());
    if (getNames(context, session, ifName, all, names, outcome.failure)) {
        std::vector<uint32_t> unnamed;
        for (uint32_t ifIndex : all) {
            if (!names.contains(ifIndex)) {
                unnamed.push_back(ifIndex);
            }
        }
        getNames(context, session, ifDescr, unnamed, names, outcome.failure);
    }
    for (ServicePolicy& policy : policies) {
        if (const auto name = names.find(policy.ifIndex);
            name != names.end() && !policy.interfaceName) {
            policy.interfaceName = name->second;
        }
    }
    outcome.rows = static_cast<uint32_t>(names.size());
    context.debug("Finished interface name collection\n\n");
    return outcome;
}
