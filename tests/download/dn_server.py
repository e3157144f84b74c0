#!/usr/bin/env python3
"""The jigsaw site server of the tools, with switches for the faults the
download tests need. Serves SITE on 127.0.0.1 with Basic authentication and
prints "serving http://127.0.0.1:PORT/ ..." once it listens.

    dn_server.py SITE --user U --password P [--log FILE] [--fault-path TEXT]
        [--fault stall|slow|truncate|big|big-undeclared|status500|redirect-same]
        [--redirect-port PORT]

Faults apply to authorised GETs whose path contains --fault-path (all when
not given). --log appends "PATH auth|noauth" per request.
"""
import argparse
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "jigsaw-site"))
import serve  # noqa: E402


class FaultHandler(serve.SiteHandler):
    def do_GET(self):
        srv = self.server
        if srv.log:
            with open(srv.log, "a") as f:
                f.write(f"{self.path} {'auth' if 'Authorization' in self.headers else 'noauth'}\n")
        faulty = srv.fault_path is None or srv.fault_path in self.path
        if faulty and srv.redirect_port:
            self.send_plain(302, "moved", [("Location", f"http://127.0.0.1:{srv.redirect_port}{self.path}")])
            return
        if not self.authorised():
            self.challenge()
            return
        fault = srv.fault if faulty else None
        if fault == "redirect-same" and "moved=1" not in self.path:
            self.send_plain(302, "moved", [("Location", self.path + "?moved=1")])
            return
        if fault == "status500":
            self.send_plain(500, "broken")
            return
        full = self.local_path()
        if full is None:
            self.send_plain(404, "not found")
            return
        data = open(full, "rb").read()
        if fault == "stall":
            self.send_response(200)
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data[:len(data) // 2])
            self.wfile.flush()
            time.sleep(60)
            return
        if fault == "truncate":
            self.send_response(200)
            self.send_header("Content-Length", str(len(data)))
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(data[:len(data) // 2])
            self.close_connection = True
            return
        if fault in ("big", "big-undeclared"):
            data += b"\0" * (srv.pad or (1 << 20))
            self.send_response(200)
            if fault == "big":
                self.send_header("Content-Length", str(len(data)))
            else:
                self.send_header("Connection", "close")
                self.close_connection = True
            self.end_headers()
            try:
                for i in range(0, len(data), 16384):
                    self.wfile.write(data[i:i + 16384])
            except (BrokenPipeError, ConnectionResetError):
                pass
            return
        self.send_response(200)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        step = 4096 if fault == "slow" else 65536
        try:
            for i in range(0, len(data), step):
                self.wfile.write(data[i:i + step])
                if fault == "slow":
                    self.wfile.flush()
                    time.sleep(0.05)
        except (BrokenPipeError, ConnectionResetError):
            pass


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("site")
    ap.add_argument("--user", default="player")
    ap.add_argument("--password", default="secret")
    ap.add_argument("--log")
    ap.add_argument("--fault")
    ap.add_argument("--fault-path")
    ap.add_argument("--redirect-port", type=int, default=0)
    ap.add_argument("--pad", type=int, default=0)
    args = ap.parse_args()
    srv = serve.SiteServer(("127.0.0.1", 0), FaultHandler, args.site, args.user, args.password, quiet=True)
    srv.log, srv.fault, srv.fault_path = args.log, args.fault, args.fault_path
    srv.redirect_port, srv.pad = args.redirect_port, args.pad
    host, port = srv.server_address[:2]
    print(f"serving http://{host}:{port}/ user {args.user} password {args.password}", flush=True)
    srv.serve_forever()


if __name__ == "__main__":
    main()
