#!/usr/bin/python3
"""Writes one saved algorithm of a .reg file as a 128-byte record file.

  slot_from_reg.py SLOTS.reg NAME OUT.rec

SLOTS.reg is what `reg export` (Windows) or `wine reg export` wrote for the
saver's key; NAME is the slot's value name ("alg7") or the algorithm's name as
the Load/Save page lists it. OUT.rec is what tovrine-world --record and
tovrine-sweep --record read.
"""
import re
import sys

RECORD_SIZE = 128
NAME_AT, NAME_SIZE = 76, 44


def reg_text(path):
    data = open(path, "rb").read()
    # reg export writes UTF-16 with a byte-order mark; a hand-made file may be UTF-8.
    if data[:2] in (b"\xff\xfe", b"\xfe\xff"):
        return data.decode("utf-16")
    return data.decode("utf-8-sig", errors="replace")


def binary_values(text):
    """Value name -> bytes for every hex: value; continued lines joined."""
    text = re.sub(r"\\\r?\n\s*", "", text)
    values = {}
    for match in re.finditer(r'^"((?:[^"\\]|\\.)*)"=hex:([0-9a-fA-F,]*)\s*$', text, re.M):
        hex_bytes = [h for h in match.group(2).split(",") if h]
        values[match.group(1)] = bytes(int(h, 16) for h in hex_bytes)
    return values


def algorithm_name(record):
    return record[NAME_AT:NAME_AT + NAME_SIZE].split(b"\0")[0].decode("latin-1")


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__.strip())
    path, wanted, out = sys.argv[1:]
    slots = {name: value for name, value in binary_values(reg_text(path)).items()
             if re.fullmatch(r"alg\d+", name)}
    chosen = slots.get(wanted)
    if chosen is None:
        named = [v for v in slots.values()
                 if len(v) == RECORD_SIZE and algorithm_name(v).lower() == wanted.lower()]
        chosen = named[0] if named else None
    if chosen is None:
        listed = ", ".join("%s (%s)" % (n, algorithm_name(v)) for n, v in sorted(slots.items()))
        sys.exit("slot_from_reg: no slot \"%s\" in %s; it has: %s" % (wanted, path,
                                                                       listed or "none"))
    if len(chosen) != RECORD_SIZE:
        sys.exit("slot_from_reg: that slot holds %d bytes, not a %d-byte record"
                 % (len(chosen), RECORD_SIZE))
    with open(out, "wb") as f:
        f.write(chosen)
    print("%s: \"%s\"" % (out, algorithm_name(chosen)))


if __name__ == "__main__":
    main()
