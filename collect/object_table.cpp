#include "collect/object_table.h"

namespace {

uint64_t policyObjectKey(uint32_t policyIndex, uint32_t objectIndex) {
    return (static_cast<uint64_t>(policyIndex) << 32) | objectIndex;
}

// Records under the same parent: (policy, parent) below the top level, one key for the whole
// top level. A parent of 0 gives 0; any other gives a key that is never 0.
uint64_t parentKey(uint32_t policyIndex, uint32_t parentObject) {
    return parentObject == 0 ? 0 : policyObjectKey(policyIndex, parentObject);
}

}  // namespace

void QosObjectRecord::setTexts(std::string_view newName, std::string_view newDescription) {
    name.assign(newName.substr(0, textSize - 1));
    description.assign(newDescription.substr(0, textSize - 1));
}

void RecordChains::add(uint64_t key, uint32_t record) {
    next_.resize(record + 1, none);
    const auto [entry, inserted] = ends_.try_emplace(key, Ends{record, record});
    if (!inserted) {
        next_[entry->second.last] = record;
        entry->second.last = record;
    }
}

uint32_t RecordChains::first(uint64_t key) const {
    const auto entry = ends_.find(key);
    return entry == ends_.end() ? none : entry->second.first;
}

void RecordChains::clear() {
    ends_.clear();
    next_.clear();
}

void RecordChains::reserve(size_t records) {
    ends_.reserve(records);
    next_.reserve(records);
}

QosObjectTable::QosObjectTable(uint32_t capacity) : capacity_(capacity) {}

void QosObjectTable::clearTable() {
    records_.clear();
    byConfigIndex_.clear();
    byParent_.clear();
    byPolicyObject_.clear();
}

bool QosObjectTable::appendObject(uint32_t policyIndex, uint32_t objectIndex, uint32_t configIndex,
                                  uint32_t objectType, uint32_t parentObject) {
    if (recordCount() >= capacity_) {
        return false;
    }
    const uint32_t index = recordCount();
    QosObjectRecord& record = records_.emplace_back();
    record.policyIndex = policyIndex;
    record.objectType = objectType;
    record.objectIndex = objectIndex;
    record.configIndex = configIndex;
    record.parentObject = parentObject;
    byConfigIndex_.add(configIndex, index);
    byParent_.add(parentKey(policyIndex, parentObject), index);
    byPolicyObject_.try_emplace(policyObjectKey(policyIndex, objectIndex), index);
    return true;
}

QosObjectRecord* QosObjectTable::findByPolicyObject(uint32_t policyIndex, uint32_t objectIndex) {
    const uint32_t index = indexOf(policyIndex, objectIndex);
    return index == none ? nullptr : &records_[index];
}

uint32_t QosObjectTable::indexOf(uint32_t policyIndex, uint32_t objectIndex) const {
    const auto entry = byPolicyObject_.find(policyObjectKey(policyIndex, objectIndex));
    return entry == byPolicyObject_.end() ? none : entry->second;
}

uint32_t QosObjectTable::firstChild(uint32_t record) const {
    const QosObjectRecord& parent = records_[record];
    if (parent.objectIndex == 0) {
        return none;
    }
    const auto first =
        byPolicyObject_.find(policyObjectKey(parent.policyIndex, parent.objectIndex));
    if (first == byPolicyObject_.end() || first->second != record) {
        return none;
    }
    return byParent_.first(parentKey(parent.policyIndex, parent.objectIndex));
}
