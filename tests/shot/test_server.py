"""A small web server for the command's tests: serves a folder on 127.0.0.1, /hang, a response
that never ends, /silent, a request that is never answered, and /slow/NAME, the file NAME after
half a second, /once/NAME, an HTTP 503 answer the first time and the file NAME after. Prints
its port, then serves
until it is killed."""
import functools
import http.server
import sys
import time


class Handler(http.server.SimpleHTTPRequestHandler):
    answered = set()

    def do_GET(self):
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
        super().do_GET()

    def log_message(self, *arguments):
        pass


server = http.server.ThreadingHTTPServer(
    ("127.0.0.1", 0), functools.partial(Handler, directory=sys.argv[1]))
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()
