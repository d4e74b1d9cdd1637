#!/usr/bin/python3
"""A misbehaving SNMPv2c agent for the end-to-end tests: bad_agent.py ADDRESS MODE LOG

Answers GETBULK requests on UDP port 161 of ADDRESS from a small CBWFQ data set, faulty as MODE
says (see answer()). Most faults sit in the answer to the objects walk's second request, so the
rows before them are known. Each request is logged to LOG as a JSON line; LOG appears once the
socket is bound. The agent ends after 300 s without a request.
"""

import bisect
import json
import random
import socket
import sys
import time

from pyasn1.codec.ber import decoder
from pysnmp.proto.api import v2c

QOS = (1, 3, 6, 1, 4, 1, 9, 9, 166, 1)
OBJECTS = QOS + (5, 1, 1)
FAULT = OBJECTS + (2, 1, 12)  # the objects walk's second request starts after row 1.12
INTEGER, OCTETS, COUNTER, UNSIGNED, END = 0x02, 0x04, 0x41, 0x42, 0x82
EXCEPTIONS = {"nosuchobject": 0x80, "nosuchinstance": 0x81, "endofmibview": END}

# (policy, object): configIndex, type, parent; table order is depth-first order.
OBJECT_ROWS = {(1, 1): (1001, 1, 0), (1, 11): (2001, 2, 1), (1, 12): (3001, 3, 11),
               (1, 21): (2002, 2, 1), (1, 22): (3002, 3, 21), (2, 2): (1002, 1, 0),
               (2, 31): (2003, 2, 2), (2, 32): (2004, 2, 2)}
TEXTS = {6: {1001: (b"in-policy", b"inbound traffic"), 1002: (b"out-policy", b"")},
         7: {2001: (b"voice", b"voice calls"), 2002: (b"class-default", b""),
             2003: (b"class-default", b""), 2004: (b"bulk", b"best effort")},
         8: {3001: (b"match ip dscp ef", b"dscp ef"), 3002: (b"match any", b"any")}}
COUNTERS = {(1, 11): (1200, 3), (1, 21): (4294967295, 0), (2, 31): (0, 9), (2, 32): (77, 7)}


def data_set(mode):
    """{OID: (tag, value)} of the mode's data, and its OIDs in order."""
    objects, texts, counters = OBJECT_ROWS, TEXTS, COUNTERS
    if mode == "longnames":  # every long text is cut to 511 characters, binary ones as hex
        texts = {**TEXTS, 6: {**TEXTS[6], 1001: (b"n" * 600, bytes(range(256)) * 2)},
                 7: {**TEXTS[7], 2001: (b"v" * 60000, b"voice calls")}}
    if mode == "bigtable":  # a chain of 100,010 objects, 10 more than the table holds
        objects = {(1, k): (k, 2 if k > 1 else 1, k - 1) for k in range(1, 100_011)}
        texts = {6: {1: (b"big-policy", b"")}, 7: {2: (b"first-class", b""), 100_000: (
            b"last-stored-class", b""), 100_001: (b"first-lost-class", b"")}}
        counters = {(1, 2): (10, 1), (1, 100_000): (20, 2), (1, 100_001): (30, 3)}
    mib = {QOS + (1, 1, 1, 3, p): (INTEGER, p) for p in (1, 2)}
    mib.update({QOS + (1, 1, 1, 4, p): (INTEGER, p + 2) for p in (1, 2)})
    for index, row in objects.items():
        mib.update({OBJECTS + (c,) + index: v for c, v in zip(
            (2, 3, 4), zip((UNSIGNED, INTEGER, UNSIGNED), row))})
    for table, rows in texts.items():
        for config, row in rows.items():
            mib.update({QOS + (table, 1, 1, c, config): (OCTETS, v) for c, v in zip((1, 2), row)})
    for index, row in counters.items():
        mib.update({QOS + (15, 1, 1, c) + index: (COUNTER, v) for c, v in zip((2, 13), row)})
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
        if all(value[0] == END for _, value in row):
            break
    return bindings


def tlv(tag, body):
    size, octets = len(body), (len(body).bit_length() + 7) // 8
    length = bytes([size]) if size < 128 else bytes([0x80 | octets]) + size.to_bytes(octets, "big")
    return bytes([tag]) + length + body


def ber(value):
    """The contents of an INTEGER-like value, of an OID given as a tuple, or octets."""
    if isinstance(value, tuple):
        digits = [40 * value[0] + value[1]]
        for subid in value[2:]:
            digits += [0x80 | subid >> 7 * k & 0x7F for k in range(4, 0, -1) if subid >> 7 * k]
            digits.append(subid & 0x7F)
        return bytes(digits)
    return value if isinstance(value, bytes) else value.to_bytes(
        (value.bit_length() + 8) // 8, "big", signed=True)


def encode(community, request_id, bindings, status=0, pdu_tag=0xA2):
    """Encoded here, so that any field can be wrong and a big answer is cheap."""
    body = b"".join(tlv(0x30, tlv(0x06, ber(name)) + tlv(tag, ber(value)))
                    for name, (tag, value) in bindings)
    pdu = b"".join(tlv(INTEGER, ber(v)) for v in (request_id, status, 1 if status else 0))
    return tlv(0x30, tlv(INTEGER, b"\x01") + tlv(OCTETS, community)
               + tlv(pdu_tag, pdu + tlv(0x30, body)))


def answer(mode, data, community, request_id, oids, repetitions):
    """The datagrams that answer one request."""
    rows = bulk(data, oids, repetitions * (100 if mode == "bigtable" else 1))
    status, pdu_tag = 0, 0xA2
    if mode == "silence":
        return []
    if oids[0] == OBJECTS + (2,) and mode in ("partial", "toomany"):
        rows = rows[:7] if mode == "partial" else bulk(data, oids, 5)  # a part row; 5 rows
    if oids[0] == FAULT:
        if mode == "slow":
            time.sleep(4)
        elif mode == "garbage":  # every try: noise, a cut answer, another id, a too long OID
            whole = encode(community, request_id, rows)
            long_oid = [(OBJECTS + (2,) + (4294967295,) * 116, rows[0][1])]
            return [random.randbytes(80), whole[: len(whole) // 2],
                    encode(community, request_id + 1000, rows),
                    encode(community, request_id, long_oid)]
        elif mode == "wrongtype":
            pdu_tag = 0xA0  # a GetRequest
        elif mode == "repeat":
            rows = [(name, (INTEGER, 0)) for name in oids] * repetitions
        elif mode == "backwards":
            rows[3:6] = [(name[:-2] + (1, 11), value) for name, value in rows[3:6]]
        elif mode == "short":
            rows = rows[:2]
        elif mode in EXCEPTIONS:  # in the first column of the second row
            rows[3] = (rows[3][0], (EXCEPTIONS[mode], b""))
        elif mode == "longoid":  # 1206 characters as text, within 128 sub-identifiers
            rows[3] = (OBJECTS + (2,) + (4294967295,) * 107, rows[3][1])
        elif mode.startswith("error"):
            status = int(mode[len("error"):])
    return [encode(community, request_id, rows, status, pdu_tag)]


def main(address, mode, log_path):
    data = data_set(mode)
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock, open(log_path, "w", 1) as log:
        sock.bind((address, 161))
        sock.settimeout(300)
        while True:
            datagram, peer = sock.recvfrom(65535)
            message = decoder.decode(datagram, asn1Spec=v2c.Message())[0]
            community, pdu = bytes(message["community"]), v2c.apiMessage.getPDU(message)
            entry = {"id": int(v2c.apiPDU.getRequestID(pdu)), "community": community.decode(),
                     "pdu": pdu.__class__.__name__,
                     "non_repeaters": int(v2c.apiBulkPDU.getNonRepeaters(pdu)),
                     "max_repetitions": int(v2c.apiBulkPDU.getMaxRepetitions(pdu)),
                     "oids": [str(name) for name, _ in v2c.apiPDU.getVarBinds(pdu)]}
            log.write(json.dumps(entry) + "\n")
            oids = [tuple(int(s) for s in oid.split(".")) for oid in entry["oids"]]
            for reply in answer(mode, data, community, entry["id"], oids,
                                entry["max_repetitions"]):
                sock.sendto(reply, peer)


if __name__ == "__main__":
    main(*sys.argv[1:])
