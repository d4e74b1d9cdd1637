// The names of the interfaces the service policies sit on, by GET for just those ifIndex
// values: ifName (IF-MIB), and ifDescr where a router has no ifName for one.
#include <map>
#include <set>

#include "collect/column_walk.h"
#include "collect/debug.h"
#include "collect/stages.h"
#include "snmp/render.h"

namespace {

constexpr const char* ifName = "1.3.6.1.2.1.31.1.1.1.1";
constexpr const char* ifDescr = "1.3.6.1.2.1.2.2.1.2";
constexpr uint32_t controlPlaneType = 5;
// As many bindings as a walk's request asks for.
constexpr size_t namesPerRequest = 8;
constexpr size_t longestName = 511;

using Names = std::map<uint32_t, std::string>;

// GETs `column`.ifIndex for each of `wanted`, keeping every value that is a non-empty text.
bool getNames(SnmpSession& target, const char* column, const std::vector<uint32_t>& wanted,
              Names& names, std::string& failure) {
    for (size_t first = 0; first < wanted.size(); first += namesPerRequest) {
        SnmpRequest request(target, requestCounter++, SNMP_MSG_GET);
        std::vector<std::string> asked;
        for (size_t i = first; i < std::min(wanted.size(), first + namesPerRequest); ++i) {
            asked.push_back(std::string(column) + "." + std::to_string(wanted[i]));
            request.addNullBinding(parseOid(asked.back()));
        }
        debugPrint("Sending GET interface name packet...");
        const std::unique_ptr<SnmpResponse> response = exchange(request, target, failure);
        if (!response) {
            return false;
        }
        for (int32_t k = 1; k <= response->bindingCount(); ++k) {
            ResponseBinding& binding = response->binding(k);
            debugPrint("OID%d: %s = %s\n", k, binding.oidText().c_str(),
                       binding.valueText().c_str());
            const size_t position = static_cast<size_t>(k - 1);
            // A GET answers in the order asked; anything else is not the name asked for.
            if (position < asked.size() && binding.oidText() == asked[position] &&
                binding.type() == ASN_OCTET_STR && !binding.valueText().empty()) {
                names[wanted[first + position]] = binding.valueText().substr(0, longestName);
            }
        }
    }
    return true;
}

}  // namespace

WalkOutcome collectInterfaceNames(SnmpSession& target, std::vector<ServicePolicy>& policies) {
    debugPrint("Starting interface name collection\n");
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
    if (getNames(target, ifName, all, names, outcome.failure)) {
        std::vector<uint32_t> unnamed;
        for (uint32_t ifIndex : all) {
            if (!names.contains(ifIndex)) {
                unnamed.push_back(ifIndex);
            }
        }
        getNames(target, ifDescr, unnamed, names, outcome.failure);
    }
    for (ServicePolicy& policy : policies) {
        if (const auto name = names.find(policy.ifIndex);
            name != names.end() && !policy.interfaceName) {
            policy.interfaceName = name->second;
        }
    }
    outcome.rows = static_cast<uint32_t>(names.size());
    debugPrint("Finished interface name collection\n\n");
    return outcome;
}
