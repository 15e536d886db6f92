#!/usr/bin/env python3
"""Reference for bench_workbook_read: openpyxl in read-only mode reads the
same workbook's first sheet, row by row as values, touching each value.
Prints rows=N seconds=S (interpreter start not included; the header row
counts as a row), or openpyxl=missing when the module is not installed."""

import sys
import time

try:
    from openpyxl import load_workbook
except ImportError:
    print("openpyxl=missing")
    sys.exit(0)

start = time.perf_counter()
wb = load_workbook(sys.argv[1], read_only=True)
rows = 0
values = 0
for row in wb.worksheets[0].iter_rows(values_only=True):
    rows += 1
    for value in row:
        if value is not None:
            values += 1
wb.close()
seconds = time.perf_counter() - start
print(f"rows={rows} values={values} seconds={seconds:.6f}")
