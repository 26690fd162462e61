"""A TCP proxy on loopback that cuts one connection, as a link that breaks does.

Listens on a free port of 127.0.0.1 and prints that port on a line of its own; each
connection it accepts is forwarded to 127.0.0.1:PORT. The first connection whose bytes from
the client pass BYTES in all is cut right there: those BYTES go on to the server, then both
sides are reset (no orderly close, as a broken link). Once per run; every later connection
goes through whole. Runs until it is terminated.

usage: cutting_proxy.py PORT BYTES
"""

import socket
import struct
import sys
import threading

lock = threading.Lock()
state = {"cut": False}


def reset(connection):
    try:
        connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    except OSError:
        pass
    connection.close()


def forward(source, target, limit, pair):
    """Copies source to target; with a limit, cuts the pair once that many bytes went."""
    sent = 0
    try:
        while True:
            chunk = source.recv(65536)
            if not chunk:
                break
            if limit is not None:
                with lock:
                    cut_here = not state["cut"] and sent + len(chunk) >= limit
                    if cut_here:
                        state["cut"] = True
                if cut_here:
                    target.sendall(chunk[:limit - sent])
                    for connection in pair:
                        reset(connection)
                    return
            target.sendall(chunk)
            sent += len(chunk)
    except OSError:
        pass
    for connection in pair:
        try:
            connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


def serve(client, port, limit):
    try:
        server = socket.create_connection(("127.0.0.1", port))
    except OSError:
        reset(client)
        return
    pair = (client, server)
    threading.Thread(target=forward, args=(client, server, limit, pair), daemon=True).start()
    threading.Thread(target=forward, args=(server, client, None, pair), daemon=True).start()


def main():
    port, limit = int(sys.argv[1]), int(sys.argv[2])
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    print(listener.getsockname()[1], flush=True)
    sys.stdout.close()
    while True:
        client, _ = listener.accept()
        serve(client, port, limit)


if __name__ == "__main__":
    main()
