#include "app/runs.h"

#include <cstdio>
#include <string_view>

#include "app/exit_codes.h"
#include "app/progress_line.h"
#include "collect/runs.h"
#include "report/json_document.h"
#include "report/metrics_document.h"
#include "report/text_report.h"

namespace {

void write(FILE* out, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), out);
}

// Debug lines to `out`; a half line is flushed, since a request may block after it.
RunSinks commandLineSinks(const RunOptions& options, FILE* debugOut, ProgressLine& progress) {
    RunSinks sinks;
    if (options.debug) {
        sinks.debug = [debugOut](std::string_view text) {
            write(debugOut, text);
            if (!text.ends_with('\n')) {
                std::fflush(debugOut);
            }
        };
    }
    sinks.warning = [&progress](std::string_view text) {
        progress.clearForOutput();
        std::fflush(stdout);
        write(stderr, text);
        write(stderr, "\n");
    };
    sinks.walkBegin = [&progress](const char* stage) { progress.begin(stage); };
    sinks.walkProgress = [&progress](uint64_t rows, uint64_t requests) {
        progress.update(rows, requests);
    };
    sinks.walkEnd = [&progress] { progress.end(); };
    return sinks;
}

int noSession(const RunResult& result) {
    return reportNoSession(result.agent, result.openError);
}

}  // namespace

int reportNoSession(const std::string& agent, const std::string& reason) {
    std::fflush(stdout);
    std::fprintf(stderr, "galvetrin: cannot open an SNMP session to %s: %s\n", agent.c_str(),
                 reason.c_str());
    return exitNoSession;
}

int runTextReport(const SnmpSettings& settings, const RunOptions& options) {
    ProgressLine progress(!options.debug);
    TextReport report(stdout);
    RunSinks sinks = commandLineSinks(options, stdout, progress);
    sinks.servicePoliciesBegin = [&] { report.beginServicePolicies(); };
    sinks.servicePolicy = [&](const ServicePolicy& policy) {
        progress.clearForOutput();
        report.servicePolicy(policy);
    };
    sinks.failure = [&](std::string_view line) {
        progress.clearForOutput();
        report.failure(line);
    };
    RunContext context(std::move(sinks));
    const RunResult result =
        collectForTextReport(context, settings, {options.fast, options.highCapacity});
    if (!result.sessionOpened) {
        return noSession(result);
    }
    report.listings(result);
    return exitRun;
}

int runDocument(const SnmpSettings& settings, const RunOptions& options) {
    // Standard output carries the document alone: debug lines go to standard error.
    ProgressLine progress(!options.debug);
    RunContext context(commandLineSinks(options, stderr, progress));
    const RunResult result = collectForDocuments(context, settings, {options.fast, false});
    if (!result.sessionOpened) {
        return noSession(result);
    }
    if (options.format == OutputFormat::json) {
        writeJsonDocument(result, stdout);
    } else {
        writeMetricsDocument(result, stdout);
    }
    return exitRun;
}
