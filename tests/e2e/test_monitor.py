"""Shared steps of the monitor's scenarios: a prefix that trusts the test CA,
Tovra.exe installed in C:\\Tovra, the two local HTTPS servers, and reading
what the monitor shows and writes."""
import os
import re
import shutil
import socket
import subprocess
import sys
import time

from harness import BUILD, REPO, WINE_ROOT, WineTestCase

sys.path.insert(0, os.path.join(REPO, "tools", "https"))
import tovra_servers  # noqa: E402
from tovra_servers import FIRST_PATHS, SECOND_PATHS, Hang, Status, TovraServer  # noqa: E402,F401

CERTS = os.path.join(WINE_ROOT, "https")
TRUSTCA = os.path.join(BUILD, "tools", "win", "trustca", "trustca.exe")
FOLDER = "C:\\Tovra"

INI_KEYS = ["表示位置Top", "表示位置Left", "ＩＰ取得間隔", "取得IPアドレスをファイルに書き込む",
            "グローバルＩＰアドレス書込みフォルダ名", "取得時にサウンド音を鳴らす",
            "変更があった時のみサウンド音を鳴らす", "常に前面に表示する"]


def free_port():
    """A port on 127.0.0.1 where nothing listens."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class MonitorCase(WineTestCase):
    timeout_seconds = 3

    def setUp(self):
        super().setUp()
        # A server that outlives each program: one started by a captured driver run
        # would hold the driver's output pipe open (close() ends it).
        subprocess.run(["wineserver", "-p"], env=self.wine.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        subprocess.run(["sh", os.path.join(REPO, "tools", "https", "make-test-ca.sh"), CERTS], check=True)
        ca = "Z:" + os.path.join(CERTS, "ca.pem").replace("/", "\\")
        self.assertEqual(self.wine.run(TRUSTCA, ca).returncode, 0)
        self.folder = self.wine.unix(FOLDER)
        os.makedirs(self.folder, exist_ok=True)
        shutil.copy(os.path.join(BUILD, "Tovra.exe"), self.folder)
        for sound in ("click001.wav", "click003.wav"):
            shutil.copy(os.path.join(REPO, "res", "sounds", sound), self.folder)

    # Files beside the program ------------------------------------------------
    def path(self, name):
        return os.path.join(self.folder, name)

    def point_at(self, first_host, second_host):
        self.write_text("TovraNet.ini", f"[Servers]\nFirst={first_host}\nSecond={second_host}\n"
                                        f"TimeoutSeconds={self.timeout_seconds}\n")

    def write_text(self, name, text):
        with open(self.path(name), "wb") as f:
            f.write(text.replace("\n", "\r\n").encode("cp932"))

    def read_ini(self):
        with open(self.path("Tovra.ini"), "rb") as f:
            text = f.read().decode("cp932")
        return dict(line.split("=", 1) for line in text.splitlines() if "=" in line)

    def write_ini(self, values):
        self.write_text("Tovra.ini", "[Tovra]\n" + "".join(f"{k}={v}\n" for k, v in values.items()))

    def output_lines(self):
        with open(self.path("OUTPUT.DAT"), "rb") as f:
            data = f.read()
        self.assertTrue(data.endswith(b"\r\n"))
        return data.decode("cp932", "replace").split("\r\n")[:-1]

    # The running monitor -----------------------------------------------------
    def start(self):
        for stale in ("OUTPUT.DAT",):
            if os.path.exists(self.path(stale)):
                os.remove(self.path(stale))
        self.proc = self.wine.start(self.path("Tovra.exe"))
        # Seen by X first: then this prefix's wineserver belongs to the monitor, and the
        # driver's output pipe is not inherited by a server it would otherwise start.
        self.wait_until(lambda: self.x_window() is not None, 20, "no monitor window")
        self.wine.wait("FrmMain")
        return self.proc

    def wait_until(self, condition, timeout, message):
        start = time.monotonic()
        while not condition():
            if time.monotonic() - start > timeout:
                self.fail(message)
            time.sleep(0.1)
        return time.monotonic() - start

    def wait_for_scan(self, timeout=30):
        """Seconds until the first scan wrote OUTPUT.DAT."""
        return self.wait_until(lambda: os.path.exists(self.path("OUTPUT.DAT")), timeout, "no scan")

    def pane(self, name):
        return self.wine.text("FrmMain", name)

    def close_monitor(self):
        self.wine.click("FrmMain", "lblEnd")
        self.assertTrue(self.wine.gone("FrmMain", 10000))
        self.proc.wait(timeout=20)

    def x_window(self):
        res = subprocess.run(["xwininfo", "-name", "Tovra"], env=self.wine.env, capture_output=True,
                             text=True, timeout=10)
        return res.stdout if res.returncode == 0 else None

    def geometry(self):
        """(left, top, width, height) of the monitor's window in pixels, as X sees it."""
        out = self.x_window()
        field = lambda label: int(re.search(label + r":\s+(-?\d+)", out).group(1))  # noqa: E731
        return (field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"))


class ServerAnswers(MonitorCase):
    """The two-server exchange against real HTTPS servers on 127.0.0.1."""

    def scan_with(self, first_routes, second_routes):
        """One start of the monitor with the servers answering as given; returns
        (global pane, local pane, OUTPUT.DAT lines, first's requests, second's requests)."""
        self.first.set_routes(first_routes)
        self.second.set_routes(second_routes)
        self.first.clear_requests()
        self.second.clear_requests()
        self.start()
        self.wait_for_scan()
        shown = (self.pane("PicGlobalIP"), self.pane("PicLocalIP"))
        lines = self.output_lines()
        self.close_monitor()
        return shown[0], shown[1], lines, self.first.requests(), self.second.requests()

    def setUp(self):
        super().setUp()
        self.first = self.enterContext(TovraServer(CERTS, {}))
        self.second = self.enterContext(TovraServer(CERTS, {}))
        self.point_at(self.first.host, self.second.host)

    def test_fallback_and_host_name_follow_the_server_that_answered(self):
        # The first server answers: its host-name script is asked, the second server never.
        g, local, lines, first, second = self.scan_with(
            {FIRST_PATHS[0]: "203.0.113.7", FIRST_PATHS[1]: "client.example"}, {})
        self.assertEqual(g, "203.0.113.7")
        self.assertRegex(local, r"^\d+\.\d+\.\d+\.\d+$")
        self.assertRegex(lines[0], r"^Get Date Time     : \d{4}/\d\d/\d\d \d\d:\d\d:\d\d$")
        self.assertEqual(lines[1:], ["Global IP Address : 203.0.113.7", "Host Name         : client.example",
                                     "Local  IP Address : " + local])
        self.assertEqual(first, list(FIRST_PATHS))
        self.assertEqual(second, [])

        # An HTML error page from the first: the second gives address and host name.
        g, _, lines, first, second = self.scan_with(
            {FIRST_PATHS[0]: Status(500, "<html><body>Internal Server Error</body></html>")},
            {SECOND_PATHS[0]: "203.0.113.7", SECOND_PATHS[1]: "second.example"})
        self.assertEqual(g, "203.0.113.7")
        self.assertEqual(lines[2], "Host Name         : second.example")
        self.assertEqual(first, [FIRST_PATHS[0]])
        self.assertEqual(second, list(SECOND_PATHS))

        # Both say "error": the second's answer is passed on, no host name is asked.
        g, _, lines, first, second = self.scan_with({FIRST_PATHS[0]: "error"}, {SECOND_PATHS[0]: "error"})
        self.assertEqual(g, "error")
        self.assertEqual(lines[1:3], ["Global IP Address : error", "Host Name         : "])
        self.assertEqual((first, second), ([FIRST_PATHS[0]], [SECOND_PATHS[0]]))

        # An empty host-name body; blanks around the address are kept.
        g, _, lines, _, _ = self.scan_with({FIRST_PATHS[0]: " 198.51.100.2 ", FIRST_PATHS[1]: ""}, {})
        self.assertEqual(lines[1:3], ["Global IP Address :  198.51.100.2 ", "Host Name         : "])

    def test_reference_scripts_answer_the_caller(self):
        g, _, lines, first, _ = self.scan_with(tovra_servers.reference_routes(FIRST_PATHS), {})
        self.assertEqual(g, "127.0.0.1")
        self.assertEqual(lines[2], "Host Name         : localhost")
        self.assertEqual(first, list(FIRST_PATHS))

    def test_hostile_answers_keep_the_file_four_lines(self):
        cases = [
            ("1" * (3 << 20), "x" * (1 << 20)),               # megabytes of digits pass the test
            ("2001:db8::1", "never asked"),                   # IPv6 is not an address here
            (bytes(range(256)) * 64, "never asked"),          # binary bytes
            ("10.0.0.1", "evil\r\nGlobal IP Address : 6.6.6.6\n" + "y" * 100000),
        ]
        for address, host in cases:
            with self.subTest(address=address[:20]):
                g, _, lines, _, _ = self.scan_with({FIRST_PATHS[0]: address, FIRST_PATHS[1]: host},
                                                   {SECOND_PATHS[0]: "error"})
                self.assertEqual(len(lines), 4)
                self.assertTrue(lines[1].startswith("Global IP Address : "))
        self.assertEqual(g, "10.0.0.1")
        self.assertTrue(lines[2].startswith("Host Name         : evil  Global IP Address : 6.6.6.6 yyy"))


class ServerFailures(MonitorCase):
    """Requests that never finish or never connect end the scan in bounded time."""

    def test_a_hanging_first_server_falls_back_within_the_time_limit(self):
        with TovraServer(CERTS, {FIRST_PATHS[0]: Hang()}) as first, \
                TovraServer(CERTS, {SECOND_PATHS[0]: "192.0.2.99", SECOND_PATHS[1]: "late.example"}) as second:
            self.point_at(first.host, second.host)
            self.start()
            took = self.wait_for_scan(timeout=self.timeout_seconds * 3 + 15)
            self.assertEqual(self.pane("PicGlobalIP"), "192.0.2.99")
            self.assertEqual(self.output_lines()[2], "Host Name         : late.example")
            self.assertGreaterEqual(took, self.timeout_seconds - 0.5)
            self.assertLess(took, self.timeout_seconds + 10)
            self.close_monitor()

    def test_no_server_listening_leaves_both_values_empty(self):
        self.point_at(f"localhost:{free_port()}", f"localhost:{free_port()}")
        self.start()
        self.assertLess(self.wait_for_scan(), 20)
        self.assertEqual(self.pane("PicGlobalIP"), "")
        self.assertEqual(self.output_lines()[1:3], ["Global IP Address : ", "Host Name         : "])
        self.close_monitor()
