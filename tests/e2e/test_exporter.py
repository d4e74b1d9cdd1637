"""galvetrin-exporter over HTTP on the test's loopback address: the refused probes, the limit
on probes in flight, configuration errors, secrets from a file and the environment that no
answer or log line shows, a failed reload, and TLS with basic authentication."""

import base64
import os
import shutil
import signal
import ssl
import subprocess
import tempfile
import threading
import time
import unittest
import urllib.error
import urllib.request

import bcrypt

from harness import ADDRESS, HERE, read

EXPORTER = os.environ["GALVETRIN_EXPORTER"]
DATA = os.path.join(HERE, "exporter")
SECRETS = ("c0mmunity-in-file", "auth-secret-from-file", "priv-secret-from-env")
EXPOSITION = "text/plain; version=0.0.4; charset=utf-8"

# Probes refused with 400: query, header, the one-line reason.
BAD_PROBES = [
    ("", None, "no target: give /probe?target=ROUTER"),
    ("target=", None, "no target: give /probe?target=ROUTER"),
    ("target=a&target=b", None, "target, auth, module and debug may each be given once"),
    ("target=a&auth=public_v2&auth=lab_v3", None, "target, auth, module and debug may each be given once"),
    ("target=a&module=default&module=quick", None, "target, auth, module and debug may each be given once"),
    ("target=a&auth=nobody", None, "unknown auth nobody"),
    ("target=a&module=nothing", None, "unknown module nothing"),
    ("target=a&debug=yes", None, "debug is true or false"),
    ("target=under_score", None, "target is not a host name or an IP address"),
    ("target=192.0.2.300", None, "target is not a host name or an IP address"),
    ("target=2001:db8::1", None, "target has more than one colon: an IPv6 address goes in brackets"),
    ("target=[192.0.2.1]", None, "target in brackets is not an IPv6 address"),
    ("target=router:70000", None, "target port is not a number from 1 to 65535"),
    ("target=198.51.100.1&auth=lab_v3", None, "target 198.51.100.1 is not in the allowed_targets of auth lab_v3"),
    ("target=[2001:db9::1]&auth=lab_v3", None, "target [2001:db9::1] is not in the allowed_targets of auth lab_v3"),
    ("target=router2.example.net&auth=lab_v3", None, "target router2.example.net is not in the allowed_targets of auth lab_v3"),
    ("target=a", "soon", "X-Prometheus-Scrape-Timeout-Seconds is not a positive number"),
]

# Probes answered: query, content type, a line of the body.
GOOD_PROBES = [
    ("target=192.0.2.1", EXPOSITION, 'galvetrin_stub_probe{target="192.0.2.1:161"} 1'),
    ("target=192.0.2.9:1161&auth=lab_v3&module=quick", EXPOSITION, 'galvetrin_stub_probe{target="192.0.2.9:1161"} 1'),
    ("target=%5B2001:db8::5%5D:162&auth=lab_v3", EXPOSITION, 'galvetrin_stub_probe{target="[2001:db8::5]:162"} 1'),
    ("target=ROUTER1.example.NET&auth=lab_v3&debug=true", "text/plain; charset=utf-8", "stub probe of ROUTER1.example.NET:161"),
]


class Exporter:
    """The exporter on a port of ADDRESS for a with block; `log` is its standard error."""

    def __init__(self, port, *flags, env=None, scheme="http"):
        self.base = "%s://%s:%d" % (scheme, ADDRESS, port)
        self.command = [EXPORTER, "--web.listen-address=%s:%d" % (ADDRESS, port), *flags]
        self.env = dict(os.environ, **(env or {}))
        self.context = ssl._create_unverified_context()  # the test's own self-signed cert

    def __enter__(self):
        self.stderr = tempfile.TemporaryFile("w+")
        self.process = subprocess.Popen(self.command, env=self.env, cwd=self.env.get("CWD"),
                                        stderr=self.stderr)
        while "msg=listening" not in self.log():
            assert self.process.poll() is None, self.log()
            time.sleep(0.05)
        return self

    def __exit__(self, *exc):
        self.process.send_signal(signal.SIGTERM)
        self.returncode = self.process.wait(timeout=10)
        self.finished_log = self.log()
        self.stderr.close()

    def log(self):
        if self.stderr.closed:
            return self.finished_log
        self.stderr.seek(0)
        return self.stderr.read()

    def get(self, path, method="GET", headers=None):
        """(status, content type, body)"""
        request = urllib.request.Request(self.base + path, method=method, headers=headers or {})
        try:
            with urllib.request.urlopen(request, context=self.context, timeout=10) as answer:
                return answer.status, answer.headers["Content-Type"], answer.read().decode()
        except urllib.error.HTTPError as error:
            return error.code, error.headers["Content-Type"], error.read().decode()


def check_config(path, env=None):
    return subprocess.run([EXPORTER, "--config.file=" + path, "--config.check",
                           "--config.expand-environment-variables"], cwd=DATA, env=env,
                          capture_output=True, text=True)


class ExporterTest(unittest.TestCase):
    maxDiff = None

    def setUp(self):
        self.workdir = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.workdir)
        self.config = os.path.join(self.workdir, "exporter.yml")
        shutil.copy(os.path.join(DATA, "exporter.yml"), self.config)
        with open(os.path.join(self.workdir, "auth-secret.txt"), "w") as f:
            f.write(SECRETS[1] + "\n")
        self.env = {"GALVETRIN_TEST_PRIV": SECRETS[2]}

    def test_probes_reload_and_secrets(self):
        flags = ("--config.file=" + self.config, "--config.expand-environment-variables",
                 "--log.level", "debug")
        with Exporter(19721, *flags, env=self.env) as exporter:
            answers = []
            for query, header, reason in BAD_PROBES:
                answers.append(exporter.get("/probe?" + query, headers={
                    "X-Prometheus-Scrape-Timeout-Seconds": header} if header else {}))
                self.assertEqual((400, reason + "\n"), (answers[-1][0], answers[-1][2]), query)
            for query, content_type, line in GOOD_PROBES:
                answers.append(exporter.get("/probe?" + query))
                self.assertEqual((200, content_type), answers[-1][:2], query)
                self.assertIn(line, answers[-1][2].splitlines(), query)
            config = exporter.get("/config")[2]
            self.assertEqual(3, config.count("<secret>"))

            # A file that fails to load leaves the configuration in force.
            with open(self.config, "a+") as f:
                f.write("surprise: 1\n")
                f.seek(0)
                line = len(f.readlines())
            status, _, reason = exporter.get("/-/reload", method="POST")
            self.assertEqual((500, "%s:%d: surprise: unknown key\n" % (self.config, line)),
                             (status, reason))
            self.assertEqual(200, exporter.get("/probe?target=192.0.2.1&auth=lab_v3")[0])
            self.assertEqual(config, exporter.get("/config")[2])

            # SIGHUP loads the mended file.
            shutil.copy(os.path.join(DATA, "exporter.yml"), self.config)
            with open(self.config, "a") as f:
                f.write("  later: {}\n")
            exporter.process.send_signal(signal.SIGHUP)
            while "msg=\"configuration reloaded\"" not in exporter.log():
                time.sleep(0.05)
            self.assertEqual(200, exporter.get("/probe?target=192.0.2.1&module=later")[0])
            metrics = exporter.get("/metrics")[2]
            for sample in ('galvetrin_exporter_probes_total{outcome="bad_request"} 17',
                           'galvetrin_exporter_probes_total{outcome="success"} 6',
                           'galvetrin_exporter_config_reloads_total{result="failure"} 1',
                           'galvetrin_exporter_config_reloads_total{result="success"} 1',
                           'galvetrin_exporter_config_last_reload_successful 1',
                           'galvetrin_exporter_build_info{version="2.0"} 1'):
                self.assertIn(sample, metrics.splitlines())
            answers += [exporter.get(path) for path in ("/", "/config", "/metrics", "/-/healthy")]
        self.assertEqual(0, exporter.returncode)
        everything = exporter.log() + "".join(body for _, _, body in answers)
        self.assertEqual([], [secret for secret in SECRETS if secret in everything])
        self.assertIn("level=warn msg=\"auth has no allowed_targets", exporter.log())

    def test_probes_in_flight_limit(self):
        env = dict(self.env, GALVETRIN_STUB_PROBE_SECONDS="60")
        with Exporter(19722, "--config.file=" + self.config, "--config.expand-environment-"
                      "variables", "--scrape.max-concurrent=2", env=env) as exporter:
            # Prometheus' timeout less the offset bounds a probe; the module's bounds it too.
            started = time.monotonic()
            exporter.get("/probe?target=192.0.2.1&module=quick",
                         headers={"X-Prometheus-Scrape-Timeout-Seconds": "10"})
            self.assertLess(abs(time.monotonic() - started - 2), 1)
            for header, seconds in ("1.5", 1), ("0.3", 0.3):  # the header alone if the offset
                started = time.monotonic()                   # would leave nothing
                exporter.get("/probe?target=192.0.2.1", headers={
                    "X-Prometheus-Scrape-Timeout-Seconds": header})
                self.assertLess(abs(time.monotonic() - started - seconds), 0.25, header)
            held = [threading.Thread(target=exporter.get, args=("/probe?target=192.0.2.1",))
                    for _ in range(2)]
            for thread in held:
                thread.start()
            while "galvetrin_exporter_probes_in_flight 2" not in exporter.get("/metrics")[2]:
                time.sleep(0.05)
            started = time.monotonic()
            self.assertEqual((503, "too many probes in flight (2)\n"),
                             exporter.get("/probe?target=192.0.2.1")[::2])
            self.assertLess(time.monotonic() - started, 5)
        for thread in held:  # shutting down cancels the held probes
            thread.join(timeout=5)
            self.assertFalse(thread.is_alive())
        self.assertEqual(0, exporter.returncode)

    def test_config_errors(self):
        check = check_config("bad.yml")
        self.assertEqual((1, "", read(DATA, "bad.errors")), (check.returncode, check.stdout,
                                                              check.stderr))
        check = check_config(self.config, env=dict(os.environ, **self.env))
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
        with Exporter(19723, "--config.file=" + self.config, "--web.config.file=" + web,
                      env=dict(self.env, GALVETRIN_TEST_PRIV="${kept as written}"),
                      scheme="https") as exporter:
            for password, status in (None, 401), ("wrong horse", 401), ("right horse", 200):
                basic = base64.b64encode(b"prometheus:" + (password or "").encode()).decode()
                headers = {"Authorization": "Basic " + basic} if password else {}
                self.assertEqual(status, exporter.get("/-/healthy", headers=headers)[0])
            with self.assertRaises(OSError):  # no plain HTTP beside TLS
                urllib.request.urlopen(exporter.base.replace("https", "http") + "/", timeout=5)


if __name__ == "__main__":
    unittest.main()
