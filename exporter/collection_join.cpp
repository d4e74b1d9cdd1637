#include "exporter/collection_join.h"

std::optional<SharedCollection> CollectionJoin::run(const std::string& key,
                                                    std::chrono::steady_clock::time_point deadline,
                                                    const Collect& collect) {
    std::unique_lock lock(mutex_);
    if (const auto found = flights_.find(key); found != flights_.end() && found->second->joinable) {
        const std::shared_ptr<Flight> flight = found->second;
        if (!finished_.wait_until(lock, deadline, [&] { return flight->done; })) {
            return std::nullopt;
        }
        return flight->collection;
    }
    const auto flight = std::make_shared<Flight>();
    flights_[key] = flight;
    lock.unlock();
    SharedCollection collection = collect([&] {
        const std::lock_guard closing(mutex_);
        flight->joinable = false;
    });
    lock.lock();
    flight->collection = collection;
    flight->done = true;
    if (const auto mine = flights_.find(key); mine != flights_.end() && mine->second == flight) {
        flights_.erase(mine);
    }
    finished_.notify_all();
    return collection;
}
