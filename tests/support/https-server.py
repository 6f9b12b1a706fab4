#!/usr/bin/env python3
"""https-server.py --cert FILE --key FILE [--root DIR] [--state DIR] [--port N]

A scripted HTTPS server on 127.0.0.1 for the tests, the demo and the benchmarks. It
prints its port on one line, then serves until killed. Like the scripted adb it reads
its orders afresh on every request: STATE/routes.json maps an exact path (the query
ignored) to a plan, whose members are
  status (200), type (application/octet-stream), location: the answer's head;
  body: a file to send; send: how many of its bytes to send (all), then "after":
  "close" (the default) or "stall" (stay silent, connection open), while the head
  announces the whole body; silent: never answer at all;
  chunk, interval_ms: send chunk bytes, then pause.
A path without a route is a file under --root, or 404. Each request appends
"GET /path" to STATE/log before it is answered.
"""
import argparse, json, os, ssl, threading, time, urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

log_lock = threading.Lock()


class Handler(BaseHTTPRequestHandler):
    log_message = lambda *args: None

    def do_GET(self):
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        state, root, plan = self.server.state, self.server.root, None
        if state:
            with log_lock, open(os.path.join(state, "log"), "a") as log:
                log.write(f"GET {path}\n")
            if os.path.exists(os.path.join(state, "routes.json")):
                with open(os.path.join(state, "routes.json"), encoding="utf-8") as routes:
                    plan = json.load(routes).get(path)
        if plan is None:
            file = os.path.realpath(os.path.join(root or "/nowhere", path.lstrip("/")))
            inside = root and file.startswith(os.path.realpath(root) + os.sep) and os.path.isfile(file)
            plan = {"body": file} if inside else {"status": 404}
        if plan.get("silent"):
            threading.Event().wait()
        body = plan.get("body", os.devnull)
        size = os.path.getsize(body)
        self.send_response(plan.get("status", 200))
        self.send_header("Content-Type", plan.get("type", "application/octet-stream"))
        self.send_header("Content-Length", str(size))
        if "location" in plan:
            self.send_header("Location", plan["location"])
        self.send_header("Connection", "close")
        self.end_headers()
        to_send = min(plan.get("send", size), size)
        with open(body, "rb") as source:
            while to_send > 0:
                piece = source.read(min(plan.get("chunk", 256 * 1024), to_send))
                self.wfile.write(piece)
                self.wfile.flush()
                to_send -= len(piece)
                if plan.get("interval_ms") and to_send > 0:
                    time.sleep(plan["interval_ms"] / 1000)
        if plan.get("after") == "stall":
            threading.Event().wait()


parser = argparse.ArgumentParser()
for option in ("--cert", "--key", "--root", "--state"):
    parser.add_argument(option)
parser.add_argument("--port", type=int, default=0)
args = parser.parse_args()
server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
server.daemon_threads = True
server.handle_error = lambda request, address: None  # clients that hang up are the tests' point
server.root, server.state = args.root, args.state
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(args.cert, args.key)
# The handshake happens in the request's own thread, so a client that never completes
# one holds up no other.
server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
print(server.server_address[1], flush=True)
server.serve_forever()
