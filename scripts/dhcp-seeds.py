#!/usr/bin/env python3
"""Writes the seed requests of the DHCP server's fuzz target to tests/data/dhcp-requests:
a device's DISCOVER and REQUEST (message type first, server address at 260-263, 300 bytes),
a BOOTP request, and standard clients' requests with the message type after other options."""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "dhcp-requests")
MAC = bytes([0x02, 0x5A, 0x7E, 0x00, 0x00, 0x01])
COOKIE = bytes([99, 130, 83, 99])


def header(xid=0x12345678):
    h = bytearray(236)
    h[0:4] = bytes([1, 1, 6, 0])
    h[4:8] = struct.pack(">I", xid)
    h[28:34] = MAC
    return h


def device(msg_type, server=bytes([10, 0, 0, 2])):
    r = header() + COOKIE + bytes([53, 1, msg_type])
    r += bytes(258 - len(r))
    if msg_type == 3:
        r += bytes([54, 4]) + server
    r += bytes([255])
    return bytes(r + bytes(300 - len(r)))


def client(options):
    return bytes(header() + COOKIE + bytes(options) + bytes([255]))


seeds = {
    "device-discover.bin": device(1),
    "device-request.bin": device(3),
    "bootp.bin": bytes(header() + bytes(64)),
    "client-discover.bin": client([53, 1, 1, 61, 7, 1] + list(MAC) + [55, 4, 1, 3, 6, 15] + [60, 12] + list(b"vendor-class")),
    "client-request-option50-first.bin": client([50, 4, 10, 0, 0, 10, 53, 1, 3, 54, 4, 10, 0, 0, 2]),
    "client-renew.bin": client([53, 1, 3, 57, 2, 2, 64]),
}
os.makedirs(OUT, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)
    print(name, len(data))
