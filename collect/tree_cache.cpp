#include "collect/tree_cache.h"

std::shared_ptr<const TreeSnapshot> TreeCache::find(const std::string& key, Clock::duration maxAge,
                                                    Clock::time_point now) {
    const std::lock_guard lock(mutex_);
    const auto entry = byKey_.find(key);
    if (entry == byKey_.end()) {
        return nullptr;
    }
    if (now - entry->second->second->walkedAt >= maxAge) {
        entries_.erase(entry->second);
        byKey_.erase(entry);
        return nullptr;
    }
    entries_.splice(entries_.begin(), entries_, entry->second);
    return entry->second->second;
}

void TreeCache::keep(const std::string& key, std::shared_ptr<const TreeSnapshot> tree) {
    const std::lock_guard lock(mutex_);
    if (const auto entry = byKey_.find(key); entry != byKey_.end()) {
        entries_.erase(entry->second);
        byKey_.erase(entry);
    }
    if (maxEntries_ == 0) {
        return;
    }
    while (entries_.size() >= maxEntries_) {
        byKey_.erase(entries_.back().first);
        entries_.pop_back();
    }
    entries_.emplace_front(key, std::move(tree));
    byKey_[key] = entries_.begin();
}

void TreeCache::drop(const std::string& key) {
    const std::lock_guard lock(mutex_);
    if (const auto entry = byKey_.find(key); entry != byKey_.end()) {
        entries_.erase(entry->second);
        byKey_.erase(entry);
    }
}

size_t TreeCache::size() const {
    const std::lock_guard lock(mutex_);
    return entries_.size();
}
