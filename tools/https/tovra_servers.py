"""Local HTTPS servers standing in for the monitor's two web servers.

Each server listens on 127.0.0.1 with the test certificate from make-test-ca.sh
and answers its paths as told: a fixed body, a hang, a late body, or the reference CGI
script from docs/monitor run for real. It records every path it was asked for.

Manual use:  python3 tools/https/tovra_servers.py CERT_DIR PORT   (serves the
reference scripts on both servers' paths until interrupted)
"""
import http.server
import os
import ssl
import subprocess
import sys
import threading

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SCRIPTS = os.path.join(REPO, "docs", "monitor")
FIRST_PATHS = ("/soft/Tovra/tvaddr.cgi", "/soft/Tovra/tvhost.cgi")
SECOND_PATHS = ("/Tovra/tvaddr.cgi", "/Tovra/tvhost.cgi")


class Hang:
    """Accept the request and never answer (until the server stops)."""


class Late:
    """Answer with a body after a pause."""

    def __init__(self, seconds, body):
        self.seconds, self.body = seconds, body


class Cgi:
    """Run a reference script from docs/monitor as a web server would."""

    def __init__(self, script):
        self.script = os.path.join(SCRIPTS, script)


class Status:
    """Answer with an HTTP status other than 200."""

    def __init__(self, code, body):
        self.code, self.body = code, body


def reference_routes(paths):
    return {paths[0]: Cgi("tvaddr.cgi"), paths[1]: Cgi("tvhost.cgi")}


def _run_cgi(script, client_address):
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "REMOTE_ADDR": client_address,
           "GATEWAY_INTERFACE": "CGI/1.1", "REQUEST_METHOD": "GET"}
    out = subprocess.run([script], env=env, capture_output=True, timeout=10, check=True).stdout
    head, _, body = out.partition(b"\r\n\r\n")
    headers = [line.split(b":", 1) for line in head.split(b"\r\n") if b":" in line]
    return [(k.decode().strip(), v.decode().strip()) for k, v in headers], body


class _Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        server = self.server
        with server.lock:
            server.requests.append(self.path)
        route = server.routes.get(self.path)
        if isinstance(route, Hang):
            server.stopping.wait(120)
            self.close_connection = True
            return
        if isinstance(route, Late):
            server.stopping.wait(route.seconds)
            route = route.body
        code, headers, body = 200, [("Content-Type", "text/plain")], b""
        if route is None:
            code, body = 404, b"<html><body><h1>404 Not Found</h1></body></html>"
        elif isinstance(route, Cgi):
            headers, body = _run_cgi(route.script, self.client_address[0])
        elif isinstance(route, Status):
            code, body = route.code, route.body.encode() if isinstance(route.body, str) else route.body
        else:
            body = route.encode() if isinstance(route, str) else route
        self.send_response(code)
        for key, value in headers:
            self.send_header(key, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


class TovraServer:
    """One HTTPS server on 127.0.0.1; routes map a path to a body (str or
    bytes), Hang(), Late(seconds, body), Status(code, body) or
    Cgi(script)."""

    def __init__(self, cert_dir, routes, port=0):
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", port), _Handler)
        self.httpd.daemon_threads = True
        self.httpd.routes = dict(routes)
        self.httpd.requests = []
        self.httpd.lock = threading.Lock()
        self.httpd.stopping = threading.Event()
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(cert_dir, "server.pem"))
        self.httpd.socket = context.wrap_socket(self.httpd.socket, server_side=True)
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)

    @property
    def host(self):
        return f"localhost:{self.port}"

    def set_routes(self, routes):
        self.httpd.routes = dict(routes)

    def requests(self):
        with self.httpd.lock:
            return list(self.httpd.requests)

    def clear_requests(self):
        with self.httpd.lock:
            self.httpd.requests.clear()

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.httpd.stopping.set()
        self.httpd.shutdown()
        self.httpd.server_close()


if __name__ == "__main__":
    cert_dir, port = sys.argv[1], int(sys.argv[2])
    routes = {**reference_routes(FIRST_PATHS), **reference_routes(SECOND_PATHS)}
    with TovraServer(cert_dir, routes, port) as server:
        print(f"serving the reference scripts on https://{server.host}", flush=True)
        threading.Event().wait()
