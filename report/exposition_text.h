// Series written straight as Prometheus text exposition (0.0.4), for the metric families too
// large to go through prometheus-cpp's serializer in time: the actions' hundreds of thousands
// of series. The text is the serializer's, byte for byte.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using LabelPairs = std::vector<std::pair<std::string, std::string>>;

// `name="value",...` with each value escaped, without braces.
std::string labelText(const LabelPairs& labels);

class ExpositionFamily {
  public:
    ExpositionFamily(std::string_view name, std::string_view help, std::string_view type);

    // One series: the family's name, {labels[,extraName="extraValue"]} and the value.
    void add(std::string_view labels, std::string_view extraName, std::string_view extraValue,
             double value);
    // Writes the family when it has a series at all, HELP and TYPE first.
    void write(FILE* out) const;

  private:
    std::string name_;
    std::string header_;
    std::string series_;
};
