#!/usr/bin/env python3
"""Reference for bench_reports: a package report read in plain Python. Reads
the reply file, lists every line ended by a line feed as (number, state)
with the state's counter, and prints lines=N seconds=S (interpreter start
and reading the file not included)."""

import sys
import time

STATES = {"0": 0, "1": 0, "3": 1, "5": 2}

with open(sys.argv[1], encoding="utf-8") as f:
    reply = f.read()
start = time.perf_counter()
counts = [0, 0, 0, 0]
rows = []
for line in reply.split("\n")[:-1]:
    if line.endswith("\r"):
        line = line[:-1]
    state = STATES.get(line[-1], 3)
    counts[state] += 1
    rows.append((line[-12:-2], state))
seconds = time.perf_counter() - start
print(f"lines={len(rows)} seconds={seconds:.6f}")
