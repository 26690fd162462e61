"""A small FTP server on loopback for the upload tests and the upload benchmark.

Serves one user with a password from a folder, binds a free port on 127.0.0.1 and
prints that port on a line of its own once it accepts connections. With --tls CERT it
requires FTP over TLS (AUTH TLS, protected data connections), with the certificate and
key in the PEM file CERT, made here (self-signed, for "localhost") when it does not
exist; the port line then carries the certificate's SHA-256 fingerprint after the port. Every command a
client sends is appended to the log file (the password masked), one line each, so a
test can count commands and stored files; the end of each upload follows as a line of its
own, "~received NAME" when the client ended the file and "~incomplete NAME" when the
connection broke or was aborted first (NAME below the root). "CWD close-this-connection" makes the server
hang up on that client, as a server does when a connection was idle too long. Runs
until it is terminated.

usage: ftp_server.py ROOT USER PASSWORD LOG [--no-passive] [--no-mlst]
                     [--throttle BYTES_PER_SECOND] [--tls CERT]
"""

import argparse
import logging
import sys

import os

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


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
    options = parser.parse_args()
    if options.tls and not os.path.exists(options.tls):
        make_certificate(options.tls)

    # Quiet: the tests read the log file, not the server's chatter.
    logging.basicConfig(level=logging.CRITICAL)
    log = open(options.log, "a", buffering=1)

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

    class LoggingHandler(base):
        def pre_process_command(self, line, cmd, arg):
            log.write(("PASS ****" if cmd == "PASS" else line) + "\n")
            if line == "CWD close-this-connection":
                self.respond("421 Control connection timed out.")
                self.close_when_done()
                return
            return base.pre_process_command(self, line, cmd, arg)

        def on_file_received(self, file):
            log.write("~received " + os.path.relpath(file, options.root) + "\n")

        def on_incomplete_file_received(self, file):
            log.write("~incomplete " + os.path.relpath(file, options.root) + "\n")

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
    handler.auth_failed_timeout = 0
    handler.permit_foreign_addresses = True
    if options.throttle > 0:
        class Throttled(ThrottledDTPHandler):
            read_limit = options.throttle
        handler.dtp_handler = Throttled

    server = FTPServer(("127.0.0.1", 0), handler)
    if options.tls:
        print(server.address[1], fingerprint(options.tls), flush=True)
    else:
        print(server.address[1], flush=True)
    sys.stdout.close()
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    main()
