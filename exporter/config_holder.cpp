#include "exporter/config_holder.h"

std::shared_ptr<const Config> ConfigHolder::current() const {
    const std::lock_guard lock(mutex_);
    return current_;
}

std::string ConfigHolder::reload() {
    const std::lock_guard loading(reloading_);
    ConfigLoad load = loadConfig(path_, expandEnvironment_);
    metrics_.countReload(load.config != nullptr);
    if (!load.config) {
        std::string reason;
        for (const std::string& error : load.errors) {
            log_.error("configuration not reloaded, the old one stays", {{"err", error}});
            reason += error + "\n";
        }
        return reason;
    }
    logConfigWarnings(log_, load);
    {
        const std::lock_guard lock(mutex_);
        current_ = std::move(load.config);
    }
    log_.info("configuration reloaded", {{"file", path_}});
    return "";
}

void logConfigWarnings(Log& log, const ConfigLoad& load) {
    for (const std::string& auth : load.warnings) {
        log.warn(
            "auth has no allowed_targets: anyone who reaches the exporter can point its "
            "credentials at any device",
            {{"auth", auth}});
    }
}
