#include "report/exposition_text.h"

#include <limits>

namespace {

void appendEscaped(std::string& out, std::string_view value) {
    for (const char c : value) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
}

}  // namespace

std::string labelText(const LabelPairs& labels) {
    std::string text;
    for (const auto& [name, value] : labels) {
        if (!text.empty()) {
            text += ',';
        }
        text += name;
        text += "=\"";
        appendEscaped(text, value);
        text += '"';
    }
    return text;
}

ExpositionFamily::ExpositionFamily(std::string_view name, std::string_view help,
                                   std::string_view type)
    : name_(name) {
    header_.append("# HELP ").append(name).append(" ").append(help).append("\n");
    header_.append("# TYPE ").append(name).append(" ").append(type).append("\n");
}

void ExpositionFamily::add(std::string_view labels, std::string_view extraName,
                           std::string_view extraValue, double value) {
    series_.append(name_).append("{").append(labels);
    if (!extraName.empty()) {
        series_.append(",").append(extraName).append("=\"");
        appendEscaped(series_, extraValue);
        series_ += '"';
    }
    // As prometheus-cpp writes values: 16 significant digits.
    char number[64];
    const int length = std::snprintf(number, sizeof number, "} %.*g\n",
                                     std::numeric_limits<double>::max_digits10 - 1, value);
    series_.append(number, static_cast<size_t>(length));
}

void ExpositionFamily::write(FILE* out) const {
    if (!series_.empty()) {
        std::fwrite(header_.data(), 1, header_.size(), out);
        std::fwrite(series_.data(), 1, series_.size(), out);
    }
}
