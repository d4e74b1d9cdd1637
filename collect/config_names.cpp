// The three configuration tables indexed by cbQosConfigIndex: names and descriptions of
// policy maps and class maps, names and match information of match statements.
#include "collect/stages.h"

namespace {
WalkOutcome walkConfigNames(ColumnWalker& walker, QosObjectTable& table, const StageWalk& walk,
                            const char* what, const char* finishedEnd) {
    walker.context().debug("Starting %s collection\n", what);
    const WalkOutcome outcome = walker.walk(walk, [&](Row row) { storeConfigNameRow(table, row); });
    walker.context().debug("Finished %s collection\n%s", what, finishedEnd);
    return outcome;
}
}  // namespace

void storeConfigNameRow(QosObjectTable& table, Row row) {
    // All three tables' first columns are of one length.
    const uint32_t configIndex = subidAt(row[0]->name(), cbQosPolicyMapName.size());
    // A policy map attached to several interfaces gives each instance its own records with
    // the same configuration index; every one of them gets the names.
    for (uint32_t i = table.firstWithConfigIndex(configIndex); i != QosObjectTable::none;
         i = table.nextWithConfigIndex(i)) {
        table.record(i).setTexts(row[0]->valueText(), row[1]->valueText());
    }
}

WalkOutcome collectPolicyMapNames(ColumnWalker& walker, QosObjectTable& table) {
    return walkConfigNames(walker, table, policyMapWalk, "Policy name", "");
}

WalkOutcome collectClassMapNames(ColumnWalker& walker, QosObjectTable& table) {
    return walkConfigNames(walker, table, classMapWalk, "ClassMap name", "\n");
}

WalkOutcome collectMatchStatements(ColumnWalker& walker, QosObjectTable& table) {
    return walkConfigNames(walker, table, matchStatementWalk, "Queue Match Statements", "\n");
}
