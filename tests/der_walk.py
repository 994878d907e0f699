#!/usr/bin/python3
"""An independent reader of BER, written from X.690 alone, for checking what
pellamar-cli scan finds: every OBJECT IDENTIFIER and RELATIVE-OID, and those
inside OCTET STRINGs and BIT STRINGs whose contents are whole encodings.

Usage: der_walk.py FILE...  (DER or BER files, or PEM text)

Writes one line per identifier, "FILE<TAB>BLOCK<TAB>OFFSET<TAB>DEPTH<TAB>TAG
<TAB>DOTTED<TAB>LEADS" as the scan's --tsv fields 1, 2, 4-7 and 9 are, and
one per fault, "FILE<TAB>BLOCK<TAB>fault<TAB>OFFSET".
"""
import base64
import re
import sys

MAX_DEPTH = 64
MAX_CONTENTS = 100


class Fault(Exception):
    """The encoding is not well formed at `offset`."""

    def __init__(self, offset):
        super().__init__(offset)
        self.offset = offset


class Truncated(Exception):
    """The input ends inside the element at `offset`."""

    def __init__(self, offset):
        super().__init__(offset)
        self.offset = offset


def dotted(contents, relative):
    arcs, number = [], 0
    for octet in contents:
        number = number << 7 | octet & 0x7F
        if not octet & 0x80:
            arcs.append(number)
            number = 0
    if relative:
        return ".".join(map(str, arcs))
    first = min(arcs[0] // 40, 2)
    return ".".join(map(str, [first, arcs[0] - 40 * first] + arcs[1:]))


def valid_contents(contents):
    if not 1 <= len(contents) <= MAX_CONTENTS or contents[-1] & 0x80:
        return False
    starts = True
    for octet in contents:
        if starts and octet == 0x80:
            return False
        starts = not octet & 0x80
    return True


class Walker:
    def __init__(self, data):
        self.data = data
        self.found = []
        self.faults = []

    def header(self, at, limit, bounded):
        """The tag octet, tag number, contents offset and length (None when
        indefinite) of the element at `at`; `limit` is where its enclosing
        element ends, `bounded` whether that lies within the input."""

        def octet(index):
            if index >= limit:
                raise Fault(at) if bounded else Truncated(at)
            return self.data[index]

        octet(at + 1)
        first = self.data[at]
        index = at + 1
        number = first & 0x1F
        if number == 0x1F:
            number = 0
            while True:
                value = octet(index)
                if index == at + 1 and value == 0x80:
                    raise Fault(at)
                if index - at > 4:
                    raise Fault(at)
                number = number << 7 | value & 0x7F
                index += 1
                if not value & 0x80:
                    break
            if number < 31:
                raise Fault(at)
        length = octet(index)
        index += 1
        if length == 0x80:
            if not first & 0x20:
                raise Fault(at)
            return first, number, index, None
        if length > 0x80:
            count = length & 0x7F
            if count > 8:
                raise Fault(at)
            octet(index + count - 1)
            length = int.from_bytes(self.data[index:index + count], "big")
            index += count
        return first, number, index, length

    def elements(self, at, end, depth, sequence, bound, wrapped):
        """Reads elements from `at` to `end` (None: to end-of-contents, or to
        the input's end at the outermost level); returns where they end.
        `bound` is the definite end of the nearest enclosing element that
        has one, `wrapped` whether a string walked as an encoding encloses
        them."""
        size = len(self.data)
        first_child = True
        while True:
            if end is not None and at == end:
                return at
            if at >= size:
                if end is None and depth == 0:
                    return at
                raise Truncated(None)
            bounded = bound is not None and bound <= size
            limit = min(bound, size) if bound is not None else size
            if at + 1 < limit and self.data[at] == 0 and self.data[at + 1] == 0:
                if end is None and depth > 0:
                    return at + 2
                raise Fault(at)
            tag, number, contents, length = self.header(at, limit, bounded)
            if length is not None and bound is not None and contents + length > bound:
                raise Fault(at)
            leads = sequence and first_child
            first_child = False
            universal = tag & 0xC0 == 0
            if tag & 0x20:
                if depth == MAX_DEPTH:
                    raise Fault(at)
                child_end = None if length is None else contents + length
                try:
                    at = self.elements(contents, child_end, depth + 1, tag == 0x30,
                                       child_end if child_end is not None else bound, wrapped)
                except Truncated as cut:
                    raise Truncated(at if cut.offset is None else cut.offset)
                continue
            element_end = contents + length
            if universal and number in (6, 13):
                if length <= MAX_CONTENTS and element_end > size:
                    raise Truncated(at)
                value = self.data[contents:element_end]
                if length > MAX_CONTENTS or not valid_contents(value):
                    if wrapped:
                        raise Fault(at)
                    self.faults.append(at)
                else:
                    self.found.append((at, depth, "OID" if number == 6 else "RELATIVE-OID",
                                       dotted(value, number == 13), 1 if leads else 0))
            else:
                skip = 1 if number == 3 else 0
                if (universal and number in (3, 4) and length >= 2 + skip and depth < MAX_DEPTH
                        and (skip == 0 or contents >= size or self.data[contents] == 0)):
                    if contents + skip > size:
                        raise Truncated(at)
                    mark = len(self.found)
                    try:
                        self.elements(contents + skip, element_end, depth + 1, False,
                                      element_end, True)
                    except Fault:
                        del self.found[mark:]
                    except Truncated as cut:
                        # Cut with the input: what was read whole stands.
                        raise Truncated(at if cut.offset is None else cut.offset)
            if element_end > size:
                raise Truncated(at)
            at = element_end


def walk(data):
    """The identifiers found, and the offsets of the faults: identifiers
    that are not valid, and last the fault that ended the walk."""
    walker = Walker(data)
    try:
        walker.elements(0, None, 0, False, None, False)
        fault = None
    except (Fault, Truncated) as stop:
        fault = stop.offset
    return walker.found, walker.faults + ([] if fault is None else [fault])


def blocks(path):
    data = open(path, "rb").read()
    if all(32 <= c < 127 or c in b"\t\r\n" for c in data[:512]) and data:
        text = data.decode("ascii")
        found = re.findall(r"-----BEGIN ([^-\n]*)-----\s*\n(.*?)-----END", text, re.S)
        if found:
            for number, (_, body) in enumerate(found, 1):
                lines = [line for line in body.splitlines() if ":" not in line]
                yield number, base64.b64decode("".join(lines))
            return
        yield "", base64.b64decode("".join(text.split()))
        return
    yield "", data


def main():
    for path in sys.argv[1:]:
        for block, data in blocks(path):
            found, faults = walk(data)
            for offset, depth, tag, text, leads in found:
                print(f"{path}\t{block}\t{offset}\t{depth}\t{tag}\t{text}\t{leads}")
            for fault in faults:
                print(f"{path}\t{block}\tfault\t{fault}")


if __name__ == "__main__":
    main()
