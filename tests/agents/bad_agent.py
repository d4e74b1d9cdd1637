#!/usr/bin/python3
"""A misbehaving SNMPv2c agent for the end-to-end tests.

    bad_agent.py --address 127.0.0.5 --mode MODE --log FILE [--lifetime SECONDS]

Listens on UDP port 161 of the address and answers GETBULK requests, whatever their
community, from a small well-formed CBWFQ data set under 1.3.6.1.4.1.9.9.166, in the way the
mode says. Most faults sit in the answer to the second request of the QoS objects walk (the one
asking for the successors of the third objects row), so the rows before the fault are known.
Every datagram received is logged to FILE as one JSON line (request id, community,
non-repeaters, max-repetitions, OIDs). The log file appears once the socket is bound. The agent
ends by itself after --lifetime seconds.

Modes:
  good             a correct GETBULK agent
  slow             answers every request after 3 seconds
  sluggish         answers every request after 0.3 seconds
  silence          never answers
  silentfirst      ignores request id 1, then answers correctly
  repeat           the fault answer repeats the request's own OIDs
  backwards        the fault answer's second row goes back to the second objects row
  short            the fault answer holds two bindings, fewer than the three columns
  empty            the fault answer holds no binding
  error<N>         the fault answer has error-status N (error5, error19, error255, error-1)
  nosuchobject, nosuchinstance, endofmibview
                   the first column of the fault answer's second row holds that exception
  longoid          the first OID of the fault answer's second row has 120 sub-identifiers,
                   most of them 4294967295: a text of 1195 characters
  overlongoid      the same with 129 sub-identifiers, more than an SNMP OID may have
  garbage-random, garbage-truncated, garbage-reqid, garbage-type
                   every try of the fault request gets only random bytes, the first half of
                   the right answer, the right answer with another request id, or the right
                   bindings in a GetRequest PDU
  latepolicy       error-status 5 for every request that starts in policy 2's objects rows
                   (the last range of a -fast walk)
  toobig           error-status 1 (tooBig) for every request asking for more than 5 rows
  partial          the first objects answer holds 7 bindings: two rows and a stray one
  toomany          the first objects answer holds 5 rows, more than max-repetitions asks for
  longnames        names and descriptions of 600, 2000 and 65000 bytes, printable and binary
  bigtable         a QoS objects table of 100,010 rows: one policy map, 100,009 class maps
  cycles           parent links that loop: an object with index 0 under parent 0, an object
                   that is its own parent, two objects that are each other's parent
"""

import argparse
import bisect
import json
import random
import socket
import sys
import time

from pyasn1.codec.ber import decoder, encoder
from pysnmp.proto import api, rfc1905

v2c = api.protoModules[api.protoVersion2c]

CBQOS = (1, 3, 6, 1, 4, 1, 9, 9, 166, 1)
SERVICE_POLICY = CBQOS + (1, 1, 1)  # columns 3 direction, 4 ifIndex
OBJECTS = CBQOS + (5, 1, 1)  # columns 2 config index, 3 object type, 4 parent object
POLICY_MAP_CFG = CBQOS + (6, 1, 1)  # columns 1 name, 2 description
CLASS_MAP_CFG = CBQOS + (7, 1, 1)
MATCH_STMT_CFG = CBQOS + (8, 1, 1)  # columns 1 name, 2 match information
CLASS_STATS = CBQOS + (15, 1, 1)  # columns 2 pre-policy packets, 13 dropped packets

# A UDP datagram carries at most 65,507 bytes. Like a real agent, an answer that would not fit
# loses bindings from its end (RFC 3416, 4.2.3); the estimate is above the encoded size.
ANSWER_BUDGET = 65400


class Column:
    """One column of a table: its OID, its row indices in OID order, a value per index."""

    def __init__(self, oid, indices, value):
        self.oid, self.indices, self.value = oid, indices, value

    def successor(self, name):
        """The index of the first row whose OID is greater than name, or None."""
        if name[: len(self.oid)] == self.oid:
            position = bisect.bisect_right(self.indices, name[len(self.oid):])
        elif name < self.oid:
            position = 0
        else:
            return None
        return self.indices[position] if position < len(self.indices) else None


def table(entry, column_numbers, rows):
    """The columns of one table; rows maps an index tuple to one value per column."""
    indices = sorted(rows)
    return [Column(entry + (number,), indices, lambda index, k=k: rows[index][k])
            for k, number in enumerate(column_numbers)]


class Mib:
    def __init__(self, columns):
        self.columns = sorted(columns, key=lambda column: column.oid)

    def next(self, name):
        """The binding that follows name in OID order; endOfMibView past the last one."""
        for column in self.columns:
            index = column.successor(name)
            if index is not None:
                return column.oid + index, column.value(index)
        return name, rfc1905.endOfMibView

    def get(self, name):
        for column in self.columns:
            if name[: len(column.oid)] == column.oid:
                index = name[len(column.oid):]
                position = bisect.bisect_left(column.indices, index)
                if position < len(column.indices) and column.indices[position] == index:
                    return column.value(index)
        return rfc1905.noSuchInstance

    def bulk(self, request, repetitions=None):
        """The bindings a correct agent gives: non-repeaters once, then the repeaters row by
        row, each row stepping from the one before."""
        repetitions = request.max_repetitions if repetitions is None else repetitions
        bindings = [self.next(name) for name in request.oids[: request.non_repeaters]]
        last = request.oids[request.non_repeaters:]
        for _ in range(repetitions if last else 0):
            row = [self.next(name) for name in last]
            bindings += row
            last = [name for name, _ in row]
            if all(value is rfc1905.endOfMibView for _, value in row):
                break
        return fitting(bindings)


def fitting(bindings):
    size = 0
    for count, binding in enumerate(bindings):
        size += binding_size(binding)
        if size > ANSWER_BUDGET:
            return bindings[: max(count, 1)]
    return bindings


def binding_size(binding):
    name, value = binding
    payload = len(value) if isinstance(value, v2c.OctetString) else 8
    return 5 * len(name) + payload + 8


# The well-formed data set. Objects rows are (policy, object): config index, type, parent; they
# are listed depth first, so a listing of the first k rows is the first k lines of the whole.
OBJECT_ROWS = {
    (1, 1): (1001, 1, 0),  # policy map in-policy
    (1, 11): (2001, 2, 1),  # class voice
    (1, 12): (3001, 3, 11),  # its match statement
    (1, 13): (4001, 4, 11),  # its queueing action
    (1, 21): (2002, 2, 1),  # class class-default
    (1, 22): (3002, 3, 21),  # its match statement
    (2, 2): (1002, 1, 0),  # policy map out-policy
    (2, 31): (2003, 2, 2),  # class class-default
    (2, 32): (2004, 2, 2),  # class bulk
}
POLICY_MAP_NAMES = {1001: (b"in-policy", b"inbound traffic"), 1002: (b"out-policy", b"")}
CLASS_MAP_NAMES = {2001: (b"voice", b"voice calls"), 2002: (b"class-default", b""),
                   2003: (b"class-default", b""), 2004: (b"bulk", b"best effort")}
MATCH_STATEMENTS = {3001: (b"match ip dscp ef", b"dscp ef"), 3002: (b"match any", b"any")}
CLASS_COUNTERS = {(1, 11): (1200, 3), (1, 21): (4294967295, 0), (2, 31): (0, 9),
                  (2, 32): (77, 7)}


def printable(length):
    return bytes(ord("a") + i % 26 for i in range(length))


def binary(length):
    return bytes(i % 256 for i in range(length))


def data_set(objects=OBJECT_ROWS, policy_maps=POLICY_MAP_NAMES, class_maps=CLASS_MAP_NAMES,
             matches=MATCH_STATEMENTS, counters=CLASS_COUNTERS):
    def names(rows):
        return {(cfg,): (v2c.OctetString(name), v2c.OctetString(text))
                for cfg, (name, text) in rows.items()}

    return Mib(
        table(SERVICE_POLICY, (3, 4), {(1,): (v2c.Integer(1), v2c.Integer(3)),
                                       (2,): (v2c.Integer(2), v2c.Integer(4))})
        + table(OBJECTS, (2, 3, 4), {
            index: (v2c.Unsigned32(cfg), v2c.Integer(kind), v2c.Unsigned32(parent))
            for index, (cfg, kind, parent) in objects.items()})
        + table(POLICY_MAP_CFG, (1, 2), names(policy_maps))
        + table(CLASS_MAP_CFG, (1, 2), names(class_maps))
        + table(MATCH_STMT_CFG, (1, 2), names(matches))
        + table(CLASS_STATS, (2, 13), {index: (v2c.Counter32(pre), v2c.Counter32(dropped))
                                       for index, (pre, dropped) in counters.items()}))


def long_names():
    return data_set(
        policy_maps={1001: (printable(600), binary(600)), 1002: (binary(2000), printable(2000))},
        class_maps={**CLASS_MAP_NAMES, 2001: (printable(65000), b"voice calls"),
                    2002: (b"class-default", binary(65000))})


BIG_TABLE_ROWS = 100_010


def big_table():
    """Policy 1: object 1 is the policy map, objects 2..100,010 its class maps, each with a
    configuration index equal to its object index. The objects rows are made when asked for."""
    indices = [(1, k) for k in range(1, BIG_TABLE_ROWS + 1)]

    def row(index):
        return (1, 1, 0) if index == (1, 1) else (index[1], 2, 1)

    kinds = ((2, v2c.Unsigned32), (3, v2c.Integer), (4, v2c.Unsigned32))
    objects = [Column(OBJECTS + (number,), indices,
                      lambda index, k=k, kind=kind: kind(row(index)[k]))
               for k, (number, kind) in enumerate(kinds)]
    rest = data_set(
        objects={},
        policy_maps={1: (b"big-policy", b"")},
        class_maps={2: (b"first-class", b""), 100_000: (b"last-stored-class", b""),
                    100_001: (b"first-lost-class", b"")},
        matches={},
        counters={(1, 2): (10, 1), (1, 100_000): (20, 2), (1, 100_001): (30, 3)})
    return Mib([column for column in rest.columns if column.indices] + objects)


def cycles():
    return data_set(
        objects={(1, 0): (1001, 1, 0),  # index 0 under parent 0: its own child
                 (1, 3): (2001, 2, 3),  # its own parent
                 (1, 7): (2002, 2, 8),  # 7 and 8 are each other's parent
                 (1, 8): (2003, 2, 7),
                 (2, 3): (1002, 1, 0),  # a top-level object whose index leads to 1.3
                 (2, 7): (1003, 1, 0)},  # one whose index leads into the 7/8 loop
        policy_maps={1001: (b"zero", b""), 1002: (b"three", b""), 1003: (b"seven", b"")},
        class_maps={2001: (b"own-parent", b""), 2002: (b"loop-a", b""), 2003: (b"loop-b", b"")},
        matches={}, counters={})


class Request:
    def __init__(self, message):
        self.community = bytes(v2c.apiMessage.getCommunity(message))
        self.pdu = v2c.apiMessage.getPDU(message)
        self.is_bulk = self.pdu.isSameTypeWith(v2c.GetBulkRequestPDU())
        self.request_id = int(v2c.apiPDU.getRequestID(self.pdu))
        self.non_repeaters = int(v2c.apiBulkPDU.getNonRepeaters(self.pdu)) if self.is_bulk else 0
        self.max_repetitions = (int(v2c.apiBulkPDU.getMaxRepetitions(self.pdu))
                                if self.is_bulk else 0)
        self.oids = [tuple(name) for name, _ in v2c.apiPDU.getVarBinds(self.pdu)]

    def log_entry(self):
        return {"reqid": self.request_id, "community": self.community.decode("latin-1"),
                "pdu": self.pdu.__class__.__name__, "non_repeaters": self.non_repeaters,
                "max_repetitions": self.max_repetitions,
                "oids": [".".join(map(str, name)) for name in self.oids]}


def encode(request, bindings, error_status=0, error_index=0, request_id=None, pdu=None):
    pdu = pdu if pdu is not None else v2c.ResponsePDU()
    v2c.apiPDU.setDefaults(pdu)
    v2c.apiPDU.setRequestID(pdu, request.request_id if request_id is None else request_id)
    v2c.apiPDU.setErrorStatus(pdu, error_status)
    v2c.apiPDU.setErrorIndex(pdu, error_index)
    v2c.apiPDU.setVarBinds(pdu, bindings)
    message = v2c.Message()
    v2c.apiMessage.setDefaults(message)
    v2c.apiMessage.setCommunity(message, request.community)
    v2c.apiMessage.setPDU(message, pdu)
    return encoder.encode(message)


# Where the faults go: the objects walk's first request, and its second one, which asks for
# the successors of the third objects row (1.12).
FIRST_OBJECTS_REQUEST = OBJECTS + (2,)
FAULT_REQUEST = OBJECTS + (2, 1, 12)
SECOND_OBJECTS_ROW = (1, 11)


def at(request, first_oid):
    return bool(request.oids) and request.oids[0] == first_oid


def answer_good(request, mib):
    return [encode(request, mib.bulk(request))]


def answer_slow(request, mib, delay=3):
    time.sleep(delay)
    return answer_good(request, mib)


def answer_silence(request, mib):
    return []


def answer_silentfirst(request, mib):
    return [] if request.request_id == 1 else answer_good(request, mib)


def faulty(change, first_oid=FAULT_REQUEST):
    """A mode that answers correctly except at one request, whose bindings `change` rewrites."""
    def answer(request, mib):
        bindings = mib.bulk(request)
        if at(request, first_oid):
            bindings = change(request, mib, bindings)
        return [encode(request, bindings)]
    return answer


def second_row_first_column(change):
    def rewrite(request, mib, bindings):
        columns = len(request.oids)
        bindings[columns] = change(*bindings[columns])
        return bindings
    return faulty(rewrite)


def back_to_second_row(request, mib, bindings):
    columns = len(request.oids)
    old_row = [(name, mib.get(name))
               for name in (OBJECTS + (number,) + SECOND_OBJECTS_ROW for number in (2, 3, 4))]
    return bindings[:columns] + old_row + bindings[2 * columns:]


def answer_error(status):
    def answer(request, mib):
        error = (status, 1) if at(request, FAULT_REQUEST) else (0, 0)
        return [encode(request, mib.bulk(request), *error)]
    return answer


def answer_latepolicy(request, mib):
    late = bool(request.oids) and OBJECTS + (2, 2) <= request.oids[0] < OBJECTS + (3,)
    return [encode(request, mib.bulk(request), *((5, 1) if late else (0, 0)))]


def garbage(make):
    def answer(request, mib):
        if at(request, FAULT_REQUEST):
            return [make(request, mib)]
        return answer_good(request, mib)
    return answer


def random_bytes(request, mib):
    return random.Random(request.request_id).randbytes(80)


def truncated(request, mib):
    whole = answer_good(request, mib)[0]
    return whole[: len(whole) // 2]


def other_request_id(request, mib):
    return encode(request, mib.bulk(request), request_id=request.request_id + 1000)


def wrong_pdu_type(request, mib):
    return encode(request, mib.bulk(request), pdu=v2c.GetRequestPDU())


def long_oid(subids):
    return lambda name, value: (OBJECTS + (2,) + (4294967295,) * (subids - len(OBJECTS) - 1),
                                value)


MODES = {
    "good": answer_good,
    "slow": answer_slow,
    "sluggish": lambda request, mib: answer_slow(request, mib, 0.3),
    "silence": answer_silence,
    "silentfirst": answer_silentfirst,
    "repeat": faulty(lambda request, mib, bindings:
                     [(name, mib.get(name)) for name in request.oids] * request.max_repetitions),
    "backwards": faulty(back_to_second_row),
    "short": faulty(lambda request, mib, bindings: bindings[:2]),
    "empty": faulty(lambda request, mib, bindings: []),
    "nosuchobject": second_row_first_column(lambda name, value: (name, rfc1905.noSuchObject)),
    "nosuchinstance": second_row_first_column(
        lambda name, value: (name, rfc1905.noSuchInstance)),
    "endofmibview": second_row_first_column(lambda name, value: (name, rfc1905.endOfMibView)),
    "longoid": second_row_first_column(long_oid(120)),
    "overlongoid": second_row_first_column(long_oid(129)),
    "garbage-random": garbage(random_bytes),
    "garbage-truncated": garbage(truncated),
    "garbage-reqid": garbage(other_request_id),
    "garbage-type": garbage(wrong_pdu_type),
    "latepolicy": answer_latepolicy,
    "toobig": lambda request, mib: [encode(request, mib.bulk(request),
                                           *((1, 0) if request.max_repetitions > 5 else (0, 0)))],
    "partial": faulty(lambda request, mib, bindings: bindings[:7], FIRST_OBJECTS_REQUEST),
    "toomany": faulty(lambda request, mib, bindings: mib.bulk(request, repetitions=5),
                      FIRST_OBJECTS_REQUEST),
    "longnames": answer_good,
    "bigtable": answer_good,
    "cycles": answer_good,
}
DATA_SETS = {"longnames": long_names, "bigtable": big_table, "cycles": cycles}


def mode_answer(mode):
    if mode.startswith("error"):
        return answer_error(int(mode[len("error"):]))
    return MODES[mode]


def serve(address, mode, log_path, lifetime):
    answer = mode_answer(mode)
    mib = DATA_SETS.get(mode, data_set)()
    deadline = time.monotonic() + lifetime
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        sock.bind((address, 161))
        with open(log_path, "w", buffering=1) as log:
            answer_requests(sock, log, answer, mib, deadline)


def answer_requests(sock, log, answer, mib, deadline):
    while (remaining := deadline - time.monotonic()) > 0:
        sock.settimeout(remaining)
        try:
            datagram, peer = sock.recvfrom(65535)
        except socket.timeout:
            break
        try:
            request = Request(decoder.decode(datagram, asn1Spec=v2c.Message())[0])
        except Exception as error:  # whatever arrives, the agent keeps serving
            log.write(json.dumps({"undecodable": str(error)}) + "\n")
            continue
        log.write(json.dumps(request.log_entry()) + "\n")
        if request.is_bulk:
            for reply in answer(request, mib):
                try:
                    sock.sendto(reply, peer)
                except OSError as error:
                    log.write(json.dumps({"unsent": str(error)}) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--address", required=True)
    parser.add_argument("--mode", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--lifetime", type=float, default=120.0)
    arguments = parser.parse_args()
    try:
        mode_answer(arguments.mode)
    except (KeyError, ValueError):
        parser.error("unknown mode " + arguments.mode)
    serve(arguments.address, arguments.mode, arguments.log, arguments.lifetime)


if __name__ == "__main__":
    sys.exit(main())
