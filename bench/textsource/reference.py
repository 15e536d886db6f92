#!/usr/bin/env python3
"""Reference for bench_textsource: the same work in plain Python with the csv
module. Reads a ';'-separated Windows-1254 file with a header line, infers the
column types from the first 25 rows, fills the template for every row,
normalises the number, tests the row against 160 characters and cleans the
queued messages. Prints one line: rows, the four counts and the seconds the
work took, by the clock and in processor time (interpreter start not
included)."""

import csv
import sys
import time

SCAN_ROWS = 25
LIMIT = 160
CLEAN = [("Ü", "U"), ("ü", "u"), ("Ğ", "G"), ("ğ", "g"), ("İ", "I"), ("ı", "i"),
         ("Ş", "S"), ("ş", "s"), ("Ç", "C"), ("ç", "c"), ("Ö", "O"), ("ö", "o"),
         ("&", "-"), ("é", "e"), ("\r\n", ""), ("\r", ""), ("\n", ""), (">", "]"),
         ("<", "["), ("~", " ")]
NOT_DIGITS = str.maketrans("", "", " +()-.")


def kind_of(text):
    t = text.strip(" \t")
    body = t[1:] if t[:1] in "+-" else t
    whole, comma, fraction = body.partition(",")
    if not whole.isascii() or not whole.isdigit():
        return None
    if comma:
        if not fraction.isascii() or not fraction.isdigit():
            return None
        return "double" if len(whole) + len(fraction) <= 15 else None
    return "integer" if len(whole) <= 18 else None


def render(text, column_type):
    if not text:
        return None
    kind = kind_of(text)
    if column_type == "integer" and kind == "integer":
        return str(int(text))
    if column_type == "double" and kind is not None:
        value = float(text.strip(" \t").replace(",", "."))
        if value == int(value) and abs(value) < 1e15:
            return str(int(value))
        return ("%.15g" % value).replace(".", ",")
    return text


def fill(template, values, index):
    m = []
    w = template
    p = w.find("[##")
    if p >= 0:
        m.append(w[:p])
    while p >= 0:
        q = w.find("##]", p + 3)
        if q < 0:
            m.append(w[p:])
            w = w[p:]
            break
        i = index.get(w[p + 3:q].lower())
        if i is not None and i < len(values) and values[i] is not None:
            m.append(values[i])
        w = w[q + 3:]
        p = w.find("[##")
        m.append(w[:p] if p >= 0 else w)
    result = "".join(m)
    return result if result else w


def normalize_gsm(text):
    digits = text.translate(NOT_DIGITS)
    if len(digits) <= 9 or not digits.isascii() or not digits.isdigit():
        return ""
    last = digits[-10:]
    return last if last[0] == "5" else ""


def clean(text):
    for old, new in CLEAN:
        text = text.replace(old, new)
    return text


def main():
    path, template, gsm_column = sys.argv[1], sys.argv[2], sys.argv[3]
    start = time.perf_counter()
    cpu_start = time.process_time()
    counts = {"queued": 0, "h01": 0, "h02": 0, "h03": 0}
    with open(path, encoding="cp1254", newline="") as f:
        rows = csv.reader(f, delimiter=";")
        header = [name.strip() for name in next(rows)]
        index = {name.lower(): i for i, name in enumerate(header)}
        scanned = [row for _, row in zip(range(SCAN_ROWS), rows)]
        types = []
        for i in range(len(header)):
            kinds = {kind_of(r[i]) for r in scanned if i < len(r) and r[i]}
            if not kinds or None in kinds:
                types.append("text")
            else:
                types.append("double" if "double" in kinds else "integer")
        gsm = index[gsm_column.lower()]

        def handle(row):
            values = [render(row[i] if i < len(row) else "", types[i])
                      for i in range(len(header))]
            message = fill(template, values, index)
            number = normalize_gsm(values[gsm]) if values[gsm] is not None else ""
            too_long = len(message) > LIMIT
            if not number:
                counts["h03" if too_long else "h01"] += 1
            elif too_long:
                counts["h02"] += 1
            else:
                clean(message)
                counts["queued"] += 1

        for row in scanned:
            handle(row)
        for row in rows:
            if row:
                handle(row)
    seconds = time.perf_counter() - start
    cpu_seconds = time.process_time() - cpu_start
    total = sum(counts.values())
    print("rows=%d queued=%d h01=%d h02=%d h03=%d seconds=%.6f cpu_seconds=%.6f" % (
        total, counts["queued"], counts["h01"], counts["h02"], counts["h03"], seconds,
        cpu_seconds))


if __name__ == "__main__":
    main()
