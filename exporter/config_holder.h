// The configuration in force: an immutable value swapped whole when a reload succeeds, so
// that a probe keeps the configuration it started with.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "exporter/config.h"
#include "exporter/exporter_metrics.h"
#include "exporter/log.h"

class ConfigHolder {
  public:
    ConfigHolder(std::string path, bool expandEnvironment, std::shared_ptr<const Config> first,
                 Log& log, ExporterMetrics& metrics)
        : path_(std::move(path)),
          expandEnvironment_(expandEnvironment),
          current_(std::move(first)),
          log_(log),
          metrics_(metrics) {}

    std::shared_ptr<const Config> current() const;

    // Loads the file again. On failure keeps the configuration in force, logs why and
    // returns the reason (every error, one a line); on success returns an empty text.
    std::string reload();

  private:
    const std::string path_;
    const bool expandEnvironment_;
    mutable std::mutex mutex_;
    std::shared_ptr<const Config> current_;
    std::mutex reloading_;  // one load at a time: SIGHUP and /-/reload may meet
    Log& log_;
    ExporterMetrics& metrics_;
};

// Logs a load's warnings: each auth without allowed_targets.
void logConfigWarnings(Log& log, const ConfigLoad& load);
