#!/usr/bin/env python3
"""A scripted HTTPS server on 127.0.0.1 for the tests, the demo and the benchmarks.

    https-server.py --cert FILE --key FILE [--root DIR] [--state DIR] [--port N]

It prints the port it listens on as one line on standard output, then serves until
it is killed. Like the scripted adb, it is driven by files that the caller may change
at any time; every request reads them afresh.

STATE/routes.json maps an exact path (the query is ignored) to what to answer:
  status       HTTP status, 200 unless given
  body         a file whose bytes are the body; none: an empty body
  type         Content-Type, "application/octet-stream" unless given
  location     a Location header
  length       the Content-Length to announce, the body's size unless given
  send         how many bytes of the body to send; all unless given
  after        what follows the bytes sent: "close" (default: the connection ends,
               cutting the body short when fewer bytes than announced were sent)
               or "stall" (stay silent with the connection open)
  silent       true: read the request and never answer
  chunk, interval_ms   pace the body: chunk bytes, then a pause of interval_ms
A path without a route is a file under --root, or 404. Every request appends
"GET /path" to STATE/log before it is answered.
"""
import argparse
import json
import os
import ssl
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

log_lock = threading.Lock()


def route_for(state, path):
    if not state:
        return None
    try:
        with open(os.path.join(state, "routes.json"), encoding="utf-8") as routes:
            return json.load(routes).get(path)
    except FileNotFoundError:
        return None


class Handler(BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_GET(self):
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        if self.server.state:
            with log_lock, open(os.path.join(self.server.state, "log"), "a") as log:
                log.write(f"GET {path}\n")
        plan = route_for(self.server.state, path)
        if plan is None:
            plan = self.file_plan(path)
        if plan.get("silent"):
            threading.Event().wait()
        self.answer(plan)

    def file_plan(self, path):
        root = self.server.root
        if root:
            file = os.path.realpath(os.path.join(root, path.lstrip("/")))
            if file.startswith(os.path.realpath(root) + os.sep) and os.path.isfile(file):
                return {"body": file}
        return {"status": 404}

    def answer(self, plan):
        body = plan.get("body")
        size = os.path.getsize(body) if body else 0
        self.send_response(plan.get("status", 200))
        self.send_header("Content-Type", plan.get("type", "application/octet-stream"))
        self.send_header("Content-Length", str(plan.get("length", size)))
        if "location" in plan:
            self.send_header("Location", plan["location"])
        self.send_header("Connection", "close")
        self.end_headers()
        to_send = min(plan.get("send", size), size)
        if body and to_send > 0:
            self.send_body(body, to_send, plan.get("chunk", 256 * 1024), plan.get("interval_ms", 0))
        self.wfile.flush()
        after = plan.get("after", "close")
        if after == "stall":
            threading.Event().wait()
        self.close_connection = True

    def send_body(self, body, to_send, chunk, interval_ms):
        with open(body, "rb") as source:
            while to_send > 0:
                piece = source.read(min(chunk, to_send))
                if not piece:
                    break
                self.wfile.write(piece)
                to_send -= len(piece)
                if interval_ms and to_send > 0:
                    self.wfile.flush()
                    time.sleep(interval_ms / 1000)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--root")
    parser.add_argument("--state")
    parser.add_argument("--port", type=int, default=0)
    args = parser.parse_args()

    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    server.handle_error = lambda request, address: None  # clients that hang up are the tests' point
    server.root, server.state = args.root, args.state
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    # The handshake happens in the request's own thread, so a client that never
    # completes one holds up no other.
    server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
