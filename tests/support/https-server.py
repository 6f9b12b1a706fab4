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
  chunk, interval_ms: send chunk bytes, then pause;
  ignore_ranges: answer a range request with the whole body, as some servers do
  (otherwise "Range: bytes=N-" gets the rest of the body, status 206).
A path without a route is a file under --root, or 404. Each request appends
"GET /path" to STATE/log before it is answered ("GET /path from N" for a range),
and "sent /path N" once N bytes of its body have gone out.
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
        start, status = 0, plan.get("status", 200)
        asked = self.headers.get("Range", "")
        if asked.startswith("bytes=") and asked.endswith("-") and status == 200 and not plan.get("ignore_ranges"):
            start = int(asked[6:-1])
            status = 206 if start < size else 416
        if state and asked:
            with log_lock, open(os.path.join(state, "log"), "a") as log:
                log.write(f"GET {path} from {asked[6:-1]}\n")
        self.send_response(status)
        self.send_header("Content-Type", plan.get("type", "application/octet-stream"))
        if status == 206:
            self.send_header("Content-Range", f"bytes {start}-{size - 1}/{size}")
        if status == 416:
            start = size
        self.send_header("Content-Length", str(size - start))
        if "location" in plan:
            self.send_header("Location", plan["location"])
        self.send_header("Connection", "close")
        self.end_headers()
        to_send = min(plan.get("send", size), size) - start
        sent = 0
        with open(body, "rb") as source:
            source.seek(start)
            try:
                while to_send > 0:
                    piece = source.read(min(plan.get("chunk", 256 * 1024), to_send))
                    self.wfile.write(piece)
                    self.wfile.flush()
                    to_send -= len(piece)
                    sent += len(piece)
                    if plan.get("interval_ms") and to_send > 0:
                        time.sleep(plan["interval_ms"] / 1000)
            finally:
                if state:
                    with log_lock, open(os.path.join(state, "log"), "a") as log:
                        log.write(f"sent {path} {sent}\n")
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
