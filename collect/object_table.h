// The one store of collected QoS objects: a table in the agent's row order, up to a fixed
// capacity, with lookups by configuration index, by (policy, object) and by parent beside it.
//
// The hierarchy belongs to each policy instance: a record's children are the records of the
// same policy whose parentObject is its objectIndex. Routers that number objects per policy
// instance (the policy map is object 1 in every instance) would otherwise list every class
// under every policy map.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "collect/present_values.h"

// The class statistics of a class. A counter the router does not give stays absent.
class ClassCounters : public PresentValues<9> {
  public:
    enum Kind {
        prePolicyPackets,
        prePolicyBytes,
        prePolicyBitRate,
        postPolicyBytes,
        postPolicyBitRate,
        droppedPackets,
        droppedBytes,
        dropBitRate,
        noBufferDroppedPackets,
        kindCount,
    };
};
static_assert(ClassCounters::kindCount == 9);

// cbQosObjectsType codes the code acts on.
inline constexpr uint32_t policyMapType = 1;
inline constexpr uint32_t classMapType = 2;
inline constexpr uint32_t queueingType = 4;
inline constexpr uint32_t randomDetectType = 5;
inline constexpr uint32_t trafficShapingType = 6;
inline constexpr uint32_t policeType = 7;
inline constexpr uint32_t setType = 8;

struct QosObjectRecord {
    static constexpr size_t textSize = 512;  // at most 511 characters and the NUL

    uint32_t policyIndex = 0;
    uint32_t objectType = 0;
    uint32_t objectIndex = 0;
    uint32_t configIndex = 0;
    uint32_t parentObject = 0;
    // At most 511 characters each. Held as strings rather than 512-byte fields: a full table
    // of fixed fields is 100 MB that the kernel must fault in and zero.
    std::string name;
    std::string description;
    ClassCounters counters;

    // Replaces both texts, each cut to its first 511 characters.
    void setTexts(std::string_view newName, std::string_view newDescription);
};

// Records that share one key, linked in table order.
class RecordChains {
  public:
    static constexpr uint32_t none = UINT32_MAX;

    void add(uint64_t key, uint32_t record);
    uint32_t first(uint64_t key) const;
    uint32_t next(uint32_t record) const { return next_[record]; }
    void clear();
    void reserve(size_t records);

  private:
    struct Ends {
        uint32_t first;
        uint32_t last;
    };
    std::unordered_map<uint64_t, Ends> ends_;
    std::vector<uint32_t> next_;
};

class QosObjectTable {
  public:
    static constexpr uint32_t defaultCapacity = 100'000;
    static constexpr uint32_t none = RecordChains::none;

    explicit QosObjectTable(uint32_t capacity = defaultCapacity);

    void clearTable();
    // Appends a record with empty texts and zero counters; false when the table is full.
    bool appendObject(uint32_t policyIndex, uint32_t objectIndex, uint32_t configIndex,
                      uint32_t objectType, uint32_t parentObject);

    uint32_t recordCount() const { return static_cast<uint32_t>(records_.size()); }
    uint32_t capacity() const { return capacity_; }
    QosObjectRecord& record(uint32_t index) { return records_[index]; }
    const QosObjectRecord& record(uint32_t index) const { return records_[index]; }

    // Every record with this configuration index, in table order: first, then next.
    uint32_t firstWithConfigIndex(uint32_t configIndex) const {
        return byConfigIndex_.first(configIndex);
    }
    uint32_t nextWithConfigIndex(uint32_t record) const { return byConfigIndex_.next(record); }

    // The first record, in table order, with this policy and object index; null if none.
    QosObjectRecord* findByPolicyObject(uint32_t policyIndex, uint32_t objectIndex);
    // The same record's index; none if there is none.
    uint32_t indexOf(uint32_t policyIndex, uint32_t objectIndex) const;

    // The top level: every record whose parentObject is 0, whatever its policy, in table order.
    uint32_t firstTopLevel() const { return byParent_.first(topLevelKey); }
    // The children of a record, in table order. Only the first record of a (policy, object)
    // pair has children, and objectIndex 0 has none: 0 is the top level's key.
    uint32_t firstChild(uint32_t record) const;
    // The next record, in table order, under the same parent (or at the top level).
    uint32_t nextSibling(uint32_t record) const { return byParent_.next(record); }

  private:
    static constexpr uint64_t topLevelKey = 0;

    uint32_t capacity_;
    // Grows with what the router has; appending never moves a record.
    std::deque<QosObjectRecord> records_;
    RecordChains byConfigIndex_;
    RecordChains byParent_;
    std::unordered_map<uint64_t, uint32_t> byPolicyObject_;
};
