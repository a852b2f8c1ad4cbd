#!/usr/bin/python3
"""A small SMTP server for the tests: plain, STARTTLS, implicit TLS, AUTH LOGIN, scripted
refusals and a server that stalls after the data (silent or trickling; it writes "stall-begun",
then "stall-gone" when the client leaves during the stall or "stall-over" when it ran out). Prints its port, then stores each accepted message as N.eml with N.txt beside it,
a summary of the parsed message (envelope, headers, part tree, decoded texts)."""
import argparse
import base64
import email
import email.header
import email.policy
import os
import select
import socketserver
import ssl
import sys

ap = argparse.ArgumentParser()
ap.add_argument("--outdir", required=True)
ap.add_argument("--cert")
ap.add_argument("--key")
ap.add_argument("--implicit-tls", action="store_true")
ap.add_argument("--no-starttls", action="store_true")
ap.add_argument("--user", default="")
ap.add_argument("--password", default="")
ap.add_argument("--reject-rcpt", default="")
# After the data: stay silent, or send the reply one byte a second, for this many seconds.
ap.add_argument("--stall-after-data", type=float, default=0)
ap.add_argument("--trickle", action="store_true")
args = ap.parse_args()

tls = None
if args.cert:
    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    tls.load_cert_chain(args.cert, args.key)

counter = [0]


def summarize(raw, env_from, env_to, auth_user):
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    lines = ["envelope-from: " + env_from, "envelope-to: " + ",".join(env_to), "auth: " + auth_user]
    for name in ("From", "To", "Subject"):
        raw_value = msg.get(name, "")
        lines.append(name.lower() + ": " + str(raw_value).replace("\n", "\\n").replace("\r", "\\r"))
    lines.append("header-names: " + ",".join(msg.keys()))

    def walk(part, depth):
        cid = part.get("Content-ID", "")
        disp = part.get_content_disposition() or ""
        fname = part.get_filename() or ""
        info = "  " * depth + "part: " + part.get_content_type()
        if cid:
            info += " cid=" + cid
        if disp:
            info += " disposition=" + disp
        if fname:
            info += " filename=" + fname
        if part.is_multipart():
            lines.append(info)
            for child in part.iter_parts():
                walk(child, depth + 1)
        elif part.get_content_maintype() == "text":
            lines.append(info)
            text = part.get_content()
            lines.append("  " * depth + "text: " + text.replace("\r\n", "\n").replace("\n", "\\n"))
        else:
            data = part.get_payload(decode=True) or b""
            lines.append(info + " bytes=%d" % len(data) + (" jpeg" if data[:2] == b"\xff\xd8" else ""))

    walk(msg, 0)
    return "\n".join(lines) + "\n"


class Handler(socketserver.StreamRequestHandler):
    def send(self, text):
        self.wfile.write((text + "\r\n").encode())
        self.wfile.flush()

    def readline(self):
        line = self.rfile.readline(1 << 20)
        if not line:
            raise EOFError
        return line.decode("latin-1").rstrip("\r\n")

    def stall(self):
        """True when the client stayed until the stall ran out."""
        mark = lambda name: open(os.path.join(args.outdir, name), "w").close()
        trickle = b"250 " + b"x" * int(args.stall_after_data + 1)
        left, sent = args.stall_after_data, 0
        mark("stall-begun")
        while left > 0:
            ready, _, _ = select.select([self.connection], [], [], min(left, 1.0))
            left -= 1.0
            if ready:  # the client closed, or gave up and said so
                mark("stall-gone")
                return False
            if args.trickle and not ready:
                try:
                    self.wfile.write(trickle[sent:sent + 1])
                    self.wfile.flush()
                except OSError:
                    mark("stall-gone")
                    return False
                sent += 1
        mark("stall-over")
        if args.trickle:
            self.wfile.write(trickle[sent:] + b"\r\n")
            self.wfile.flush()
        return True

    def upgrade(self):
        self.connection = tls.wrap_socket(self.connection, server_side=True)
        self.request = self.connection
        self.rfile = self.connection.makefile("rb")
        self.wfile = self.connection.makefile("wb")

    def handle(self):
        try:
            self.session()
        except (EOFError, ConnectionError, ssl.SSLError, OSError):
            pass

    def session(self):
        secure = False
        if args.implicit_tls:
            self.upgrade()
            secure = True
        self.send("220 localhost test SMTP")
        env_from, env_to, auth_user = "", [], ""
        authed = not args.user
        while True:
            line = self.readline()
            verb = line.split(" ", 1)[0].upper()
            if verb in ("EHLO", "HELO"):
                caps = ["250-localhost"]
                if tls and not secure and not args.no_starttls:
                    caps.append("250-STARTTLS")
                if args.user:
                    caps.append("250-AUTH LOGIN PLAIN")
                caps.append("250 8BITMIME")
                for c in caps:
                    self.send(c)
            elif verb == "STARTTLS" and tls and not secure:
                self.send("220 Ready to start TLS")
                self.upgrade()
                secure = True
            elif verb == "AUTH":
                parts = line.split()
                if len(parts) >= 2 and parts[1].upper() == "LOGIN":
                    if len(parts) >= 3:
                        user = base64.b64decode(parts[2]).decode()
                    else:
                        self.send("334 VXNlcm5hbWU6")
                        user = base64.b64decode(self.readline()).decode()
                    self.send("334 UGFzc3dvcmQ6")
                    password = base64.b64decode(self.readline()).decode()
                else:
                    self.send("504 5.5.4 Unrecognized authentication type")
                    continue
                if user == args.user and password == args.password:
                    authed, auth_user = True, user
                    self.send("235 2.7.0 Authentication successful")
                else:
                    self.send("535 5.7.8 Authentication credentials invalid")
            elif verb == "MAIL":
                if not authed:
                    self.send("530 5.7.0 Authentication required")
                    continue
                env_from, env_to = line[10:].strip().strip("<>"), []
                self.send("250 OK")
            elif verb == "RCPT":
                address = line[8:].strip().strip("<>")
                if args.reject_rcpt and address == args.reject_rcpt:
                    self.send("550 5.1.1 Mailbox unavailable")
                    continue
                env_to.append(address)
                self.send("250 OK")
            elif verb == "DATA":
                if not env_to:
                    self.send("503 5.5.1 No valid recipients")
                    continue
                self.send("354 End data with <CR><LF>.<CR><LF>")
                data = bytearray()
                while True:
                    raw = self.rfile.readline(1 << 24)
                    if not raw:
                        raise EOFError
                    if raw in (b".\r\n", b".\n"):
                        break
                    if raw.startswith(b"."):
                        raw = raw[1:]
                    data += raw
                if args.stall_after_data and not self.stall():
                    return
                counter[0] += 1
                base = os.path.join(args.outdir, str(counter[0]))
                with open(base + ".tmp", "wb") as f:
                    f.write(bytes(data))
                with open(base + ".txt", "w") as f:
                    f.write(summarize(bytes(data), env_from, env_to, auth_user))
                os.rename(base + ".tmp", base + ".eml")
                if not args.trickle:
                    self.send("250 OK queued")
            elif verb == "RSET":
                env_from, env_to = "", []
                self.send("250 OK")
            elif verb == "NOOP":
                self.send("250 OK")
            elif verb == "QUIT":
                self.send("221 Bye")
                return
            else:
                self.send("502 5.5.2 Command not recognized")


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


server = Server(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
