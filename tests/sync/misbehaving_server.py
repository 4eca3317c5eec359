# SPDX-License-Identifier: GPL-3.0-or-later
"""A CardDAV server that misbehaves on purpose, for the sync tests.

Listens on two ports of 127.0.0.1 chosen by the system: the "home" one, where
the address book /ab/ lives, and an "other" one standing for another origin.
Prints "PORTS <home> <other>" first, then one line per request:
"REQ <port> <method> <path> <1 if an Authorization header came, else 0>".

The mode (first argument) says how it misbehaves:
  plain          an ordinary small CardDAV server
  redirect-other every request on the home port is sent (307) to the other port
  moved          /old/ has moved for good (301) to /ab/ on the same port
  foreign-hrefs  the listing also names cards elsewhere: on the other port,
                 outside /ab/, in a sub-folder, through "../"
  endless        the listing (PROPFIND Depth 1) never ends
  stall          the listing is never answered
  put412         every PUT is answered 412 Precondition Failed
  bigcard        one card of 17 MB, its size not in the listing
  unreadable     one card that is not a vCard
Further arguments NAME=FILE put the file's bytes in /ab/ as NAME.
"""

import hashlib
import re
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from xml.sax.saxutils import escape

MODE = sys.argv[1] if len(sys.argv) > 1 else "plain"
CARDS = {}
LOCK = threading.Lock()
PORTS = {}


def card(uid, last, first):
    return ("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%s\r\nN:%s;%s;;;\r\nFN:%s %s\r\nEND:VCARD\r\n"
            % (uid, last, first, first, last)).encode()


def etag_of(data):
    return '"%s"' % hashlib.sha1(data).hexdigest()[:16]


for arg in sys.argv[2:]:
    name, path = arg.split("=", 1)
    with open(path, "rb") as f:
        CARDS[name] = f.read()
if MODE == "foreign-hrefs":
    CARDS["home.vcf"] = card("home", "Maison", "Mia")
if MODE == "bigcard":
    CARDS["big.vcf"] = card("big", "Lourd", "Leo").replace(
        b"END:VCARD", b"NOTE:" + b"x" * (17 << 20) + b"\r\nEND:VCARD")
    CARDS["small.vcf"] = card("small", "Leger", "Lea")
if MODE == "unreadable":
    CARDS["bad.vcf"] = b"this is not a card\r\n"
    CARDS["good.vcf"] = card("good", "Lisible", "Luc")

# Cards served outside the address book, which a client must never take in.
ELSEWHERE = {
    "/other/y.vcf": card("y", "Ailleurs", "Yves"),
    "/ab/sub/z.vcf": card("z", "Dessous", "Zoe"),
    "/evil.vcf": card("e", "Remonte", "Eve"),
    "/ab/x.vcf@other": card("x", "Autreport", "Xavier"),
}


def is_utf8(data):
    try:
        data.decode("utf-8")
        return True
    except UnicodeDecodeError:
        return False


def response(href, props, status="HTTP/1.1 200 OK"):
    return ("<d:response><d:href>%s</d:href><d:propstat><d:prop>%s</d:prop>"
            "<d:status>%s</d:status></d:propstat></d:response>" % (escape(href), props, status))


def multistatus(parts):
    return ('<?xml version="1.0" encoding="utf-8"?>'
            '<d:multistatus xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:carddav">'
            + "".join(parts) + "</d:multistatus>").encode()


BOOK = ("<d:resourcetype><d:collection/><c:addressbook/></d:resourcetype>"
        "<d:displayname>Book</d:displayname>")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def port(self):
        return self.server.server_address[1]

    def other(self):
        return self.port() == PORTS["other"]

    def log_request_line(self):
        auth = 1 if self.headers.get("Authorization") else 0
        print("REQ %d %s %s %d" % (self.port(), self.command, self.path, auth), flush=True)

    def body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length else b""

    def send(self, status, data=b"", headers=()):
        self.send_response(status)
        for k, v in headers:
            self.send_header(k, v)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def handle_any(self):
        self.log_request_line()
        request = self.body()
        path = self.path
        if self.other():
            data = ELSEWHERE.get(path + "@other")
            if self.command == "GET" and data:
                return self.send(200, data, [("ETag", etag_of(data))])
            if self.command == "PROPFIND":
                return self.send(207, multistatus([response(path, BOOK)]),
                                 [("Content-Type", "application/xml")])
            return self.send(404)
        if MODE == "redirect-other":
            return self.send(307, b"", [("Location",
                                         "http://127.0.0.1:%d%s" % (PORTS["other"], path))])
        if MODE == "moved" and path.startswith("/old/"):
            return self.send(301, b"", [("Location", "/ab/" + path[5:])])
        if path in ELSEWHERE and self.command == "GET":
            return self.send(200, ELSEWHERE[path], [("ETag", etag_of(ELSEWHERE[path]))])
        if not path.startswith("/ab/"):
            return self.send(404)
        name = path[4:]
        getattr(self, "on_" + self.command)(name, request)

    def on_PROPFIND(self, name, request):
        if name:
            return self.send(404)
        depth = self.headers.get("Depth", "0")
        if depth == "0":
            return self.send(207, multistatus([response("/ab/", BOOK)]),
                             [("Content-Type", "application/xml")])
        if MODE == "stall":
            time.sleep(3600)
            return
        if MODE == "endless":
            self.send_response(207)
            self.send_header("Content-Type", "application/xml")
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            head = multistatus([response("/ab/", BOOK)])[:-len("</d:multistatus>")]
            chunk = b"<!--" + b"x" * (1 << 20) + b"-->"
            try:
                self.wfile.write(b"%x\r\n%s\r\n" % (len(head), head))
                while True:
                    self.wfile.write(b"%x\r\n%s\r\n" % (len(chunk), chunk))
            except OSError:
                return
        parts = [response("/ab/", BOOK)]
        with LOCK:
            for n, data in sorted(CARDS.items()):
                parts.append(response("/ab/" + n, "<d:getetag>%s</d:getetag>" % etag_of(data)))
        if MODE == "foreign-hrefs":
            parts += [response("http://127.0.0.1:%d/ab/x.vcf" % PORTS["other"],
                               '<d:getetag>"x"</d:getetag>'),
                      response("/other/y.vcf", '<d:getetag>"y"</d:getetag>'),
                      response("/ab/sub/z.vcf", '<d:getetag>"z"</d:getetag>'),
                      response("/ab/../evil.vcf", '<d:getetag>"e"</d:getetag>')]
        self.send(207, multistatus(parts), [("Content-Type", "application/xml")])

    def on_REPORT(self, name, request):
        text = request.decode("utf-8", "replace")
        if "sync-collection" in text:
            return self.send(403)
        parts = []
        for href in re.findall(r"<(?:\w+:)?href>(.*?)</(?:\w+:)?href>", text):
            data = CARDS.get(href[4:]) if href.startswith("/ab/") else ELSEWHERE.get(href)
            if data is None:
                parts.append("<d:response><d:href>%s</d:href>"
                             "<d:status>HTTP/1.1 404 Not Found</d:status></d:response>"
                             % escape(href))
            elif not is_utf8(data):
                # Not XML text: left out of the answer, so that it is fetched alone as it is.
                parts.append(response(href, "<d:getetag>%s</d:getetag>" % etag_of(data)))
            else:
                parts.append(response(href, "<d:getetag>%s</d:getetag><c:address-data>%s"
                                      "</c:address-data>" % (etag_of(data),
                                                             escape(data.decode("utf-8")))))
        self.send(207, multistatus(parts), [("Content-Type", "application/xml")])

    def on_GET(self, name, request):
        data = CARDS.get(name)
        if data is None:
            return self.send(404)
        self.send(200, data, [("ETag", etag_of(data))])

    def on_PUT(self, name, request):
        if MODE == "put412":
            return self.send(412, b"precondition failed")
        with LOCK:
            CARDS[name] = request
        self.send(201, b"", [("ETag", etag_of(request))])

    def on_DELETE(self, name, request):
        with LOCK:
            CARDS.pop(name, None)
        self.send(204)

    do_PROPFIND = do_REPORT = do_GET = do_PUT = do_DELETE = handle_any


def main():
    servers = [ThreadingHTTPServer(("127.0.0.1", 0), Handler) for _ in range(2)]
    for s in servers:
        s.daemon_threads = True
    PORTS["home"] = servers[0].server_address[1]
    PORTS["other"] = servers[1].server_address[1]
    print("PORTS %d %d" % (PORTS["home"], PORTS["other"]), flush=True)
    threading.Thread(target=servers[1].serve_forever, daemon=True).start()
    servers[0].serve_forever()


main()
