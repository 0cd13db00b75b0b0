#!/usr/bin/env python3
"""Captures the device stand-in's replies as seeds for the reply decoder fuzzers.

Runs the stand-in in a private network namespace, sends it one request of each kind (accepted
and refused), and writes every reply to tests/data/replies/<name>.bin.

Usage: tests/netns-run python3 scripts/capture-replies.py build/tools/devicesim/devicesim
"""
import os
import socket
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "data", "replies")
MAC = bytes.fromhex("001122334455")


def text(value):
    return value.encode().ljust(8, b"\0")[:8]


def request(command, id_, password, length, payload=b""):
    head = MAC + text(id_) + text(password) + bytes([command]) + payload
    return head.ljust(length, b"\0")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open("/proc/net/route") as routes:
        if any(line.split()[1] == "00000000" for line in routes.readlines()[1:]):
            sys.exit("refusing to run with a default route: start it through tests/netns-run")
    sim = subprocess.Popen([sys.argv[1], "--bind", "127.0.0.1", "--max-seconds", "30", "--device",
                            "mac=00:11:22:33:44:55,id=abc,password=pw,ip=10.0.0.5,router=10.0.0.1,"
                            "serverip=10.0.0.30,serverport=8001,clientip=10.0.0.20,poweron=1000000"],
                           stdout=subprocess.PIPE)
    sim.stdout.readline()  # "devicesim: listening on ..."
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.settimeout(2)
    network = bytes([3, 5]) + bytes.fromhex("1771 0a000002 1771 0a000003")
    serial = bytes.fromhex("000c 03 01 000a")
    cases = {
        "find": request(0x35, "abc", "pw", 32, MAC),
        "find-refused": request(0x35, "abc", "no", 32, MAC),
        "clear": request(0x36, "abc", "pw", 32, MAC),
        "clear-refused": request(0x36, "abc", "no", 32, MAC),
        "network-mode": request(0x72, "abc", "pw", 45, network),
        "serial": request(0x71, "abc", "pw", 30, serial),
        "serial-refused": request(0x71, "abc", "no", 30, serial),
        "confirm": request(0x98, "abc", "pw", 30),
        "confirm-refused": request(0x98, "abc", "no", 30),
        "change": request(0x99, "abc", "pw", 45, text("newid123") + text("secret")),
    }
    os.makedirs(OUT, exist_ok=True)
    for name, data in cases.items():
        sock.sendto(data, ("127.0.0.1", 1024))
        reply, _ = sock.recvfrom(4096)
        with open(os.path.join(OUT, name + ".bin"), "wb") as seed:
            seed.write(reply)
        print(f"{name}: {len(reply)} bytes")
    sim.terminate()
    sim.wait()


if __name__ == "__main__":
    main()
