// The actions' own tables: each action type's configuration (by configuration index) and
// statistics (by policy and object index), read into fields for the documents. A run walks only
// the tables of the action types its objects hold.
#pragma once

#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "collect/field_table.h"
#include "collect/object_table.h"

class ColumnWalker;
struct WalkOutcome;

enum class ActionStage : uint8_t { configs, counters };

struct ActionTable {
    uint32_t objectType;  // cbQosObjectsType of the actions whose rows these are
    ActionStage stage;
    FieldTable table;
    std::string_view listKey;  // a per-value table: the documents' list of its rows
};

// In the order the stages walk them and the documents show them; a run's rows of each are at
// the same position in RunResult::actionRows.
std::span<const ActionTable> actionTables();

// Positions in actionTables().
namespace action_table {
inline constexpr size_t policeConfig = 0, policeCounters = 1, queueingConfig = 2, shapingConfig = 3,
                        queueingCounters = 4, shapingCounters = 5, redConfig = 6, redThresholds = 7,
                        redCounters = 8, setCounters = 9;
}  // namespace action_table

// Fields other code reads, by their position in their table.
inline constexpr size_t queueBandwidthField = 0;
inline constexpr size_t queueBandwidthUnitsField = 1;
inline constexpr size_t shapingRateField = 0;

// The rows of `action` in table `t` of a run's rows (RunResult::actionRows), values ascending;
// none where the run has no rows of that table.
using ActionRowRange = std::pair<TableRows::const_iterator, TableRows::const_iterator>;
ActionRowRange actionRowsOf(const std::vector<TableRows>& rows, size_t t,
                            const QosObjectRecord& action);

// The walks of the stages' tables for the action types in `table`: -fast's second wave.
std::vector<const StageWalk*> actionTableWalks(const QosObjectTable& table,
                                               std::initializer_list<ActionStage> stages);

// Walks the stage's tables of the action types in `table`, in order, into `rows` and the
// columns each row gave into `read` (one entry per table); ends at the first failed walk.
// Nothing to walk is a stage that ran to its end.
WalkOutcome collectActionTables(ColumnWalker& walker, const QosObjectTable& table,
                                ActionStage stage, std::vector<TableRows>& rows,
                                std::vector<TableColumns>& read);
