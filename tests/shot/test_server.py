"""A small web server for the command's tests: serves a folder on 127.0.0.1, /hang, a response
that never ends, /silent, a request that is never answered, and /slow/NAME, the file NAME after
half a second, and /once/NAME, an HTTP 503 answer the first time and NAME after. /auth/NAME
is NAME for the user "user" with the password "secret" only, and /needs-header/NAME is NAME only for requests with "X-Pagrovix-Test: yes". A request for a whole
address (as made to a proxy) is served from the folder as well. With --log FILE every request
is added to FILE, its line and its headers, so that tests can see what reached the server; with
--tls CERTIFICATE KEY it answers over TLS. Prints its port, then serves until it is killed."""
import base64
import functools
import http.server
import argparse
import ssl
import threading
import time
import urllib.parse

log_lock = threading.Lock()


class Handler(http.server.SimpleHTTPRequestHandler):
    answered = set()

    def record(self):
        if not arguments.log:
            return
        with log_lock, open(arguments.log, "a") as log:
            log.write(self.requestline + "\n" + str(self.headers) + "\n")

    def refuse(self, status, extra=()):
        self.send_response(status)
        for name, value in extra:
            self.send_header(name, value)
        body = b"<body style='margin:0;background:rgb(255,0,0)'>refused</body>"
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        self.record()
        if not self.path.startswith("/"):
            self.path = urllib.parse.urlsplit(self.path).path or "/"
        if self.path.startswith("/once/"):
            if self.path not in Handler.answered:
                Handler.answered.add(self.path)
                self.send_error(503)
                return
            self.path = self.path[len("/once"):]
        if self.path.startswith("/silent"):
            while True:
                time.sleep(1)
        if self.path.startswith("/hang"):
            self.send_response(200)
            self.send_header("Content-Type", "image/png")
            self.send_header("Content-Length", "100000")
            self.end_headers()
            self.wfile.write(b"\x89PNG\r\n\x1a\n")
            self.wfile.flush()
            while True:
                time.sleep(1)
        if self.path.startswith("/slow/"):
            time.sleep(0.5)
            self.path = self.path[len("/slow"):]
        if self.path.startswith("/auth/"):
            wanted = "Basic " + base64.b64encode(b"user:secret").decode()
            if self.headers.get("Authorization") != wanted:
                return self.refuse(401, [("WWW-Authenticate", 'Basic realm="pagrovix-test"')])
            self.path = self.path[len("/auth"):]
        if self.path.startswith("/needs-header/"):
            if self.headers.get("X-Pagrovix-Test") != "yes":
                return self.refuse(403)
            self.path = self.path[len("/needs-header"):]
        super().do_GET()

    def log_message(self, *arguments):
        pass


parser = argparse.ArgumentParser()
parser.add_argument("folder")
parser.add_argument("--log")
parser.add_argument("--tls", nargs=2, metavar=("CERTIFICATE", "KEY"))
arguments = parser.parse_args()
server = http.server.ThreadingHTTPServer(
    ("127.0.0.1", 0), functools.partial(Handler, directory=arguments.folder))
server.daemon_threads = True
if arguments.tls:
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(*arguments.tls)
    server.socket = context.wrap_socket(server.socket, server_side=True)
print(server.server_address[1], flush=True)
server.serve_forever()
