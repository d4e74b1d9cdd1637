#include "report/text_report.h"

#include "report/listing.h"

namespace {
constexpr uint32_t outputDirection = 2;
}  // namespace

void TextReport::beginServicePolicies() {
    std::fprintf(out_, "PolicyNum Interface Direction\n");
    std::fprintf(out_, "--------- --------- ---------\n");
}

void TextReport::servicePolicy(const ServicePolicy& policy) {
    if (policy.direction == outputDirection) {
        std::fprintf(out_, "%9u %9u Output\n", policy.policyIndex, policy.ifIndex);
    } else {
        std::fprintf(out_, "%9u %9u Direction:%u\n", policy.policyIndex, policy.ifIndex,
                     policy.direction);
    }
}

void TextReport::failure(std::string_view line) {
    std::fprintf(out_, "%.*s\n", static_cast<int>(line.size()), line.data());
}

void TextReport::listings(const RunResult& result) {
    std::fprintf(out_, "\n");
    std::fprintf(out_,
                 "PolicyNum ObjectIndex ParentObject ObjectType        ConfigIndex PrePolicyPkts "
                 "DroppedPkts Description\n");
    std::fprintf(out_,
                 "--------- ----------- ------------ ----------------- ----------- ------------- "
                 "----------- -----------\n");
    printFlatListing(result.table, out_);
    std::fprintf(out_, "\n");
    printTreeListing(result.table, out_);
}
