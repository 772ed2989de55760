#!/usr/bin/env python3
"""Generate the binary isotope tables of the Isotopia library.

usage: gen_isotopes.py [--check] ISOTOPES_CSV ELEMENTS_CSV [OUTDIR]

Writes, all little-endian:
  OUTDIR/isotopes.bin  130 records of 44 bytes:
                       int16 id, char[8] label, int16 Z, char[16] element name,
                       float32 gamma, spin, abundance, quadrupole
  OUTDIR/sortN.bin     N = 2..7, 130 bytes: byte k is the id shown at position
                       k; position 0 is always record 0.  Positions 1..129 are
                       ordered by: 2 id, 3 label (byte-wise), 4 spin, 5 |gamma|,
                       6 abundance, 7 |quadrupole|; ties keep id order.
With --check the input is only validated.  Errors go to stderr, exit status 1.
"""
import argparse
import csv
import math
import os
import re
import struct
import sys
from collections import Counter

COUNT = 130
MAX_Z = 92
MAX_PER_ELEMENT = 3
LABEL_MAX = 7   # char[8] with a terminating NUL
NAME_MAX = 15   # char[16] with a terminating NUL
RECORD = struct.Struct("<h8sh16sffff")
ISOTOPE_COLUMNS = ["id", "label", "symbol", "mass", "gamma", "spin", "abundance", "quadrupole"]
ELEMENT_COLUMNS = ["symbol", "Z", "name"]
FLOATS = ["gamma", "spin", "abundance", "quadrupole"]


class InputError(Exception):
    pass


def f32(x):
    """x rounded to float32, i.e. the value that is stored."""
    return struct.unpack("<f", struct.pack("<f", x))[0]


def read_rows(path, columns):
    """Return [(where, {column: text})] for the data rows of a CSV file.

    Lines starting with '#' and blank lines are skipped; the first remaining
    line must be the header.
    """
    try:
        with open(path, encoding="ascii", newline="") as f:
            lines = [(n, line) for n, line in enumerate(f, 1)
                     if line.strip() and not line.lstrip().startswith("#")]
    except UnicodeDecodeError as e:
        raise InputError(f"{path}: not ASCII text (byte {e.start})") from None
    if not lines:
        raise InputError(f"{path}: no header line")
    cells = list(csv.reader(line for _, line in lines))
    if [c.strip() for c in cells[0]] != columns:
        raise InputError(f"{path}:{lines[0][0]}: header must be {','.join(columns)}")
    rows = []
    for (n, _), row in zip(lines[1:], cells[1:]):
        where = f"{path}:{n}"
        if len(row) != len(columns):
            raise InputError(f"{where}: expected {len(columns)} fields, got {len(row)}")
        rows.append((where, dict(zip(columns, (c.strip() for c in row)))))
    return rows


def number(where, row, key, kind):
    try:
        value = kind(row[key])
    except ValueError:
        raise InputError(f"{where}: {key} {row[key]!r} is not a valid {kind.__name__}") from None
    if kind is float:
        if not math.isfinite(value) or abs(value) > 1e6:
            raise InputError(f"{where}: {key} {row[key]!r} is out of range")
    return value


def read_elements(path):
    """Return {symbol: (Z, name)}."""
    elements, seen_z = {}, set()
    for where, row in read_rows(path, ELEMENT_COLUMNS):
        symbol, name, z = row["symbol"], row["name"], number(where, row, "Z", int)
        if not re.fullmatch(r"[A-Z][a-z]{0,2}", symbol):
            raise InputError(f"{where}: bad element symbol {symbol!r}")
        if not 1 <= z <= MAX_Z:
            raise InputError(f"{where}: Z {z} outside 1..{MAX_Z}")
        if not 1 <= len(name) <= NAME_MAX:
            raise InputError(f"{where}: element name {name!r} must be 1..{NAME_MAX} characters")
        if symbol in elements or z in seen_z:
            raise InputError(f"{where}: duplicate element {symbol} (Z {z})")
        elements[symbol] = (z, name)
        seen_z.add(z)
    return elements


def read_isotopes(path, elements):
    """Return the validated records, in id order, as dicts."""
    rows = read_rows(path, ISOTOPE_COLUMNS)
    if len(rows) != COUNT:
        raise InputError(f"{path}: expected {COUNT} isotope rows (ids 0..{COUNT - 1}), got {len(rows)}")
    records, labels, per_z, abundance = [], set(), Counter(), Counter()
    previous = (0, 0)
    for index, (where, row) in enumerate(rows):
        rid = number(where, row, "id", int)
        if rid != index:
            raise InputError(f"{where}: ids must be consecutive from 0: expected {index}, got {rid}")
        mass = number(where, row, "mass", int)
        rec = dict(id=rid, label=row["label"], mass=mass,
                   **{k: number(where, row, k, float) for k in FLOATS})
        if index == 0:
            if rec["label"] != "NONE" or row["symbol"] or mass or any(rec[k] for k in FLOATS):
                raise InputError(f"{where}: row 0 must be NONE with an empty symbol and all values 0")
            records.append(dict(rec, z=0, name="None"))
            continue
        symbol = row["symbol"]
        if symbol not in elements:
            raise InputError(f"{where}: unknown element symbol {symbol!r}")
        z, name = elements[symbol]
        label = rec["label"]
        if label != f"{symbol}-{mass}":
            raise InputError(f"{where}: label {label!r} does not match {symbol}-{mass}")
        if len(label) > LABEL_MAX:
            raise InputError(f"{where}: label {label!r} is longer than {LABEL_MAX} characters")
        if label in labels:
            raise InputError(f"{where}: duplicate label {label}")
        if (z, mass) <= previous:
            raise InputError(f"{where}: {label} is out of order (rows must be sorted by Z, then mass)")
        per_z[z] += 1
        if per_z[z] > MAX_PER_ELEMENT:
            raise InputError(f"{where}: more than {MAX_PER_ELEMENT} isotopes of {symbol}")
        spin = rec["spin"]
        if spin <= 0 or spin * 2 != int(spin * 2):
            raise InputError(f"{where}: spin {spin} of {label} is not a positive multiple of 1/2")
        if spin == 0.5 and rec["quadrupole"] != 0:
            raise InputError(f"{where}: {label} has spin 1/2 but a nonzero quadrupole moment")
        if rec["gamma"] == 0:
            raise InputError(f"{where}: {label} has gamma 0")
        if not 0 <= rec["abundance"] <= 100:
            raise InputError(f"{where}: abundance {rec['abundance']} of {label} outside 0..100")
        abundance[z] += rec["abundance"]
        if abundance[z] > 100.01:
            raise InputError(f"{where}: abundances of {symbol} add up to more than 100%")
        labels.add(label)
        previous = (z, mass)
        records.append(dict(rec, z=z, name=name))
    return records


SORT_KEYS = {
    2: lambda r: r["id"],
    3: lambda r: r["label"].encode("ascii"),
    4: lambda r: f32(r["spin"]),
    5: lambda r: abs(f32(r["gamma"])),
    6: lambda r: f32(r["abundance"]),
    7: lambda r: abs(f32(r["quadrupole"])),
}


def build(records):
    """Return {file name: bytes}."""
    table = b"".join(RECORD.pack(r["id"], r["label"].encode("ascii"), r["z"], r["name"].encode("ascii"),
                                 *(r[k] for k in FLOATS)) for r in records)
    files = {"isotopes.bin": table}
    for n, key in SORT_KEYS.items():
        # sorted() is stable and records are in id order, so ties keep id order.
        files[f"sort{n}.bin"] = bytes([0] + [r["id"] for r in sorted(records[1:], key=key)])
    return files


def main(argv=None):
    parser = argparse.ArgumentParser(description="Generate the Isotopia binary isotope tables.")
    parser.add_argument("--check", action="store_true", help="validate the input only, write nothing")
    parser.add_argument("isotopes_csv")
    parser.add_argument("elements_csv")
    parser.add_argument("outdir", nargs="?")
    args = parser.parse_args(argv)
    if args.outdir is None and not args.check:
        parser.error("OUTDIR is required unless --check is given")
    try:
        files = build(read_isotopes(args.isotopes_csv, read_elements(args.elements_csv)))
        if not args.check:
            os.makedirs(args.outdir, exist_ok=True)
            for name, data in files.items():
                path = os.path.join(args.outdir, name)
                with open(path + ".tmp", "wb") as f:
                    f.write(data)
                os.replace(path + ".tmp", path)
    except (InputError, OSError) as e:
        print(f"gen_isotopes: error: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
