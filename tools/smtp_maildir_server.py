#!/usr/bin/python3
"""SMTP server of the local service and the tests: Debian's aiosmtpd on a
loopback address.

Every accepted message is delivered byte for byte (as the server received
it after undoing the dot-stuffing) into a Maildir; every command line the
client sends and every envelope delivered are appended to a log file, one
line each:

    CMD <command line as received; an AUTH line's credentials as ***>
    AUTH <mechanism> <login> <ok|refused> <tls|plain>
    DELIVERED <mail from> <rcpt to,...> <file name in new/>

With --tls-cert and --tls-key it offers STARTTLS (--require-tls: takes no
mail before it), or with --implicit-tls speaks TLS from the first byte;
with --auth LOGIN:PASSWORD it takes mail only after that log-on.

Once listening it prints "READY <port>" on standard output.
"""

import argparse
import asyncio
import logging
import os
import signal
import socket
import ssl
import time

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class CommandLog(logging.Handler):
    """Takes aiosmtpd's "peer >> line" debug records as the command log."""

    def __init__(self, log):
        super().__init__(logging.INFO)
        self.log = log

    def emit(self, record):
        if record.msg == "%r >> %r" and len(record.args) == 2:
            line = record.args[1].decode("latin-1")
            words = line.split(" ")
            if words[0].upper() == "AUTH" and len(words) > 2:
                line = " ".join(words[:2] + ["***"])
            self.log.write("CMD " + line + "\n")
            self.log.flush()


class MaildirHandler:
    def __init__(self, maildir, log, refused):
        self.maildir = maildir
        self.log = log
        self.refused = refused
        self.count = 0
        for sub in ("tmp", "new", "cur"):
            os.makedirs(os.path.join(maildir, sub), exist_ok=True)

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.refused:
            return "550 5.1.1 <%s>: Recipient address rejected: User unknown" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        name = "%d.M%dP%d.smtp" % (time.time(), self.count, os.getpid())
        tmp = os.path.join(self.maildir, "tmp", name)
        with open(tmp, "wb") as f:
            f.write(envelope.original_content)
        os.rename(tmp, os.path.join(self.maildir, "new", name))
        self.log.write("DELIVERED %s %s %s\n" % (envelope.mail_from, ",".join(envelope.rcpt_tos), name))
        self.log.flush()
        return "250 2.0.0 Ok: queued as %s" % name


class Authenticator:
    """Takes the one log-on --auth names and logs every attempt."""

    def __init__(self, credentials, log, implicit_tls):
        self.login, _, self.password = credentials.partition(":")
        self.log = log
        self.implicit_tls = implicit_tls

    def __call__(self, server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login.decode() == self.login
              and auth_data.password.decode() == self.password)
        login = auth_data.login.decode("latin-1") if isinstance(auth_data, LoginPassword) else "-"
        self.log.write("AUTH %s %s %s %s\n" % (mechanism, login, "ok" if ok else "refused",
                                               "tls" if session.ssl or self.implicit_tls else "plain"))
        self.log.flush()
        return AuthResult(success=ok, handled=False)


async def serve(args):
    log = open(args.log, "a", encoding="latin-1", buffering=1)
    mail_log = logging.getLogger("mail.log")
    mail_log.setLevel(logging.INFO)
    mail_log.addHandler(CommandLog(log))
    mail_log.propagate = False

    handler = MaildirHandler(args.maildir, log, {r.lower() for r in args.refuse})
    loop = asyncio.get_running_loop()
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind((args.host, args.port))
    context = None
    if args.tls_cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.tls_cert, args.tls_key)
    options = {}
    if context and not args.implicit_tls:
        options.update(tls_context=context, require_starttls=args.require_tls)
    if args.auth:
        # aiosmtpd counts only STARTTLS as TLS; from the first byte it is TLS too.
        options.update(auth_required=True, auth_require_tls=not args.implicit_tls,
                       auth_exclude_mechanism=args.auth_exclude,
                       authenticator=Authenticator(args.auth, log, args.implicit_tls))
    server = await loop.create_server(
        lambda: SMTP(handler, hostname="smtp.test", ident="aiosmtpd test server", **options),
        sock=sock, ssl=context if args.implicit_tls else None)
    print("READY %d" % sock.getsockname()[1], flush=True)
    stop = loop.create_future()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, stop.set_result, None)
    await stop
    server.close()
    await server.wait_closed()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--maildir", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--refuse", action="append", default=[], help="recipient to refuse with 550")
    parser.add_argument("--tls-cert")
    parser.add_argument("--tls-key")
    parser.add_argument("--implicit-tls", action="store_true")
    parser.add_argument("--require-tls", action="store_true")
    parser.add_argument("--auth", help="LOGIN:PASSWORD the server requires")
    parser.add_argument("--auth-exclude", action="append", default=[], help="mechanism not to offer")
    asyncio.run(serve(parser.parse_args()))


if __name__ == "__main__":
    main()
