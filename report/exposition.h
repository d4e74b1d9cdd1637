// Prometheus' text exposition format (0.0.4), written here rather than by prometheus-cpp's
// serializer, which turns every value into a double: a 64-bit counter above 2^53 would come out
// rounded, and above 10^16 in exponent form. Integers are written as exact decimals. Label sets
// are formatted once and reused across families: a large router has hundreds of thousands of
// series.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using MetricLabels = std::vector<std::pair<std::string_view, std::string_view>>;

// `name="value",...`, each value escaped, without braces; appended to `out`.
void appendLabels(std::string& out, const MetricLabels& labels);

class Exposition {
  public:
    explicit Exposition(std::string& out) : out_(out) {}

    // "counter" or "gauge".
    void family(std::string_view name, std::string_view help, std::string_view type);
    // One series; `labels` as appendLabels() makes them, empty for none.
    void sample(std::string_view name, std::string_view labels, uint64_t value);
    void sample(std::string_view name, std::string_view labels, double value);

  private:
    void series(std::string_view name, std::string_view labels);
    std::string& out_;
};
