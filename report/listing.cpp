#include "report/listing.h"

#include "report/qos_tree.h"

#include <charconv>
#include <iterator>
#include <string>
#include <string_view>

namespace {

constexpr uint32_t queueingType = 4;

// Indexed by object type 1..9; the flat labels are 18 characters, the tree labels 22 with
// their indentation.
constexpr std::string_view flatLabels[] = {
    {},
    "PolicyMap(1)      ",
    "ClassMap(2)       ",
    "matchStatement(3) ",
    "queueing(4)       ",
    "randomDetect(5)   ",
    "trafficShaping(6) ",
    "police(7)         ",
    "set(8)            ",
    "compression(9)    ",
};
constexpr std::string_view treeLabels[] = {
    {},
    "PolicyMap(1)          ",
    "  ClassMap(2)         ",
    "    matchStatement(3) ",
    "    queueing(4)       ",
    "    randomDetect(5)   ",
    "    trafficShaping(6) ",
    "    police(7)         ",
    "    set(8)            ",
    "    compression(9)    ",
};
constexpr uint32_t knownTypes = 9;
constexpr std::string_view emptyCounters = "                          ";

// One row or line, built in memory and written with a single call: formatting each field
// through stdio cost more than the descent itself on a full table. Every piece appends
// exactly the characters its printf format would.
class Line {
  public:
    void text(std::string_view piece) { line_.append(piece); }
    // "%<width>u", or "%<width>llu" for the 64-bit counters
    void number(uint64_t value, size_t width = 0) {
        char digits[20];
        const size_t length =
            std::to_chars(std::begin(digits), std::end(digits), value).ptr - digits;
        if (width > length) {
            line_.append(width - length, ' ');
        }
        text({digits, length});
    }
    void write(FILE* out) {
        std::fwrite(line_.data(), 1, line_.size(), out);
        line_.clear();  // keeps its capacity for the next line
    }

  private:
    std::string line_;
};

void label(Line& line, const std::string_view (&labels)[knownTypes + 1], uint32_t objectType) {
    if (objectType >= 1 && objectType <= knownTypes) {
        line.text(labels[objectType]);
    } else {
        line.text("Unknown(");
        line.number(objectType);
        line.text(")");
    }
}

void counters(Line& line, const QosObjectRecord& record) {
    const ClassCounters& stats = record.counters;
    if (stats.value(ClassCounters::prePolicyPackets) != 0) {
        line.number(stats.value(ClassCounters::prePolicyPackets), 13);
        line.text(" ");
        line.number(stats.value(ClassCounters::droppedPackets), 11);
        line.text(" ");
    } else {
        line.text(emptyCounters);
    }
}

// Texts of a single character are not shown.
bool worthShowing(const std::string& text) {
    return text.size() >= 2;
}

// The name and the parenthesised description, then the line end. The flat row closes the
// description with ")", the tree line with ") ".
void texts(Line& line, const QosObjectRecord& record, std::string_view closing) {
    if (worthShowing(record.name)) {
        line.text(record.name);
        line.text(" ");
    }
    if (worthShowing(record.description)) {
        line.text("(");
        line.text(record.description);
        line.text(closing);
    }
    line.text("\n");
}

void printFlatRow(const QosObjectRecord& record, Line& line, FILE* out) {
    if (record.objectType == queueingType) {
        return;
    }
    line.number(record.policyIndex, 9);
    line.text(" ");
    line.number(record.objectIndex, 11);
    line.text(" ");
    line.number(record.parentObject, 12);
    line.text(" ");
    label(line, flatLabels, record.objectType);
    line.number(record.configIndex, 11);
    line.text(" ");
    counters(line, record);
    texts(line, record, ")");
    line.write(out);
}

void printTreeLine(const QosObjectRecord& record, Line& line, FILE* out) {
    label(line, treeLabels, record.objectType);
    counters(line, record);
    texts(line, record, ") ");
    line.write(out);
}

}  // namespace

void printFlatListing(const QosObjectTable& table, FILE* out) {
    Line line;
    visitTree(
        table, [&](uint32_t r, auto) { printFlatRow(table.record(r), line, out); },
        [](uint32_t) {});
}

void printTreeListing(const QosObjectTable& table, FILE* out) {
    Line line;
    visitTree(
        table, [&](uint32_t r, auto) { printTreeLine(table.record(r), line, out); },
        [](uint32_t) {});
}
