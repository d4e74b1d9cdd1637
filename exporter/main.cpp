// galvetrin-exporter: serves Prometheus metrics of routers' class-based QoS, one router per
// scrape of /probe, in the multi-target pattern of Prometheus' SNMP and blackbox exporters.
#include <httplib.h>
#include <signal.h>

#include <cstdio>
#include <memory>

#include "exporter/config.h"
#include "exporter/config_holder.h"
#include "exporter/exporter_metrics.h"
#include "exporter/flags.h"
#include "exporter/handlers.h"
#include "exporter/log.h"
#include "exporter/signals.h"
#include "exporter/web_config.h"
#include "snmp/library.h"

namespace {

constexpr int exitServed = 0;
constexpr int exitFailed = 1;

// --config.check: every error on standard error, one a line.
int checkConfig(const ExporterFlags& flags, Log& log) {
    const ConfigLoad load = loadConfig(flags.configFile, flags.expandEnvironment);
    for (const std::string& error : load.errors) {
        std::fprintf(stderr, "%s\n", error.c_str());
    }
    if (!load.config) {
        return exitFailed;
    }
    logConfigWarnings(log, load);
    std::printf("%s: OK\n", flags.configFile.c_str());
    return exitServed;
}

std::unique_ptr<httplib::Server> makeServer(const WebConfig& web) {
    if (web.certFile.empty()) {
        return std::make_unique<httplib::Server>();
    }
    return std::make_unique<httplib::SSLServer>(web.certFile.c_str(), web.keyFile.c_str());
}

int serve(const ExporterFlags& flags, Log& log) {
    const ConfigLoad load = loadConfig(flags.configFile, flags.expandEnvironment);
    for (const std::string& error : load.errors) {
        log.error("configuration not loaded", {{"err", error}});
    }
    WebConfig web;
    const std::vector<std::string> webErrors = flags.webConfigFile.empty()
                                                   ? std::vector<std::string>{}
                                                   : loadWebConfig(flags.webConfigFile, web);
    for (const std::string& error : webErrors) {
        log.error("web configuration not loaded", {{"err", error}});
    }
    if (!load.config || !webErrors.empty()) {
        return exitFailed;
    }
    logConfigWarnings(log, load);
    ListenAddress listen;
    parseListenAddress(flags.listenAddress, listen);

    ExporterMetrics metrics(GALVETRIN_VERSION);
    ConfigHolder configs(flags.configFile, flags.expandEnvironment, load.config, log, metrics);
    std::atomic<bool> stopping = false;
    TreeCache trees(static_cast<size_t>(flags.cacheMaxTargets));
    CollectionJoin joins;
    Exporter exporter{
        configs,  metrics,       log, web, flags.scrapeTimeoutOffset, flags.maxConcurrent,
        stopping, {trees, joins}};
    const std::unique_ptr<httplib::Server> server = makeServer(web);
    if (!server->is_valid()) {
        log.error("cannot use the TLS certificate and key",
                  {{"cert_file", web.certFile}, {"key_file", web.keyFile}});
        return exitFailed;
    }
    // More workers than probes may run, so that our own count refuses the excess with 503
    // at once instead of httplib queueing it unseen.
    const std::size_t workers = static_cast<std::size_t>(flags.maxConcurrent) + 16;
    server->new_task_queue = [workers] { return new httplib::ThreadPool(workers); };
    server->set_payload_max_length(64 * 1024);  // requests carry no body worth more
    addHandlers(*server, exporter);

    // An empty host means every address: "::" takes IPv4 as well on a dual-stack socket.
    const std::string host = listen.host.empty() ? "::" : listen.host;
    const SignalThread signals([&configs] { configs.reload(); },
                               [&] {
                                   stopping = true;
                                   server->stop();
                               });
    if (!server->bind_to_port(host, listen.port)) {
        log.error("cannot listen", {{"address", flags.listenAddress}});
        return exitFailed;
    }
    log.info("listening", {{"address", flags.listenAddress},
                           {"tls", web.certFile.empty() ? "false" : "true"},
                           {"basic_auth", web.basicAuthUsers.empty() ? "false" : "true"}});
    server->listen_after_bind();
    log.info("stopped");
    return exitServed;
}

}  // namespace

int main(int argc, char** argv) {
    ExporterFlags flags;
    if (const std::string error = readFlags(argc, argv, flags); !error.empty()) {
        std::fprintf(stderr, "galvetrin-exporter: %s\n%s", error.c_str(), usageText().c_str());
        return exitFailed;
    }
    if (flags.help) {
        std::printf("%s", usageText().c_str());
        return exitServed;
    }
    if (flags.version) {
        std::printf("galvetrin-exporter %s\n", GALVETRIN_VERSION);
        return exitServed;
    }
    // A client that goes away mid-answer must not end the process.
    signal(SIGPIPE, SIG_IGN);
    Log log(flags.logLevel);
    // Once, before any other thread: the configuration's pass phrases are hashed at load.
    const SnmpLibrary library;
    return flags.configCheck ? checkConfig(flags, log) : serve(flags, log);
}
