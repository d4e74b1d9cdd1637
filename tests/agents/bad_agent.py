#!/usr/bin/python3
"""A misbehaving SNMPv2c agent for the end-to-end tests: bad_agent.py ADDRESS MODE LOG

Answers GETBULK and GET requests on UDP port 161 of ADDRESS from bad_agent.snmprec, faulty as
MODE says
(see answer()); most faults sit in the answer to the objects walk's second request. Each request
is logged to LOG as a JSON line; LOG appears once the socket is bound. It ends after 300 s idle."""

import bisect
import json
import os
import socket
import sys
import time

from pyasn1.codec.ber import decoder
from pysnmp.proto.api import v2c

QOS = (1, 3, 6, 1, 4, 1, 9, 9, 166, 1)
OBJECTS = QOS + (5, 1, 1)
FAULT = OBJECTS + (2, 1, 12)  # the objects walk's second request starts after row 1.12
INTEGER, OCTETS, UNSIGNED, NO_INSTANCE, END = 0x02, 0x04, 0x42, 0x81, 0x82


def data_set(mode):
    """{OID: (tag, value)} of bad_agent.snmprec as the mode changes it, and its OIDs in order.
    Its objects are in depth-first order: the first k rows make the first k listed records."""
    mib = {}
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "bad_agent.snmprec")) as f:
        for name, tag, value in (line.split("|") for line in f.read().splitlines()):
            mib[tuple(map(int, name.split(".")))] = (int(tag), value.encode() if tag == "4"
                                                     else int(value))
    if mode == "longnames":  # each cut to 511 characters, binary ones as hex
        mib.update({QOS + (6, 1, 1, 1, 1001): (OCTETS, b"n" * 600),
                    QOS + (6, 1, 1, 2, 1001): (OCTETS, bytes(range(256)) * 2),
                    QOS + (7, 1, 1, 1, 2001): (OCTETS, b"v" * 60000)})
    if mode in ("actionerror", "actioncountererror"):  # a police action under voice; its
        # configuration table, or its statistics table, answers error 5
        mib.update({OBJECTS + (c, 1, 13): v for c, v in zip((2, 3, 4), (
            (UNSIGNED, 4001), (INTEGER, 7), (UNSIGNED, 11)))})
    if mode == "bigtable":  # a chain of 100,010 objects, 10 more than the table holds
        mib = {name: value for name, value in mib.items() if name[:11] != OBJECTS[:11]}
        for k in range(1, 100_011):  # the policy map in-policy, then classes named voice
            row = (UNSIGNED, 2001 if k > 1 else 1001), (INTEGER, 1 + (k > 1)), (UNSIGNED, k - 1)
            mib.update({OBJECTS + (c, 1, k): v for c, v in zip((2, 3, 4), row)})
    return mib, sorted(mib)


def bulk(data, oids, repetitions):
    """What a correct agent answers: rows of successors, up to the end of the MIB view."""
    mib, names = data
    bindings = []
    for _ in range(repetitions):
        places = [bisect.bisect_right(names, name) for name in oids]
        row = [(names[k], mib[names[k]]) if k < len(names) else (name, (END, b""))
               for k, name in zip(places, oids)]
        bindings += row
        oids = [name for name, _ in row]
    return bindings


def tlv(tag, body):
    size = len(body).to_bytes((len(body).bit_length() + 7) // 8, "big")
    length = bytes([len(body)]) if len(body) < 128 else bytes([0x80 | len(size)]) + size
    return bytes([tag]) + length + body


def ber(value):
    """The contents of an integer, of an OID given as a tuple (sub-identifiers in base 128, the
    high bit set in all but the last digit), or octets."""
    if isinstance(value, tuple):
        return bytes([40 * value[0] + value[1]] + [(k > 0) << 7 | subid >> 7 * k & 0x7F for subid
                      in value[2:] for k in range(4, -1, -1) if k == 0 or subid >> 7 * k])
    return value if isinstance(value, bytes) else value.to_bytes(
        (value.bit_length() + 8) // 8, "big", signed=True)


def encode(community, request_id, bindings, status=0):
    """Encoded here, so that any field can be wrong and a big answer is cheap."""
    body = b"".join(tlv(0x30, tlv(0x06, ber(name)) + tlv(tag, ber(value)))
                    for name, (tag, value) in bindings)
    pdu = b"".join(tlv(INTEGER, ber(v)) for v in (request_id, status, 1 if status else 0))
    return tlv(0x30, tlv(INTEGER, b"\x01") + tlv(OCTETS, community)
               + tlv(0xA2, pdu + tlv(0x30, body)))


def answer(mode, data, community, request_id, oids, repetitions, pdu):
    """The datagrams that answer one request."""
    rows = bulk(data, oids, repetitions * (100 if mode == "bigtable" else 1))
    status = 0
    if pdu == "GetRequestPDU":
        rows = [(name, data[0].get(name, (NO_INSTANCE, b""))) for name in oids]
        # toobig: class counters two to a response
        status = int(mode == "toobig" and len(oids) > 2 and oids[0][:len(QOS) + 1] == QOS + (15,))
    if mode == "silence":
        return []
    if mode == "sluggish":  # a walk of three requests takes more than a second
        time.sleep(0.5)
    if mode == "toobig" and repetitions > 5 or (  # -fast: the range walk of policy 2
            mode == "latepolicy" and OBJECTS + (2, 2) <= oids[0] < OBJECTS + (3,)):
        status = 1 if mode == "toobig" else 5
    if mode == "actionerror" and QOS + (12,) <= oids[0] < QOS + (13,) or (
            mode == "actioncountererror" and QOS + (17,) <= oids[0] < QOS + (18,)):
        status = 5
    if oids[0] == FAULT:
        if mode == "slow":
            time.sleep(4)
        elif mode == "backwards":
            rows[3:6] = [(name[:-2] + (1, 11), value) for name, value in rows[3:6]]
        elif mode.startswith("error"):
            status = int(mode[len("error"):])
    return [encode(community, request_id, rows, status)]


def main(address, mode, log_path):
    data = data_set(mode)
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        sock.bind((address, 161))
        sock.settimeout(300)
        log = open(log_path, "w", 1)  # once bound: the test's sign to start
        while True:
            datagram, peer = sock.recvfrom(65535)
            message = decoder.decode(datagram, asn1Spec=v2c.Message())[0]
            pdu = v2c.apiMessage.getPDU(message)
            # A GET has its error fields there: 0 and 0.
            entry = {"id": int(pdu[0]), "community": str(message["community"]),
                     "pdu": pdu.__class__.__name__, "non_repeaters": int(pdu[1]),
                     "max_repetitions": int(pdu[2]), "oids": [
                         str(name) for name, _ in v2c.apiPDU.getVarBinds(pdu)]}
            log.write(json.dumps(entry) + "\n")
            for reply in answer(mode, data, bytes(message["community"]), entry["id"], [
                    tuple(map(int, name.split("."))) for name in entry["oids"]],
                    entry["max_repetitions"], entry["pdu"]):
                sock.sendto(reply, peer)


if __name__ == "__main__":
    main(*sys.argv[1:])
