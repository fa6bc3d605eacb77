#!/usr/bin/env python3
"""The calendar servers the calendars suite talks to: a plain HTTP server (Python's http.server)
that serves calendars and plays bad servers, and Radicale, a CalDAV server.

  calendar_servers.py start <folder>   start both in the background; <folder>/servers.txt names
                                       their ports once they answer
  calendar_servers.py stop <folder>    stop them

The HTTP server answers /cal/<name>.ics as <folder>/modes/<name> says (no file: "good"):
  good   <folder>/files/<name>.ics with ETag and Last-Modified; 304 for a matching condition
  password   the same for the user "user" with the password "secret", else 401
  401, 404, 500   that status
  stall  accepts and never answers
  html   a web page
  huge   100 MB that begin like a calendar, with no length announced
Every request is logged to <folder>/log/<name>.log as "<METHOD> <status> inm=<If-None-Match>
ims=<If-Modified-Since>"; a stalled one as "GET stalling" when it begins.
The same server also answers over HTTPS, with a certificate made for 127.0.0.1 at start
(<folder>/tls/certificate.pem), which no device trusts until it is added to its roots.
Radicale runs with its storage in <folder>/radicale, any password accepted for a user name
(user "user" owns the collection /user/team/, made with MKCOL and filled with PUT from
<folder>/caldav/*.ics)."""
import base64
import email.utils
import hashlib
import http.server
import os
import signal
import socket
import ssl
import subprocess
import sys
import threading
import time
import urllib.request

HUGE_BYTES = 100 * 1024 * 1024
PASSWORD = "Basic " + base64.b64encode(b"user:secret").decode()


def log(folder, name, line):
    os.makedirs(os.path.join(folder, "log"), exist_ok=True)
    with open(os.path.join(folder, "log", name + ".log"), "a") as file:
        file.write(line + "\n")


def handler_for(folder, stop_event):
    class Handler(http.server.BaseHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def name(self):
            base = os.path.basename(self.path.split("?")[0])
            return base[:-4] if base.endswith(".ics") else base

        def mode(self, name):
            try:
                with open(os.path.join(folder, "modes", name)) as file:
                    return file.read().strip() or "good"
            except OSError:
                return "good"

        def record(self, status):
            log(folder, self.name(), "%s %s inm=%s ims=%s" % (
                self.command, status, self.headers.get("If-None-Match", ""),
                self.headers.get("If-Modified-Since", "")))

        def send(self, status, body, kind="text/plain", extra=()):
            self.record(status)
            self.send_response(status)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(body)))
            for key, value in extra:
                self.send_header(key, value)
            self.end_headers()
            self.wfile.write(body)

        def do_GET(self):
            name = self.name()
            mode = self.mode(name)
            if mode == "password" and self.headers.get("Authorization") != PASSWORD:
                self.send(401, b"who are you?\n", extra=[("WWW-Authenticate", 'Basic realm="cal"')])
            elif mode in ("401", "404", "500"):
                self.send(int(mode), b"no calendar here\n")
            elif mode == "stall":
                log(folder, name, "GET stalling")
                stop_event.wait(600)
            elif mode == "html":
                self.send(200, b"<!DOCTYPE html><html><body>Sign in</body></html>\n",
                          "text/html; charset=utf-8")
            elif mode == "huge":
                self.record(200)
                self.send_response(200)
                self.send_header("Content-Type", "text/calendar")
                self.end_headers()
                self.wfile.write(b"BEGIN:VCALENDAR\r\nVERSION:2.0\r\n")
                chunk = b"X-FILLER:" + b"x" * 1013 + b"\r\n"
                try:
                    for _ in range(HUGE_BYTES // len(chunk)):
                        self.wfile.write(chunk)
                except OSError:
                    pass
                self.close_connection = True
            else:
                self.serve_file(name)

        def serve_file(self, name):
            path = os.path.join(folder, "files", name + ".ics")
            try:
                with open(path, "rb") as file:
                    body = file.read()
            except OSError:
                self.send(404, b"no such calendar\n")
                return
            etag = '"%s"' % hashlib.sha1(body).hexdigest()
            modified = email.utils.formatdate(os.path.getmtime(path), usegmt=True)
            if self.headers.get("If-None-Match") == etag:
                self.record(304)
                self.send_response(304)
                self.send_header("ETag", etag)
                self.end_headers()
                return
            self.send(200, body, "text/calendar; charset=utf-8",
                      [("ETag", etag), ("Last-Modified", modified)])

        def refuse(self):
            self.send(405, b"this server only serves\n")

        do_PUT = do_POST = do_DELETE = do_PROPFIND = do_REPORT = refuse

    return Handler


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for_port(port, seconds=60):
    end = time.time() + seconds
    while time.time() < end:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1):
                return True
        except OSError:
            time.sleep(0.1)
    return False


def request(method, url, body=b"", headers=None):
    headers = dict(headers or {}, Authorization="Basic " + base64.b64encode(b"user:pw").decode())
    call = urllib.request.Request(url, data=body or None, method=method, headers=headers)
    with urllib.request.urlopen(call, timeout=30) as answer:
        return answer.status


MKCOL_BODY = b"""<?xml version="1.0" encoding="utf-8"?>
<D:mkcol xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav">
<D:set><D:prop><D:resourcetype><D:collection/><C:calendar/></D:resourcetype>
<D:displayname>Team</D:displayname></D:prop></D:set></D:mkcol>"""


def fill_radicale(folder, port):
    base = "http://127.0.0.1:%d/user/team/" % port
    request("MKCOL", base, MKCOL_BODY, {"Content-Type": "application/xml"})
    caldav = os.path.join(folder, "caldav")
    for name in sorted(os.listdir(caldav)) if os.path.isdir(caldav) else []:
        with open(os.path.join(caldav, name), "rb") as file:
            request("PUT", base + name, file.read(), {"Content-Type": "text/calendar"})


def make_certificate(folder):
    tls = os.path.join(folder, "tls")
    os.makedirs(tls, exist_ok=True)
    subprocess.run(
        ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30",
         "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
         "-keyout", os.path.join(tls, "key.pem"), "-out", os.path.join(tls, "certificate.pem")],
        check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(tls, "certificate.pem"), os.path.join(tls, "key.pem"))
    return context


def serve(folder):
    stop_event = threading.Event()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler_for(folder, stop_event))
    server.daemon_threads = True
    secure = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler_for(folder, stop_event))
    secure.daemon_threads = True
    # Each connection's handshake in its own thread: a client that gives up must not stop others.
    secure.socket = make_certificate(folder).wrap_socket(
        secure.socket, server_side=True, do_handshake_on_connect=False)
    threading.Thread(target=secure.serve_forever, daemon=True).start()
    radicale_port = free_port()
    radicale = subprocess.Popen(
        ["/usr/bin/python3", "-m", "radicale", "--config", "",
         "--server-hosts", "127.0.0.1:%d" % radicale_port, "--auth-type", "none",
         "--rights-type", "authenticated",
         "--storage-filesystem-folder", os.path.join(folder, "radicale")],
        stdin=subprocess.DEVNULL, stdout=open(os.path.join(folder, "radicale.log"), "w"),
        stderr=subprocess.STDOUT)

    def finish(*_):
        stop_event.set()
        radicale.terminate()
        threading.Thread(target=server.shutdown, daemon=True).start()
        threading.Thread(target=secure.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, finish)
    try:
        if not wait_for_port(radicale_port):
            raise RuntimeError("radicale did not start; see radicale.log")
        fill_radicale(folder, radicale_port)
    except BaseException:
        radicale.kill()
        raise
    with open(os.path.join(folder, "servers.txt.new"), "w") as file:
        file.write("http=%d\nhttps=%d\nradicale=%d\n" % (
            server.server_address[1], secure.server_address[1], radicale_port))
    os.replace(os.path.join(folder, "servers.txt.new"), os.path.join(folder, "servers.txt"))
    server.serve_forever()
    radicale.wait(30)


def stop(folder):
    try:
        with open(os.path.join(folder, "servers.pid")) as file:
            pid = int(file.read())
    except (OSError, ValueError):
        return
    try:
        os.kill(pid, signal.SIGTERM)
        for _ in range(300):
            os.kill(pid, 0)
            time.sleep(0.1)
    except ProcessLookupError:
        pass
    os.remove(os.path.join(folder, "servers.pid"))


def start(folder, samples):
    stop(folder)
    for sub in ("modes", "log", "files", "caldav"):
        os.makedirs(os.path.join(folder, sub), exist_ok=True)
    for sub in ("modes", "log", "files"):
        for name in os.listdir(os.path.join(folder, sub)):
            os.remove(os.path.join(folder, sub, name))
    subprocess.run(["rm", "-rf", os.path.join(folder, "radicale"),
                    os.path.join(folder, "servers.txt")], check=True)
    for name in os.listdir(os.path.join(folder, "caldav")):
        os.remove(os.path.join(folder, "caldav", name))
    for name in os.listdir(samples):
        with open(os.path.join(samples, name), "rb") as source:
            with open(os.path.join(folder, "caldav", name), "wb") as target:
                target.write(source.read())
    # Detached, with nothing of ctest's: it must not hold the pipes ctest reads.
    server = subprocess.Popen(
        [sys.executable, os.path.abspath(__file__), "serve", folder],
        stdin=subprocess.DEVNULL, stdout=open(os.path.join(folder, "servers.log"), "w"),
        stderr=subprocess.STDOUT, start_new_session=True)
    with open(os.path.join(folder, "servers.pid"), "w") as file:
        file.write(str(server.pid))
    for _ in range(600):
        if os.path.exists(os.path.join(folder, "servers.txt")):
            return
        if server.poll() is not None:
            break
        time.sleep(0.1)
    stop(folder)
    sys.exit("the calendar servers did not start; see %s/servers.log" % folder)


if __name__ == "__main__":
    command, folder = sys.argv[1], os.path.abspath(sys.argv[2])
    if command == "start":
        start(folder, sys.argv[3])
    elif command == "serve":
        serve(folder)
    else:
        stop(folder)
