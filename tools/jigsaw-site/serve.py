#!/usr/bin/env python3
"""Serves a jigsaw site folder over HTTP with Basic authentication.

    tools/jigsaw-site/serve.py SITE [--bind 127.0.0.1] [--port 0]
        [--user NAME] [--password WORD]

Only files inside SITE are served; every request needs the name and
password. Plain HTTP is meant for this computer only (the game sends a
password over plain HTTP to a loopback address and nowhere else). Prints
"serving http://HOST:PORT/ user NAME password WORD" once it listens.
"""
import argparse
import base64
import hmac
import http.server
import os
import secrets
import sys
import urllib.parse


class SiteHandler(http.server.BaseHTTPRequestHandler):
    server_version = "JigsawSite/1"
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        if not getattr(self.server, "quiet", False):
            sys.stderr.write("serve: " + (fmt % args) + "\n")

    def authorised(self):
        want = "Basic " + base64.b64encode(
            f"{self.server.user}:{self.server.password}".encode("utf-8")).decode("ascii")
        got = self.headers.get("Authorization", "")
        return hmac.compare_digest(got.encode("utf-8", "replace"), want.encode("utf-8"))

    def send_plain(self, code, text, extra=()):
        body = (text + "\n").encode("utf-8")
        self.send_response(code)
        for k, v in extra:
            self.send_header(k, v)
        self.send_header("Content-Type", "text/plain; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def challenge(self):
        self.send_plain(401, "authentication required",
                        [("WWW-Authenticate", 'Basic realm="jigsaws", charset="UTF-8"')])

    def local_path(self):
        """The file inside the site folder that the request names, or None."""
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        parts = [p for p in path.split("/") if p]
        if any(p in (".", "..") or "\\" in p or "\0" in p for p in parts):
            return None
        full = os.path.realpath(os.path.join(self.server.root, *parts))
        root = os.path.realpath(self.server.root)
        if full != root and not full.startswith(root + os.sep):
            return None
        return full if os.path.isfile(full) else None

    def send_file(self, full):
        size = os.path.getsize(full)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size))
        self.end_headers()
        if self.command == "HEAD":
            return
        with open(full, "rb") as f:
            while True:
                chunk = f.read(64 * 1024)
                if not chunk:
                    break
                self.wfile.write(chunk)

    def do_GET(self):
        if not self.authorised():
            self.challenge()
            return
        full = self.local_path()
        if full is None:
            self.send_plain(404, "not found")
            return
        self.send_file(full)

    do_HEAD = do_GET


class SiteServer(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, address, handler, root, user, password, quiet=False):
        super().__init__(address, handler)
        self.root = root
        self.user = user
        self.password = password
        self.quiet = quiet

    def handle_error(self, request, client_address):
        # A client that hung up mid-answer is no news; anything else is.
        if not self.quiet and not isinstance(sys.exc_info()[1], (BrokenPipeError, ConnectionResetError)):
            super().handle_error(request, client_address)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("site")
    ap.add_argument("--bind", default="127.0.0.1")
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--user", default="player")
    ap.add_argument("--password", default=None)
    args = ap.parse_args()
    password = args.password or secrets.token_urlsafe(9)
    srv = SiteServer((args.bind, args.port), SiteHandler, args.site, args.user, password)
    host, port = srv.server_address[:2]
    print(f"serving http://{host}:{port}/ user {args.user} password {password}", flush=True)
    try:
        srv.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
