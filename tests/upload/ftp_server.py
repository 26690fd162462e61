"""A small FTP server on loopback for the upload tests and the upload benchmark.

Serves one user with a password from a folder, binds a free port on 127.0.0.1 and
prints that port on a line of its own once it accepts connections. With --tls CERT it
requires FTP over TLS (AUTH TLS, protected data connections), with the certificate and
key in the PEM file CERT, made here (self-signed, for "localhost") when it does not
exist; the port line then carries the certificate's SHA-256 fingerprint after the port. Every command a
client sends is appended to the log file (the password masked), one line each, so a
test can count commands and stored files; the end of each upload follows as a line of its
own, "~received NAME" when the client ended the file and "~incomplete NAME" when the
connection broke or was aborted first (NAME below the root); a data connection that
the client resets, or over TLS closes without a TLS close_notify, has broken, and the
client is answered "426 Failure reading network stream.". "CWD close-this-connection" makes the server
hang up on that client, as a server does when a connection was idle too long. Runs
until it is terminated.

Network conditions and limits, as some real servers and links have:
  --delay MS           every reply (the 220 greeting too) and the first byte each data
                       connection receives or sends reach the other side MS milliseconds
                       late, as over a link with that round trip; each client is served on
                       its own thread, so clients are delayed independently
  --clock-offset SECS  every file time the server tells (MLSD and MLST modify=, MDTM, the
                       reply to MFMT, LIST dates) is shifted by SECS seconds (may be
                       negative), as a server that tells times in its own time zone; times
                       set with MFMT are still taken as UTC
  --max-logins N       at most N clients connected at once; one more is answered
                       "421 Too many connections. Service temporarily unavailable." instead
                       of the greeting and disconnected
  --cut-after BYTES    the first upload (STOR or APPE, also after REST) whose data reaches
                       BYTES bytes ends there: the server keeps those BYTES bytes in the file,
                       logs "~incomplete NAME" and drops that client's data and control
                       connections without a reply (a reset, as a broken link); once per run,
                       later uploads go through

Each --quirk makes the server behave as some real servers do (or as a hostile one would):
  case-insensitive  names match in any letter case, and an overwritten file keeps the
                    case it had
  lying-pwd         PWD answers "/" wherever the client is
  silent-quit       QUIT is never answered
  dos-list          LIST answers in the Windows (IIS) format
  seven-field-list  LIST lines without a group column
  endless-mlsd      MLSD of a folder called "endless" never ends
  slow-mlsd         MLSD of a folder called "slow" sends one line a second, forever
  keep-old-on-cut   a file is written under a temporary name (".in.NAME", an APPE onto a
                    copy of the old file) and renamed into place only when it arrived
                    whole: a cut upload leaves the old file as it was
  short-store       the first file that arrives whole loses its last 10 bytes, and the
                    client is told it was stored
  mkdir-race        MKD of a missing folder makes it, then answers "550 File exists.", as
                    when another client made it a moment before
  hash              FEAT offers HASH (SHA-256), which hashes a whole file
  xmd5              FEAT offers XMD5, which hashes a whole file

  --size-offset N      every file size the server tells (SIZE, MLST, MLSD, LIST) is off by
                       N bytes (may be negative), as a server that misreports sizes

usage: ftp_server.py ROOT USER PASSWORD LOG [--no-passive] [--no-mlst]
                     [--throttle BYTES_PER_SECOND] [--tls CERT] [--delay MS]
                     [--clock-offset SECONDS] [--max-logins N] [--cut-after BYTES]
                     [--size-offset N] [--quirk NAME ...]
"""

import argparse
import errno
import hashlib
import itertools
import logging
import os
import shutil
import socket
import stat
import struct
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import BufferedIteratorProducer, FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer, ThreadedFTPServer


def make_certificate(path):
    """A self-signed certificate and its key for "localhost", in one PEM file."""
    from OpenSSL import crypto
    key = crypto.PKey()
    key.generate_key(crypto.TYPE_RSA, 2048)
    certificate = crypto.X509()
    certificate.get_subject().CN = "localhost"
    certificate.set_serial_number(int.from_bytes(os.urandom(8), "big"))
    certificate.gmtime_adj_notBefore(-3600)
    certificate.gmtime_adj_notAfter(30 * 24 * 3600)
    certificate.set_issuer(certificate.get_subject())
    certificate.set_pubkey(key)
    certificate.sign(key, "sha256")
    with open(path, "wb") as file:
        file.write(crypto.dump_privatekey(crypto.FILETYPE_PEM, key))
        file.write(crypto.dump_certificate(crypto.FILETYPE_PEM, certificate))


def fingerprint(path):
    from OpenSSL import crypto
    with open(path, "rb") as file:
        certificate = crypto.load_certificate(crypto.FILETYPE_PEM, file.read())
    return certificate.digest("sha256").decode("ascii")


class CaseFoldingFS(AbstractedFS):
    """Finds each piece of a path in any letter case, as servers on Windows do."""

    def ftp2fs(self, ftppath):
        path = AbstractedFS.ftp2fs(self, ftppath)
        relative = os.path.relpath(path, self.root)
        if relative == ".":
            return path
        found = self.root
        for piece in relative.split(os.sep):
            exact = os.path.join(found, piece)
            if not os.path.lexists(exact) and os.path.isdir(found):
                for name in os.listdir(found):
                    if name.lower() == piece.lower():
                        exact = os.path.join(found, name)
                        break
            found = exact
        return found


def listing_lines(fs, basedir, listing, line):
    for name in listing:
        try:
            status = fs.lstat(os.path.join(basedir, name))
        except OSError:
            continue
        text = line(name, status, time.localtime(status.st_mtime))
        yield text.encode("utf8", fs.cmd_channel.unicode_errors)


class DosListingFS(AbstractedFS):
    def format_list(self, basedir, listing, ignore_err=True):
        def line(name, status, when):
            stamp = time.strftime("%m-%d-%y  %I:%M%p", when)
            if stat.S_ISDIR(status.st_mode):
                return "%s       <DIR>          %s\r\n" % (stamp, name)
            return "%s %20d %s\r\n" % (stamp, status.st_size, name)
        return listing_lines(self, basedir, listing, line)


class SevenFieldListingFS(AbstractedFS):
    def format_list(self, basedir, listing, ignore_err=True):
        def line(name, status, when):
            mode = "d" if stat.S_ISDIR(status.st_mode) else "-"
            stamp = time.strftime("%b %d %H:%M", when)
            return "%srw-r--r-- 1 owner %8d %s %s\r\n" % (mode, status.st_size, stamp, name)
        return listing_lines(self, basedir, listing, line)


def own_folder(fs_class):
    """CWD without changing the process's folder, which pyftpdlib does to try a folder
    and then changes back: clients served on threads of their own would mix that up and
    could leave the process in a folder a test then deletes, failing every later CWD."""
    class OwnFolderFS(fs_class):
        def chdir(self, path):
            if not stat.S_ISDIR(os.stat(path).st_mode):
                raise OSError(errno.ENOTDIR, os.strerror(errno.ENOTDIR), path)
            if not os.access(path, os.X_OK):
                raise OSError(errno.EACCES, os.strerror(errno.EACCES), path)
            self.cwd = self.fs2ftp(path)
    return OwnFolderFS


class ShiftedStatus:
    """A stat result whose times are moved by offset seconds."""

    def __init__(self, status, offset):
        self._status = status
        self.st_mtime = status.st_mtime + offset
        self.st_ctime = status.st_ctime + offset

    def __getattr__(self, name):
        return getattr(self._status, name)


def clock_shifted(fs_class, offset):
    class ShiftedFS(fs_class):
        def stat(self, path):
            return ShiftedStatus(fs_class.stat(self, path), offset)

        def lstat(self, path):
            return ShiftedStatus(fs_class.lstat(self, path), offset)

        def getmtime(self, path):
            return fs_class.getmtime(self, path) + offset
    return ShiftedFS


class ResizedStatus:
    """A stat result whose size is off by offset bytes."""

    def __init__(self, status, offset):
        self._status = status
        self.st_size = status.st_size + offset if stat.S_ISREG(status.st_mode) else status.st_size

    def __getattr__(self, name):
        return getattr(self._status, name)


def size_shifted(fs_class, offset):
    class ResizedFS(fs_class):
        def stat(self, path):
            return ResizedStatus(fs_class.stat(self, path), offset)

        def lstat(self, path):
            return ResizedStatus(fs_class.lstat(self, path), offset)

        def getsize(self, path):
            return fs_class.getsize(self, path) + offset
    return ResizedFS


INCOMING = ".in."


def incoming_name(path):
    """Where a keep-old-on-cut server writes path until it is whole."""
    folder, name = os.path.split(path)
    return os.path.join(folder, INCOMING + name)


def arrived_name(path):
    """The file an incoming one becomes; None for any other file."""
    folder, name = os.path.split(path)
    if not name.startswith(INCOMING):
        return None
    return os.path.join(folder, name[len(INCOMING):])


class EndWatch:
    """A data connection's socket that notes on its channel when the client broke the
    connection off (a reset, or over TLS no close_notify) instead of ending it: what
    arrived before is then an incomplete file, as a real server takes it, though
    pyftpdlib would answer 226 and keep the part as the whole file."""

    def __init__(self, sock, channel, broken_errors):
        self._sock = sock
        self._channel = channel
        self._broken_errors = broken_errors

    def recv(self, *args):
        try:
            return self._sock.recv(*args)
        except self._broken_errors:
            self._channel.broken = True
            raise

    def __getattr__(self, name):
        return getattr(self._sock, name)


def drop(channel):
    """Closes a connection with a reset instead of an orderly shutdown."""
    try:
        channel.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    except OSError:
        pass
    channel._error = True  # skips the TLS close_notify
    channel.close()


def endless_lines():
    for number in itertools.count():
        yield b"type=file;size=1;modify=20240101000000; f%09d\r\n" % number


def slow_lines():
    for number in itertools.count():
        time.sleep(1)
        yield b"type=file;size=1;modify=20240101000000; f%09d\r\n" % number


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("user")
    parser.add_argument("password")
    parser.add_argument("log")
    parser.add_argument("--no-passive", action="store_true",
                        help="refuse PASV and EPSV, as a server that allows only active mode")
    parser.add_argument("--no-mlst", action="store_true",
                        help="answer MLST and MLSD as unknown commands, as older servers do")
    parser.add_argument("--throttle", type=int, default=0,
                        help="receive at most this many bytes a second on data connections")
    parser.add_argument("--tls", metavar="CERT",
                        help="require TLS with the certificate in this PEM file")
    parser.add_argument("--delay", type=int, default=0, metavar="MS",
                        help="answer and start each data transfer this many milliseconds late")
    parser.add_argument("--clock-offset", type=int, default=0, metavar="SECONDS",
                        help="tell file times shifted by this many seconds")
    parser.add_argument("--max-logins", type=int, default=0, metavar="N",
                        help="refuse clients beyond this many at once")
    parser.add_argument("--cut-after", type=int, default=0, metavar="BYTES",
                        help="break the first upload that reaches this many bytes")
    parser.add_argument("--size-offset", type=int, default=0, metavar="BYTES",
                        help="tell file sizes off by this many bytes")
    parser.add_argument("--quirk", action="append", default=[],
                        choices=["case-insensitive", "lying-pwd", "silent-quit", "dos-list",
                                 "seven-field-list", "endless-mlsd", "slow-mlsd",
                                 "keep-old-on-cut", "short-store", "mkdir-race", "hash",
                                 "xmd5"])
    options = parser.parse_args()
    if options.tls and not os.path.exists(options.tls):
        make_certificate(options.tls)

    # Quiet: the tests read the log file, not the server's chatter.
    logging.basicConfig(level=logging.CRITICAL)
    log_file = open(options.log, "a", buffering=1)
    log_lock = threading.Lock()

    def log(line):
        # Whole lines, also when clients are served on threads of their own.
        with log_lock:
            log_file.write(line + "\n")

    base = FTPHandler
    if options.tls:
        from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler

        class SecureData(TLS_DTPHandler):
            # libcurl begins a data connection's TLS handshake as soon as it has
            # connected, before the transfer command; pyftpdlib would take the early
            # bytes for a hang-up and close the connection.
            def readable(self):
                return self._ssl_accepting or super().readable()

        class Secure(TLS_FTPHandler):
            certfile = options.tls
            tls_control_required = True
            tls_data_required = True
            dtp_handler = SecureData
        base = Secure

    delay = options.delay / 1000
    # Shared by the connections' threads when the server runs one per client.
    lock = threading.Lock()
    shared = {"logins": 0, "cut": False, "shortened": False}

    broken_errors = (ConnectionError, TimeoutError)
    if options.tls:
        from OpenSSL import SSL
        broken_errors += (SSL.SysCallError,)

    data_base = base.dtp_handler
    if options.throttle > 0:
        class Throttled(ThrottledDTPHandler):
            read_limit = options.throttle
        data_base = Throttled

    class Data(data_base):
        late = delay > 0
        upload_bytes = 0
        cut_here = False
        broken = False

        def arrive_late(self):
            # Sleeping holds only this client's thread (see server_class below).
            if self.late:
                self.late = False
                time.sleep(delay)

        def push(self, data):
            self.arrive_late()
            return data_base.push(self, data)

        def push_with_producer(self, producer):
            self.arrive_late()
            return data_base.push_with_producer(self, producer)

        def recv(self, size):
            if not isinstance(self.socket, EndWatch):
                self.socket = EndWatch(self.socket, self, broken_errors)
            chunk = data_base.recv(self, size)
            if options.cut_after > 0 and self.receive and chunk:
                left = options.cut_after - self.upload_bytes
                if len(chunk) >= left:
                    with lock:
                        if not shared["cut"]:
                            shared["cut"] = self.cut_here = True
                            chunk = chunk[:left]
                self.upload_bytes += len(chunk)
            return chunk

        def close(self):
            if self.receive and self.broken and not self._closed:
                self.transfer_finished = False
                self._resp = ("426 Failure reading network stream.", logging.info)
            data_base.close(self)

        def handle_read_event(self):
            self.arrive_late()
            data_base.handle_read_event(self)
            if self.cut_here:
                control = self.cmd_channel
                drop(self)  # logs the file as incomplete
                drop(control)

    class LoggingHandler(base):
        dtp_handler = Data
        counted = False
        greet_on_own_thread = False

        def handle(self):
            # On the threaded server this runs on the thread that accepts every client;
            # a delayed greeting waits for the client's own thread (add_channel).
            if delay:
                self.greet_on_own_thread = True
            else:
                self.greet()

        def add_channel(self, map=None, events=None):
            base.add_channel(self, map, events)
            if self.greet_on_own_thread:
                self.greet_on_own_thread = False
                self.greet()

        def greet(self):
            with lock:
                full = 0 < options.max_logins <= shared["logins"]
                if not full:
                    shared["logins"] += 1
                    self.counted = True
            if full:
                self.respond("421 Too many connections. Service temporarily unavailable.")
                self.close_when_done()
            else:
                base.handle(self)

        def close(self):
            if self.counted:
                self.counted = False
                with lock:
                    shared["logins"] -= 1
            base.close(self)

        def respond(self, resp, *args, **kwargs):
            if delay:
                time.sleep(delay)
            base.respond(self, resp, *args, **kwargs)

        def pre_process_command(self, line, cmd, arg):
            log("PASS ****" if cmd == "PASS" else line)
            if line == "CWD close-this-connection":
                self.respond("421 Control connection timed out.")
                self.close_when_done()
                return
            return base.pre_process_command(self, line, cmd, arg)

        proto_cmds = dict(base.proto_cmds,
                          HASH=dict(perm="r", auth=True, arg=True, help="Syntax: HASH <SP> name"),
                          XMD5=dict(perm="r", auth=True, arg=True, help="Syntax: XMD5 <SP> name"))

        def on_file_received(self, file):
            arrived = arrived_name(file)
            if arrived is not None:
                os.replace(file, arrived)
                file = arrived
            if "short-store" in options.quirk:
                with lock:
                    shorten = not shared["shortened"] and os.path.getsize(file) > 10
                    shared["shortened"] = shared["shortened"] or shorten
                if shorten:
                    os.truncate(file, os.path.getsize(file) - 10)
            log("~received " + os.path.relpath(file, options.root))

        def on_incomplete_file_received(self, file):
            arrived = arrived_name(file)
            if arrived is not None:
                os.remove(file)
                file = arrived
            log("~incomplete " + os.path.relpath(file, options.root))

        def ftp_STOR(self, file, mode="w"):
            if "keep-old-on-cut" not in options.quirk:
                return base.ftp_STOR(self, file, mode)
            incoming = incoming_name(file)
            if "a" in mode and os.path.exists(file):
                shutil.copyfile(file, incoming)
            return base.ftp_STOR(self, incoming, mode)

        def ftp_MKD(self, path):
            if "mkdir-race" in options.quirk and not os.path.exists(path):
                os.mkdir(path)
                self.respond("550 File exists.")
                return
            return base.ftp_MKD(self, path)

        def ftp_FEAT(self, line):
            extra = []
            if "hash" in options.quirk:
                extra.append("HASH SHA-256*")
            if "xmd5" in options.quirk:
                extra.append("XMD5")
            self._extra_feats = self._extra_feats + extra
            try:
                return base.ftp_FEAT(self, line)
            finally:
                self._extra_feats = self._extra_feats[:len(self._extra_feats) - len(extra)]

        def hashed(self, path, algorithm):
            """The hash of the whole file at path, or None after answering why not."""
            if not os.path.isfile(path):
                self.respond("550 No such file.")
                return None
            with open(path, "rb") as file:
                return hashlib.new(algorithm, file.read()).hexdigest()

        def ftp_HASH(self, path):
            if "hash" not in options.quirk:
                self.respond('500 Command "HASH" not understood.')
                return
            digest = self.hashed(path, "sha256")
            if digest is not None:
                size = os.path.getsize(path)
                self.respond("213 SHA-256 0-%d %s %s" % (max(size - 1, 0), digest,
                                                        os.path.basename(path)))

        def ftp_XMD5(self, path):
            if "xmd5" not in options.quirk:
                self.respond('500 Command "XMD5" not understood.')
                return
            digest = self.hashed(path, "md5")
            if digest is not None:
                self.respond("250 " + digest.upper())

        def ftp_PWD(self, line):
            if "lying-pwd" in options.quirk:
                self.respond('257 "/" is the current directory.')
                return
            return base.ftp_PWD(self, line)

        def ftp_QUIT(self, line):
            if "silent-quit" in options.quirk:
                return
            return base.ftp_QUIT(self, line)

        def ftp_MLSD(self, path):
            folder = os.path.basename(path)
            if "endless-mlsd" in options.quirk and folder == "endless":
                lines = endless_lines()
            elif "slow-mlsd" in options.quirk and folder == "slow":
                lines = slow_lines()
            else:
                return base.ftp_MLSD(self, path)
            producer = BufferedIteratorProducer(lines)
            producer.loops = 1 if folder == "slow" else 1000
            self.push_dtp_data(producer, isproducer=True, cmd="MLSD")
            return path

    class ActiveOnlyHandler(LoggingHandler):
        def ftp_PASV(self, line):
            self.respond("502 Passive mode is not allowed here.")

        def ftp_EPSV(self, line):
            self.respond("502 Passive mode is not allowed here.")

    class NoMlstHandler(ActiveOnlyHandler if options.no_passive else LoggingHandler):
        def ftp_MLST(self, path):
            self.respond("500 Command \"MLST\" not understood.")

        def ftp_MLSD(self, path):
            self.respond("500 Command \"MLSD\" not understood.")

    authorizer = DummyAuthorizer()
    authorizer.add_user(options.user, options.password, options.root, perm="elradfmwMT")
    if options.no_mlst:
        handler = NoMlstHandler
    else:
        handler = ActiveOnlyHandler if options.no_passive else LoggingHandler
    handler.authorizer = authorizer
    if "case-insensitive" in options.quirk:
        handler.abstracted_fs = CaseFoldingFS
    elif "dos-list" in options.quirk:
        handler.abstracted_fs = DosListingFS
    elif "seven-field-list" in options.quirk:
        handler.abstracted_fs = SevenFieldListingFS
    handler.abstracted_fs = own_folder(handler.abstracted_fs)
    if options.clock_offset:
        handler.abstracted_fs = clock_shifted(handler.abstracted_fs, options.clock_offset)
    if options.size_offset:
        handler.abstracted_fs = size_shifted(handler.abstracted_fs, options.size_offset)
    handler.auth_failed_timeout = 0
    handler.permit_foreign_addresses = True

    # A listing that sleeps between its lines, or a delay, holds only its own
    # connection's thread.
    threaded = "slow-mlsd" in options.quirk or delay > 0
    server_class = ThreadedFTPServer if threaded else FTPServer
    server = server_class(("127.0.0.1", 0), handler)
    if options.tls:
        print(server.address[1], fingerprint(options.tls), flush=True)
    else:
        print(server.address[1], flush=True)
    sys.stdout.close()
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    main()
