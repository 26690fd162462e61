"""A small FTP server on loopback for the upload tests and the upload benchmark.

Serves one user with a password from a folder, binds a free port on 127.0.0.1 and
prints that port on a line of its own once it accepts connections. Every command a
client sends is appended to the log file (the password masked), one line each, so a
test can count commands and stored files. "CWD close-this-connection" makes the server
hang up on that client, as a server does when a connection was idle too long. Runs
until it is terminated.

usage: ftp_server.py ROOT USER PASSWORD LOG [--no-passive] [--no-mlst]
                     [--throttle BYTES_PER_SECOND]
"""

import argparse
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("user")
    parser.add_argument("password")
    parser.add_argument("log")
    parser.add_argument("--no-passive", action="store_true",
                        help="refuse PASV and EPSV, as a server that allows only active mode")
    parser.add_argument("--no-mlst", action="store_true",
                        help="answer MLST as an unknown command, as older servers do")
    parser.add_argument("--throttle", type=int, default=0,
                        help="receive at most this many bytes a second on data connections")
    options = parser.parse_args()

    # Quiet: the tests read the log file, not the server's chatter.
    logging.basicConfig(level=logging.CRITICAL)
    log = open(options.log, "a", buffering=1)

    class LoggingHandler(FTPHandler):
        def pre_process_command(self, line, cmd, arg):
            log.write(("PASS ****" if cmd == "PASS" else line) + "\n")
            if line == "CWD close-this-connection":
                self.respond("421 Control connection timed out.")
                self.close_when_done()
                return
            return FTPHandler.pre_process_command(self, line, cmd, arg)

    class ActiveOnlyHandler(LoggingHandler):
        def ftp_PASV(self, line):
            self.respond("502 Passive mode is not allowed here.")

        def ftp_EPSV(self, line):
            self.respond("502 Passive mode is not allowed here.")

    class NoMlstHandler(ActiveOnlyHandler if options.no_passive else LoggingHandler):
        def ftp_MLST(self, path):
            self.respond("500 Command \"MLST\" not understood.")

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
    print(server.address[1], flush=True)
    sys.stdout.close()
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    main()
