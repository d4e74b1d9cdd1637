// The three configuration tables indexed by cbQosConfigIndex: names and descriptions of
// policy maps and class maps, names and match information of match statements.
#include "collect/column_walk.h"
#include "collect/columns.h"
#include "collect/debug.h"
#include "collect/decimal.h"
#include "collect/stages.h"

namespace {
// The prefix of all three tables' first column is 30 characters long.
constexpr size_t configNamePrefixLength = 30;

WalkOutcome walkConfigNames(ColumnWalker& walker, QosObjectTable& table, const char* stage,
                            std::span<const char* const> columns) {
    return walker.walk(stage, columns, 4, [&](Row row) { storeConfigNameRow(table, row); });
}
}  // namespace

void storeConfigNameRow(QosObjectTable& table, Row row) {
    const uint32_t configIndex =
        decimalToUnsigned(std::string_view(row[0]->oidText()).substr(configNamePrefixLength));
    // A policy map attached to several interfaces gives each instance its own records with
    // the same configuration index; every one of them gets the names.
    for (uint32_t i = table.firstWithConfigIndex(configIndex); i != QosObjectTable::none;
         i = table.nextWithConfigIndex(i)) {
        table.record(i).setTexts(row[0]->valueText(), row[1]->valueText());
    }
}

WalkOutcome collectPolicyMapNames(ColumnWalker& walker, QosObjectTable& table) {
    debugPrint("Starting Policy name collection\n");
    const WalkOutcome outcome = walkConfigNames(walker, table, "policyMapNames", policyMapColumns);
    debugPrint("Finished Policy name collection\n");
    return outcome;
}

WalkOutcome collectClassMapNames(ColumnWalker& walker, QosObjectTable& table) {
    debugPrint("Starting ClassMap name collection\n");
    const WalkOutcome outcome = walkConfigNames(walker, table, "classMapNames", classMapColumns);
    debugPrint("Finished ClassMap name collection\n\n");
    return outcome;
}

WalkOutcome collectMatchStatements(ColumnWalker& walker, QosObjectTable& table) {
    debugPrint("Starting Queue Match Statements collection\n");
    const WalkOutcome outcome =
        walkConfigNames(walker, table, "matchStatements", matchStatementColumns);
    debugPrint("Finished Queue Match Statements collection\n\n");
    return outcome;
}
