#include "exporter/landing_page.h"

std::string landingPage(const std::string& version) {
    return R"(<!DOCTYPE html>
<html lang="en">
<head><meta charset="utf-8"><title>Galvetrin exporter</title></head>
<body>
<h1>Galvetrin exporter</h1>
<p>Version )" +
           version + R"(. Class-based QoS of one router per probe.</p>
<form action="probe" method="get">
<label>Target <input name="target" placeholder="192.0.2.1 or [2001:db8::1]:161" required></label>
<label>Auth <input name="auth" value="public_v2"></label>
<label>Module <input name="module" value="default"></label>
<label><input type="checkbox" name="debug" value="true"> debug</label>
<input type="submit" value="Probe">
</form>
<ul>
<li><a href="metrics">/metrics</a>: the exporter's own metrics</li>
<li><a href="config">/config</a>: the configuration in force, secrets masked</li>
<li><a href="-/healthy">/-/healthy</a></li>
</ul>
</body>
</html>
)";
}
