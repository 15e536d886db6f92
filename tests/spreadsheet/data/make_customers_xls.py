#!/usr/bin/python3
# Writes customers.xls beside this script, the .xls the workbook reader's test
# reads (no C++ library here writes the format). Needs python3-xlwt.
import datetime
import os

import xlwt

book = xlwt.Workbook(encoding="utf-8")
sheet = book.add_sheet("Müşteriler")
for column, name in enumerate(["ad", "gsm", "tutar", "tarih", "adet"]):
    sheet.write(0, column, name)
dates = xlwt.easyxf(num_format_str="dd/mm/yyyy")
sheet.write(1, 0, "Ayşe Öztürk")
sheet.write(1, 1, "05321112233")
sheet.write(1, 2, 150.5)
sheet.write(1, 3, datetime.date(2025, 12, 9), dates)
sheet.write(1, 4, 42)
sheet.write(3, 0, "Çağrı")
sheet.write(3, 1, 905321112244)
sheet.write(3, 4, True)
book.add_sheet("İkinci").write(0, 0, "ikinci")
book.save(os.path.join(os.path.dirname(os.path.abspath(__file__)), "customers.xls"))
