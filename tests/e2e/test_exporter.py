"""galvetrin-exporter over HTTP against a simulated router on loopback: a probe is what -metrics
prints, every SNMPv3 protocol, the refused probes, the deadline against a silent router and the
limit on probes in flight, configuration errors and a failed reload, TLS with basic
authentication, a Prometheus server scraping through the README's configuration, and no secret
of the configuration in any answer, log line or command line."""

import base64
import json
import os
import re
import shutil
import signal
import socket
import ssl
import subprocess
import tempfile
import threading
import time
import unittest
import urllib.error
import urllib.request

import bcrypt
import yaml

from harness import ADDRESS, HERE, NET, OCTET, ROOT, BadAgent, SimulatedAgent, V3User, read, run

EXPORTER = os.environ["GALVETRIN_EXPORTER"]
DATA = os.path.join(HERE, "exporter")
CONFIG = yaml.safe_load(read(DATA, "exporter.yml"))
ENV = {"GALVETRIN_TEST_PRIV": "priv-secret-from-env"}
FILES = {"auth-secret.txt": "auth-secret-from-file"}
COMMUNITY = CONFIG["auths"]["public_v2"]["community"]
TIMEOUT = "X-Prometheus-Scrape-Timeout-Seconds"
# snmpsim's AES192/AES256 extend the key as routers do; its BLMT ones as Net-SNMP's agents do.
SNMPSIM_PRIV = {"AES192": "AES192BLMT", "AES256": "AES256BLMT", "AES192C": "AES192",
                "AES256C": "AES256"}


def secret(auth, key):
    """An auth's secret as the exporter reads it: from its file, the environment or the YAML."""
    if key + "_file" in auth:
        return FILES[auth[key + "_file"]]
    return ENV.get(auth[key].strip("${}"), auth[key]) if key in auth else None


SECRETS = {secret(auth, key) for auth in CONFIG["auths"].values()
           for key in ("community", "password", "priv_password")} - {None}
V3_AUTHS = {name: V3User(auth["username"], auth["auth_protocol"], SNMPSIM_PRIV.get(
    auth["priv_protocol"], auth["priv_protocol"]), secret(auth, "password"),
    secret(auth, "priv_password")) for name, auth in CONFIG["auths"].items()
    if auth.get("version") == 3}

# Probes refused with 400: query, header, the one-line reason.
BAD_PROBES = [
    ("", None, "no target: give /probe?target=ROUTER"),
    ("target=", None, "no target: give /probe?target=ROUTER"),
    ("target=a&target=b", None, "target, auth, module and debug may each be given once"),
    ("target=a&auth=public_v2&auth=md5_aes192", None, "target, auth, module and debug may each be given once"),
    ("target=a&module=default&module=quick", None, "target, auth, module and debug may each be given once"),
    ("target=a&auth=nobody", None, "unknown auth nobody"),
    ("target=a&module=nothing", None, "unknown module nothing"),
    ("target=a&debug=yes", None, "debug is true or false"),
    ("target=under_score", None, "target is not a host name or an IP address"),
    ("target=192.0.2.300", None, "target is not a host name or an IP address"),
    ("target=2001:db8::1", None, "target has more than one colon: an IPv6 address goes in brackets"),
    ("target=[192.0.2.1]", None, "target in brackets is not an IPv6 address"),
    ("target=router:70000", None, "target port is not a number from 1 to 65535"),
    ("target=198.51.100.1&auth=sha256_3des", None, "target 198.51.100.1 is not in the allowed_targets of auth sha256_3des"),
    ("target=[2001:db9::1]&auth=sha256_3des", None, "target [2001:db9::1] is not in the allowed_targets of auth sha256_3des"),
    ("target=router2.example.net&auth=sha256_3des", None, "target router2.example.net is not in the allowed_targets of auth sha256_3des"),
    ("target=a", "soon", "X-Prometheus-Scrape-Timeout-Seconds is not a positive number"),
]


# The series of the actions' counter stage, which a module with action_counters off leaves out.
ACTION_COUNTER_SERIES = ("galvetrin_police_packets_total", "galvetrin_police_bytes_total",
                         "galvetrin_police_bit_rate", "galvetrin_queue_depth",
                         "galvetrin_queue_max_depth", "galvetrin_queue_discarded",
                         "galvetrin_queue_transmitted", "galvetrin_red_", "galvetrin_set_",
                         "galvetrin_shaping_delayed", "galvetrin_shaping_dropped",
                         "galvetrin_shaping_active", "galvetrin_shaping_queue_size",
                         'galvetrin_stage_success{stage="actionCounters"}')


# Changes of the router's configuration between probes, as lines of its data dropped: a police
# action's statistics row, then a class's.
CHANGES = (r"1\.3\.6\.1\.4\.1\.9\.9\.166\.1\.17\.1\.1\.\d+\.229\.131074\|",
           r"1\.3\.6\.1\.4\.1\.9\.9\.166\.1\.15\.1\.1\.\d+\.225\.131072\|")


def without_durations(exposition):
    return [line for line in exposition.splitlines()
            if not line.startswith("galvetrin_collect_duration_seconds ")]


class Exporter:
    """The exporter on a port of ADDRESS for a with block; `log` is its standard error. On
    leaving, no secret may be in its answers, its log or the command lines of its time."""

    def __init__(self, port, *flags, scheme="http"):
        self.address = "%s:%d" % (ADDRESS, port)
        self.base = "%s://%s" % (scheme, self.address)
        self.command = [EXPORTER, "--web.listen-address=" + self.address, *flags]
        self.context = ssl._create_unverified_context()  # the test's own self-signed cert
        self.seen = []  # answers and command lines

    def __enter__(self):
        self.stderr = tempfile.TemporaryFile("w+")
        self.process = subprocess.Popen(self.command, env=dict(os.environ, **ENV),
                                        stderr=self.stderr)
        while "msg=listening" not in self.log():
            assert self.process.poll() is None, self.log()
            time.sleep(0.05)
        # The agent is given its users' keys on its command line; the exporter must not be.
        self.seen += [line for line in subprocess.run(["ps", "-eo", "args"], text=True,
                                                         capture_output=True).stdout.splitlines()
                         if "snmpsimd" not in line]
        return self

    def __exit__(self, *exc):
        self.process.send_signal(signal.SIGTERM)
        self.returncode = self.process.wait(timeout=10)
        self.finished_log = self.log()
        self.stderr.close()
        everything = self.finished_log + "".join(self.seen)
        leaked = [secret for secret in SECRETS if secret in everything]
        assert exc[0] or not leaked, "leaked: %s" % leaked

    def log(self):
        if self.stderr.closed:
            return self.finished_log
        self.stderr.seek(0)
        return self.stderr.read()

    def get(self, path, method="GET", headers=None):
        """(status, body)"""
        request = urllib.request.Request(self.base + path, method=method, headers=headers or {})
        try:
            with urllib.request.urlopen(request, context=self.context, timeout=130) as answer:
                status, body = answer.status, answer.read().decode()
        except urllib.error.HTTPError as error:
            status, body = error.code, error.read().decode()
        self.seen.append(body)
        return status, body


def check_config(path, env=None):
    return subprocess.run([EXPORTER, "--config.file=" + path, "--config.check",
                           "--config.expand-environment-variables"], cwd=DATA, env=env,
                          capture_output=True, text=True)


class ExporterTest(unittest.TestCase):
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        # The exporter's community and the command line's, and a user for each SNMPv3 auth.
        cls.enterClassContext(SimulatedAgent(
            read(ROOT, "scripts", "routers", "per-policy.snmprec"), ADDRESS,
            v3_users=V3_AUTHS.values(), communities=("public", COMMUNITY)))

    def setUp(self):
        self.workdir = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.workdir)
        self.config = os.path.join(self.workdir, "exporter.yml")
        shutil.copy(os.path.join(DATA, "exporter.yml"), self.config)
        for name, text in FILES.items():
            with open(os.path.join(self.workdir, name), "w") as f:
                f.write(text + "\n")
        self.flags = ("--config.file=" + self.config, "--config.expand-environment-variables")

    def test_probes_are_metrics_with_every_protocol(self):
        expected = without_durations(run(ADDRESS, "-v2c", "-c", "public", "-metrics").stdout)
        with Exporter(19721, *self.flags, "--log.level=debug") as exporter:
            requests = {}
            for module in "default", "classes":
                for cached in "01":  # the second from the configuration cache
                    document, own = exporter.get("/probe?module=%s&target=%s" % (
                        module, ADDRESS))[1].split("# HELP galvetrin_probe_success ")
                    self.assertEqual([line for line in expected if module == "default" or
                                      not re.sub("^# (HELP|TYPE) ", "", line).startswith(
                                          ACTION_COUNTER_SERIES)],
                                     without_durations(document))
                    self.assertIn("\ngalvetrin_probe_config_cached %s\n" % cached, own)
                requests[module] = re.search(r"\ngalvetrin_probe_snmp_requests (\d+)", own)[1]
            self.assertLess(int(requests["classes"]), int(requests["default"]))
            failed = [auth for auth in V3_AUTHS if "galvetrin_probe_success 1" not in exporter.get(
                "/probe?target=%s&auth=%s" % (ADDRESS, auth))[1].splitlines()]
            self.assertEqual([], failed)
            for query in "", "&auth=sha256_3des":
                self.assertEqual(200, exporter.get(
                    "/probe?debug=true&module=quick&target=" + ADDRESS + query)[0])
            secrets = sum(key.startswith(("community", "password", "priv_password"))
                          for auth in CONFIG["auths"].values() for key in auth)
            self.assertEqual(secrets, exporter.get("/config")[1].count("<secret>"))
            for path in "/", "/metrics":
                self.assertEqual(200, exporter.get(path)[0])
        self.assertEqual(0, exporter.returncode)

    def test_changed_configuration_walked_again(self):
        router = read(ROOT, "scripts", "routers", "per-policy.snmprec")
        address, communities = "%s.62.%s" % (NET, OCTET), ("public", COMMUNITY)
        with Exporter(19719, *self.flags) as exporter:
            for dropped in CHANGES:
                with SimulatedAgent(router, address, communities=communities):
                    exporter.get("/probe?target=" + address)  # the tree cached
                changed = "".join(line for line in router.splitlines(True)
                                  if not re.match(dropped, line))
                with SimulatedAgent(changed, address, communities=communities):
                    expected = without_durations(
                        run(address, "-v2c", "-c", "public", "-metrics").stdout)
                    document, own = exporter.get("/probe?target=" + address)[1].split(
                        "# HELP galvetrin_probe_success ")
                self.assertEqual(expected, without_durations(document), dropped)
                self.assertIn("\ngalvetrin_probe_config_cached 0\n", own)

    def test_tree_whose_action_counters_failed_is_not_kept(self):
        with BadAgent("actioncountererror", "%s.63.%s" % (NET, OCTET)) as agent:
            with Exporter(19718, *self.flags) as exporter:
                for _ in range(2):
                    own = exporter.get("/probe?target=" + agent.address)[1]
                    self.assertIn('\ngalvetrin_stage_success{stage="actionCounters"} 0\n', own)
                    self.assertIn("\ngalvetrin_probe_config_cached 0\n", own)

    def test_counter_gets_halve_on_too_big(self):
        with BadAgent("toobig", "%s.61.%s" % (NET, OCTET)) as agent:
            expected = without_durations(
                run(agent.address, "-v2c", "-c", "public", "-fast", "-metrics").stdout)
            with Exporter(19720, *self.flags) as exporter:
                for cached in "01":
                    document, own = exporter.get("/probe?target=" + agent.address)[1].split(
                        "# HELP galvetrin_probe_success ")
                    self.assertEqual(expected, without_durations(document))
                    self.assertIn("\ngalvetrin_probe_config_cached %s\n" % cached, own)
        gets = [len(entry["oids"]) for entry in agent.log if entry["pdu"] == "GetRequestPDU"]
        self.assertLess(2, max(gets))  # refused, then asked again in halves

    def test_bad_probes_and_reloads(self):
        with Exporter(19722, *self.flags) as exporter:
            for query, header, reason in BAD_PROBES:
                self.assertEqual((400, reason + "\n"), exporter.get(
                    "/probe?" + query, headers={TIMEOUT: header} if header else {}), query)
            config = exporter.get("/config")[1]

            # A file that fails to load leaves the configuration in force.
            with open(self.config, "a+") as f:
                f.write("surprise: 1\n")
                f.seek(0)
                line = len(f.readlines())
            self.assertEqual((500, "%s:%d: surprise: unknown key\n" % (self.config, line)),
                             exporter.get("/-/reload", method="POST"))
            self.assertEqual(config, exporter.get("/config")[1])

            # SIGHUP loads the mended file.
            shutil.copy(os.path.join(DATA, "exporter.yml"), self.config)
            with open(self.config, "a") as f:
                f.write("  later: {}\n")
            exporter.process.send_signal(signal.SIGHUP)
            while "msg=\"configuration reloaded\"" not in exporter.log():
                time.sleep(0.05)
            self.assertIn("galvetrin_probe_success 1", exporter.get(
                "/probe?module=later&target=" + ADDRESS)[1].splitlines())
            metrics = exporter.get("/metrics")[1].splitlines()
            for sample in ('galvetrin_exporter_probes_total{outcome="bad_request"} 17',
                           'galvetrin_exporter_probes_total{outcome="success"} 1',
                           'galvetrin_exporter_config_reloads_total{result="failure"} 1',
                           'galvetrin_exporter_config_reloads_total{result="success"} 1',
                           'galvetrin_exporter_config_last_reload_successful 1',
                           'galvetrin_exporter_build_info{version="2.0"} 1'):
                self.assertIn(sample, metrics)
        self.assertIn("level=warn msg=\"auth has no allowed_targets", exporter.log())

    def test_silent_router_deadline_and_probes_in_flight(self):
        silent = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.addCleanup(silent.close)
        silent.bind((ADDRESS, 0))
        answers = {}

        def probe(auth):  # the header less the default offset of 0.5 s: 2.5 s
            started = time.monotonic()
            answer = exporter.get("/probe?target=%s:%d&auth=%s" % (*silent.getsockname(), auth),
                                  headers={TIMEOUT: "3"})
            answers[auth] = answer, time.monotonic() - started

        with Exporter(19723, *self.flags, "--scrape.max-concurrent=2") as exporter:
            held = [threading.Thread(target=probe, args=(auth,))
                    for auth in ("public_v2", "sha256_3des")]  # v3: engine-ID discovery
            for thread in held:
                thread.start()
            while "galvetrin_exporter_probes_in_flight 2" not in exporter.get("/metrics")[1]:
                time.sleep(0.05)
            started = time.monotonic()
            self.assertEqual((503, "too many probes in flight (2)\n"),
                             exporter.get("/probe?target=" + ADDRESS))
            self.assertLess(time.monotonic() - started, 2)
            for thread in held:
                thread.join()
        for auth, ((status, body), took) in answers.items():
            stages = [line for line in body.splitlines() if line.startswith(
                ("galvetrin_stage_success", "galvetrin_probe_success"))]
            self.assertEqual((200, True), (status, 2 < took < 5), auth)
            self.assertEqual([], [line for line in stages if not line.endswith(" 0")], auth)
            self.assertGreater(len(stages), 1, auth)

    def test_config_errors(self):
        check = check_config("bad.yml")
        self.assertEqual((1, "", read(DATA, "bad.errors")), (check.returncode, check.stdout,
                                                              check.stderr))
        check = check_config(self.config, env=dict(os.environ, **ENV))
        self.assertEqual((0, self.config + ": OK\n"), (check.returncode, check.stdout))

    def test_tls_and_basic_auth(self):
        key, cert, web = (os.path.join(self.workdir, name) for name in ("key", "cert", "web.yml"))
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                        key, "-out", cert, "-days", "1", "-subj", "/CN=galvetrin-test"],
                       check=True, capture_output=True)
        hashed = bcrypt.hashpw(b"right horse", bcrypt.gensalt(rounds=4)).decode()
        with open(web, "w") as f:
            f.write("tls_server_config:\n  cert_file: cert\n  key_file: key\n"
                    "basic_auth_users:\n  prometheus: %s\n" % hashed)
        with Exporter(19724, *self.flags, "--web.config.file=" + web, scheme="https") as exporter:
            for password, status in (None, 401), ("wrong horse", 401), ("right horse", 200):
                basic = base64.b64encode(b"prometheus:" + (password or "").encode()).decode()
                headers = {"Authorization": "Basic " + basic} if password else {}
                self.assertEqual(status, exporter.get("/-/healthy", headers=headers)[0])
            with self.assertRaises(OSError):  # no plain HTTP beside TLS
                urllib.request.urlopen(exporter.base.replace("https", "http") + "/", timeout=5)

    def test_prometheus_scrapes_through_the_readme_configuration(self):
        with Exporter(19725, *self.flags) as exporter:
            exporter.get("/probe?target=" + ADDRESS)  # the tree cached: scrapes read counters
            # The README's file with this test's exporter and router, scraping every 2 s.
            scrape = yaml.safe_load(read(ROOT, "deploy", "prometheus", "prometheus.yml").replace(
                "127.0.0.1:9721", exporter.address))
            routers = scrape["scrape_configs"][0]
            routers["static_configs"] = [dict(group, targets=[ADDRESS] if k == 0 else [])
                                         for k, group in enumerate(routers["static_configs"])]
            routers.update(scrape_interval="2s", scrape_timeout="2s")
            with open(os.path.join(self.workdir, "prometheus.yml"), "w") as f:
                yaml.safe_dump(scrape, f)
            api = "http://%s:19726/api/v1/query?query=galvetrin_class_pre_policy_packets_total" % (
                ADDRESS)
            prometheus = subprocess.Popen([
                "/usr/bin/prometheus", "--config.file=" + f.name, "--web.listen-address=%s:19726"
                % ADDRESS, "--storage.tsdb.path=" + os.path.join(self.workdir, "data")],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                instances, deadline = set(), time.monotonic() + 60
                while ADDRESS not in instances and time.monotonic() < deadline:
                    time.sleep(1)
                    try:
                        with urllib.request.urlopen(api, timeout=5) as answer:
                            series = json.load(answer)["data"]["result"]
                    except OSError:
                        continue  # not listening yet
                    instances = {sample["metric"]["instance"] for sample in series}
            finally:
                prometheus.terminate()
                prometheus.wait()
            self.assertEqual({ADDRESS}, instances)


if __name__ == "__main__":
    unittest.main()
