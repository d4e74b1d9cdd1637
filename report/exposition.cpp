#include "report/exposition.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

// Label values escape backslash, double quote and line feed; help texts the first and last.
void escaped(std::string& out, std::string_view text, bool quotes) {
    for (char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '"' && quotes) {
            out += "\\\"";
        } else {
            out += c;
        }
    }
}

}  // namespace

void Exposition::family(std::string_view name, std::string_view help, std::string_view type) {
    out_.append("# HELP ").append(name).append(" ");
    escaped(out_, help, false);
    out_.append("\n# TYPE ").append(name).append(" ").append(type).append("\n");
}

void appendLabels(std::string& out, const MetricLabels& labels) {
    for (size_t i = 0; i < labels.size(); ++i) {
        out.append(i == 0 ? "" : ",").append(labels[i].first).append("=\"");
        escaped(out, labels[i].second, true);
        out += '"';
    }
}

void Exposition::series(std::string_view name, std::string_view labels) {
    out_.append(name);
    if (!labels.empty()) {
        out_.append("{").append(labels).append("}");
    }
    out_ += ' ';
}

void Exposition::sample(std::string_view name, std::string_view labels, uint64_t value) {
    series(name, labels);
    char digits[20];
    out_.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    out_ += '\n';
}

void Exposition::sample(std::string_view name, std::string_view labels, double value) {
    series(name, labels);
    if (std::isnan(value)) {
        out_ += "NaN";
    } else if (std::isinf(value)) {
        out_ += value < 0 ? "-Inf" : "+Inf";
    } else {
        // Sixteen significant digits, as Prometheus' client libraries write floats.
        char text[32];
        out_.append(text, static_cast<size_t>(std::snprintf(text, sizeof text, "%.16g", value)));
    }
    out_ += '\n';
}
