#include "exporter/handlers.h"

#include <variant>

#include "exporter/landing_page.h"
#include "exporter/probe_request.h"

namespace {

constexpr const char* expositionType = "text/plain; version=0.0.4; charset=utf-8";
constexpr const char* plainText = "text/plain; charset=utf-8";

// One probe's place among those in flight, given back however the probe ends.
class InFlightSlot {
  public:
    explicit InFlightSlot(Exporter& exporter)
        : exporter_(exporter), taken_(exporter.inFlight.fetch_add(1) < exporter.maxConcurrent) {
        if (taken_) {
            exporter_.metrics.inFlight().Increment();
        } else {
            exporter_.inFlight.fetch_sub(1);
        }
    }
    ~InFlightSlot() {
        if (taken_) {
            exporter_.metrics.inFlight().Decrement();
            exporter_.inFlight.fetch_sub(1);
        }
    }
    InFlightSlot(const InFlightSlot&) = delete;
    InFlightSlot& operator=(const InFlightSlot&) = delete;

    bool taken() const { return taken_; }

  private:
    Exporter& exporter_;
    const bool taken_;
};

void refuse(Exporter& exporter, httplib::Response& response, int status, ProbeOutcome outcome,
            const std::string& reason, const std::string& target) {
    exporter.metrics.countProbe(outcome);
    exporter.log.debug("probe refused", {{"target", target}, {"reason", reason}});
    response.status = status;
    response.set_content(reason + "\n", plainText);
}

void probe(Exporter& exporter, const httplib::Request& request, httplib::Response& response) {
    // The configuration this probe started with, whatever a reload does meanwhile.
    const std::shared_ptr<const Config> config = exporter.configs.current();
    constexpr const char* timeoutHeader = "X-Prometheus-Scrape-Timeout-Seconds";
    const std::string target = request.get_param_value("target");
    auto parsed = probeJobOf(request.params,
                             request.has_header(timeoutHeader)
                                 ? std::optional(request.get_header_value(timeoutHeader))
                                 : std::nullopt,
                             *config, exporter.timeoutOffset);
    if (const std::string* reason = std::get_if<std::string>(&parsed)) {
        refuse(exporter, response, 400, ProbeOutcome::badRequest, *reason, target);
        return;
    }
    // Refused at once rather than queued: a queued probe would only time out at Prometheus.
    const InFlightSlot slot(exporter);
    if (!slot.taken()) {
        refuse(exporter, response, 503, ProbeOutcome::rejected,
               "too many probes in flight (" + std::to_string(exporter.maxConcurrent) + ")",
               target);
        return;
    }
    ProbeJob& job = std::get<ProbeJob>(parsed);
    // httplib 0.11 cannot tell a handler that its client went away: a probe ends by its
    // deadline, or early when the exporter shuts down.
    job.cancelled = &exporter.stopping;
    const auto start = std::chrono::steady_clock::now();
    const ProbeAnswer answer = runProbe(job, exporter.probes);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    exporter.metrics.probeDuration().Observe(took.count());
    exporter.metrics.countProbe(answer.success ? ProbeOutcome::success : ProbeOutcome::failure);
    exporter.log.debug("probe done", {{"target", target},
                                      {"success", answer.success ? "true" : "false"},
                                      {"duration_seconds", std::to_string(took.count())}});
    response.set_content(answer.body, job.debug ? plainText : expositionType);
}

}  // namespace

void addHandlers(httplib::Server& server, Exporter& exporter) {
    // Refusals echo the request's text: never let a browser read them as HTML.
    server.set_default_headers({{"X-Content-Type-Options", "nosniff"}});
    server.set_pre_routing_handler([&exporter](const auto& request, auto& response) {
        if (authorized(exporter.web, request.get_header_value("Authorization"))) {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        response.status = 401;
        response.set_header("WWW-Authenticate", "Basic realm=\"galvetrin-exporter\"");
        response.set_content("Unauthorized\n", plainText);
        return httplib::Server::HandlerResponse::Handled;
    });
    server.Get("/probe", [&exporter](const auto& request, auto& response) {
        probe(exporter, request, response);
    });
    server.Get("/metrics", [&exporter](const auto&, auto& response) {
        response.set_content(exporter.metrics.exposition(), expositionType);
    });
    server.Get("/", [](const auto&, auto& response) {
        response.set_content(landingPage(GALVETRIN_VERSION), "text/html; charset=utf-8");
    });
    server.Get("/-/healthy",
               [](const auto&, auto& response) { response.set_content("OK\n", plainText); });
    // The form with a content reader: httplib then reads no body, which a bodiless POST
    // without Content-Length (curl -X POST) would otherwise hold until the read timeout.
    server.Post("/-/reload", [&exporter](const httplib::Request&, httplib::Response& response,
                                         const httplib::ContentReader&) {
        const std::string failure = exporter.configs.reload();
        response.status = failure.empty() ? 200 : 500;
        response.set_content(failure.empty() ? "OK\n" : failure, plainText);
    });
    server.Get("/config", [&exporter](const auto&, auto& response) {
        response.set_content(configYaml(*exporter.configs.current()), plainText);
    });
}
