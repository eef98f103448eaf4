#!/usr/bin/python3
"""Internet faxes written by real mail software, for the tests.

    real_mail.py SHAPE OUTPUT --fax FAX.tif --sender ADDR --to ADDR
    real_mail.py --shapes

writes one message in the named shape to OUTPUT (--shapes lists the names):
Python's email package in the shapes mail programs and gateways send, or the
message mutt, s-nail or mpack composes (each run as the user would run it, its
"sending" caught into the file). Every message asks for a receipt at the
sender.
"""

import argparse
import os
import subprocess
import sys
import tempfile
from email.message import EmailMessage
from email.mime.application import MIMEApplication
from email.mime.base import MIMEBase
from email.mime.image import MIMEImage
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText
from email import encoders
from email.header import Header
from email.utils import formatdate, make_msgid

COVER = "Please find the fax attached.\n"
SENDER_NAME = "Fax Gateway"


def head(msg, args, subject):
    msg["From"] = f"{SENDER_NAME} <{args.sender}>"
    msg["To"] = args.to
    msg["Subject"] = subject
    msg["Date"] = formatdate(localtime=True)
    msg["Message-ID"] = make_msgid(domain="example.org")
    msg["Disposition-Notification-To"] = f"{SENDER_NAME} <{args.sender}>"
    return msg


def fax(args):
    return open(args.fax, "rb").read()


def cover_and_fax(args, subject, cover=COVER):
    """The cover text with the fax attached after it, as mail programs send it."""
    msg = head(EmailMessage(), args, subject)
    msg.set_content(cover)
    msg.add_attachment(fax(args), maintype="image", subtype="tiff", filename="fax.tif")
    return msg.as_bytes()


def gateway(args, subject, part):
    """The cover text, then one part, as Python's older (compat32) API writes them."""
    msg = head(MIMEMultipart(), args, subject)
    msg.attach(MIMEText(COVER))
    msg.attach(part)
    return msg.as_bytes()


def octet_folded(args):
    # compat32 folds the long parameters over several lines.
    part = MIMEBase("application", "octet-stream", name="received facsimile page one of the gateway.tif")
    part.set_payload(fax(args))
    encoders.encode_base64(part)
    part.add_header("Content-Disposition", "attachment", filename="received facsimile page one of the gateway.tif")
    return gateway(args, "octet-stream folded", part)


def rfc2231_names(args):
    msg = head(EmailMessage(), args, "RFC 2231 names")
    msg.set_content(COVER)
    data = fax(args)
    msg.add_attachment(data, maintype="image", subtype="tiff", filename="Fax f\u00fcr Sie.tif")
    # Long enough that the name is continued over numbered parameters.
    msg.add_attachment(data, maintype="application", subtype="octet-stream",
                       filename="Empfangenes Telefax \u00fcber das Gateway, Seite zwei von zwei.tiff")
    return msg.as_bytes()


def rfc2047_name(args):
    part = MIMEApplication(fax(args), "octet-stream")
    encoded = Header("T\u00e9l\u00e9copie.tif", "utf-8").encode()
    part.add_header("Content-Disposition", "attachment", filename=encoded)
    part.set_param("name", encoded)
    return gateway(args, "RFC 2047 name", part)


def alternative_in_mixed(args):
    msg = head(EmailMessage(), args, "alternative in mixed")
    msg.set_content("Plain cover text of the fax.\n")
    msg.add_alternative("<html><body><p>HTML cover <b>text</b></p></body></html>\n", subtype="html")
    msg.add_attachment(fax(args), maintype="image", subtype="tiff", filename="fax.tif")
    return msg.as_bytes()


def related(args):
    msg = head(EmailMessage(), args, "related")
    msg.set_content("Plain cover text of the fax.\n")
    msg.add_alternative('<html><body><p>See the page:</p><img src="cid:page1"></body></html>\n', subtype="html")
    msg.get_payload()[1].add_related(fax(args), maintype="image", subtype="tiff",
                                     cid="<page1>", filename="page1.tif")
    return msg.as_bytes()


def single_image(args):
    msg = head(MIMEImage(fax(args), "tiff"), args, "single image body")
    return msg.as_bytes()


def texts(args):
    msg = head(EmailMessage(), args, "Gr\u00fc\u00dfe aus K\u00f6ln")
    msg.set_content("Cover caf\u00e9 \u2013 na\u00efve\n", charset="utf-8")
    msg.add_attachment("UTF-8 note: caf\u00e9\n".encode("utf-8"), maintype="text", subtype="plain",
                       filename="utf8.txt")
    msg.add_attachment("Latin-1 note: caf\u00e9\n".encode("latin-1"), maintype="text", subtype="plain",
                       filename="latin1.txt")
    return msg.as_bytes()


def binary_text(args):
    # A gateway that calls the fax it sends text.
    part = MIMEBase("text", "plain")
    part.set_payload(fax(args))
    encoders.encode_base64(part)
    return gateway(args, "binary called text", part)


def long_lines(args):
    msg = head(EmailMessage(), args, "long lines")
    msg.set_content(COVER)
    line = " ".join(["WWWWWWWWWW 8888888888"] * 12)
    body = "".join(f"{n:03} {line}\n" for n in range(1, 31))  # bare LF line ends
    msg.add_attachment(body.encode("ascii"), maintype="text", subtype="plain", filename="wide.txt", cte="base64")
    return msg.as_bytes()


def plain_dots(args):
    # Lines a careless sender writes: dots, a lone "." line, an SMTP command.
    msg = head(EmailMessage(), args, "plain dots")
    msg.set_content("Above the dots.\n.hidden\n.\nMAIL FROM:<x@example.org>\nLast line.\n", cte="7bit")
    return msg.as_bytes()


def run(command, work, text=""):
    """Runs a mail program in a folder of its own, as a user at a UTF-8 terminal would."""
    subprocess.run(command, input=text.encode(), check=True, cwd=work,
                   env=dict(os.environ, HOME=work, LANG="C.UTF-8", LC_ALL="C.UTF-8"),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def mutt(args):
    with tempfile.TemporaryDirectory() as work:
        # Its "sendmail" writes the message into a file.
        out = os.path.join(work, "sent.eml")
        catcher = os.path.join(work, "sendmail")
        with open(catcher, "w") as f:
            f.write(f'#!/bin/sh\ncat > "{out}"\n')
        os.chmod(catcher, 0o700)
        copy = os.path.join(work, "Empf\u00e4nger Fax.tif")
        with open(copy, "wb") as f:
            f.write(fax(args))
        settings = (f'set sendmail="{catcher}"; set from="{SENDER_NAME} <{args.sender}>"; set use_from=yes; '
                    f'my_hdr Disposition-Notification-To: {SENDER_NAME} <{args.sender}>')
        run(["mutt", "-n", "-F", "/dev/null", "-e", settings, "-s", "mutt fax", "-a", copy, "--", args.to], work, COVER)
        return open(out, "rb").read()


def s_nail(args):
    with tempfile.TemporaryDirectory() as work:
        mbox = os.path.join(work, "sent.mbox")
        run(["s-nail", "-:/", "-Sv15-compat", "-Sttycharset=utf-8", f"-Smta=test://{mbox}",
             "-r", f"{SENDER_NAME} <{args.sender}>",
             "-C", f"Disposition-Notification-To: {SENDER_NAME} <{args.sender}>",
             "-s", "s-nail fax", "-a", args.fax, args.to], work, COVER)
        data = open(mbox, "rb").read()
        # The mbox "From " line is no part of the message.
        return data.split(b"\n", 1)[1] if data.startswith(b"From ") else data


def mpack(args):
    with tempfile.TemporaryDirectory() as work:
        cover = os.path.join(work, "cover.txt")
        with open(cover, "w") as f:
            f.write(COVER)
        out = os.path.join(work, "out.eml")
        run(["mpack", "-s", "mpack fax", "-d", cover, "-o", out, args.fax], work)
        # mpack writes no addresses: the header a mail server would see.
        extra = (f"From: {SENDER_NAME} <{args.sender}>\nTo: {args.to}\nDate: {formatdate(localtime=True)}\n"
                 f"Disposition-Notification-To: {SENDER_NAME} <{args.sender}>\n")
        return extra.encode() + open(out, "rb").read()


SHAPES = {
    "mixed-base64": lambda args: cover_and_fax(args, "mixed base64"),
    "octet-folded": octet_folded,
    "rfc2231-names": rfc2231_names,
    "rfc2047-name": rfc2047_name,
    "alternative-in-mixed": alternative_in_mixed,
    "related": related,
    "single-image": single_image,
    "charsets": texts,
    "lone-dot": lambda args: cover_and_fax(args, "lone dot", "Above the dot.\n.\nBelow the dot.\n"),
    "binary-text": binary_text,
    "long-lines": long_lines,
    "mutt": mutt,
    "s-nail": s_nail,
    "mpack": mpack,
    "plain-dots": plain_dots,
}


def main():
    if sys.argv[1:] == ["--shapes"]:
        print("\n".join(sorted(SHAPES)))
        return 0
    parser = argparse.ArgumentParser()
    parser.add_argument("shape", choices=sorted(SHAPES))
    parser.add_argument("output")
    parser.add_argument("--fax", required=True)
    parser.add_argument("--sender", required=True)
    parser.add_argument("--to", required=True)
    args = parser.parse_args()
    args.fax = os.path.abspath(args.fax)
    data = SHAPES[args.shape](args)
    with open(args.output, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
