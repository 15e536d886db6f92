#pragma once

#include <QString>

// Writes a customer list as a spreadsheet program saves it (.xlsx): a header
// row "GSM", "Adı Soyadı", "Tutar", "Son Ödeme", then `rows` customers. Most
// GSM numbers are numbers, every tenth is text with a leading 0; names carry
// Turkish letters and repeat as real ones do, all through the shared
// strings; amounts have two decimals under "#,##0.00" and dates a
// "dd.mm.yyyy" format. The same seed gives the same workbook. False with
// `error` set on a failure.
bool WriteCustomerWorkbook(const QString& path, qint64 rows, QString& error, quint32 seed = 2024);
