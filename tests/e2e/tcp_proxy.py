#!/usr/bin/env python3
"""Forwards every TCP connection made to 127.0.0.1:LISTEN to 127.0.0.1:TARGET, both ways, until
killed; killing it cuts every connection it carries, as a broken network would. Prints the port
it listens on (LISTEN 0 picks a free one)."""
import selectors
import socket
import sys


def main():
    listen_port, target_port = int(sys.argv[1]), int(sys.argv[2])
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", listen_port))
    server.listen()
    print(server.getsockname()[1], flush=True)
    selector = selectors.DefaultSelector()
    selector.register(server, selectors.EVENT_READ)
    peers = {}
    while True:
        for key, _ in selector.select():
            sock = key.fileobj
            if sock is server:
                client, _ = server.accept()
                upstream = socket.create_connection(("127.0.0.1", target_port))
                for s in (client, upstream):
                    s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
                    selector.register(s, selectors.EVENT_READ)
                peers[client], peers[upstream] = upstream, client
                continue
            data = sock.recv(65536)
            other = peers.get(sock)
            if not data or other is None:
                for s in (sock, other):
                    if s is not None and s in peers:
                        selector.unregister(s)
                        peers.pop(s)
                        s.close()
                continue
            other.sendall(data)


if __name__ == "__main__":
    main()
