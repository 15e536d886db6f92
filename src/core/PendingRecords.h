#pragma once

#include <QList>
#include <QString>

// Database rows that must not be lost once the gateway has taken a package:
// its row in tbl_giden_txt and the sent-file record's changes. A record is
// first written and synced to a small file beside the database, whose room
// was reserved before the package left, so neither a full disk nor another
// program holding the database can lose it; it is then applied to the
// database, at once or at the first later pass that can.
namespace PendingRecords {

// One statement of a record. One with `unlessFound` runs only while that
// query counts no rows, so a record applied twice is written once.
struct Step {
    QString unlessFound;
    QString sql;
};

// A package the gateway accepted, as its row in tbl_giden_txt.
struct PackageRow {
    QString msgid;
    QString msgtip;
    QString gateway;
    qint64 size = 0; // paket_boyut
    QString fileName;
    qint32 rule = 0;
    QString originator;
    QString tarih;  // when accepted, regional text
    QString gtarih; // when to deliver, regional text
    qint64 sms = 0; // SMS billed, the operator code counted
};

// The step that writes the row. It carries an identity made here for this
// one submission: applied again after a crash the record is written once,
// while another package is another row even with the same id and file name
// (another gateway, or a restarted one, numbers its packages afresh).
Step packageRowStep(const PackageRow& row);

// ostrel.mdb.pending in the program folder.
QString filePath();

// Room for the records of one package. Raises std::runtime_error with the
// reason (no space left, the folder may not be written) when it cannot be
// had: the package must not leave then.
void reserve();

// Keeps the record on disk before it returns, to be applied with the next
// write or applyPending.
void keep(const QList<Step>& steps);

// Adds the record and applies every pending one. Raises only when the
// record could be kept nowhere; returns why the database did not take the
// records yet (they stay, on disk), or an empty text when it did.
QString write(const QList<Step>& steps);

// Applies the pending records in the order they were written. An empty text
// when none is left; otherwise why not, and they stay for the next try.
QString applyPending();

bool hasPending();

} // namespace PendingRecords
