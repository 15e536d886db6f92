#include "SentFileJournal.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include "core/AppState.h"
#include "core/DbRoutines.h"

namespace {

const QString InFlightText = QStringLiteral("gonderiliyor");
const QString AcceptedText = QStringLiteral("gonderildi");

} // namespace

std::optional<FileIdentity> FileIdentity::of(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    const QFileInfo info(path);
    FileIdentity id;
    id.path = path;
    id.size = info.size();
    id.modified = info.lastModified().toString(Qt::ISODateWithMs);
    id.hash = QString::fromLatin1(hash.result().toHex());
    return id;
}

bool FileIdentity::sameFileAs(const FileIdentity& other) const {
    // The modification time is left out: a copy tool may keep or reset it,
    // and the same content under the same name is the same file to the user.
    return path == other.path && size == other.size && hash == other.hash;
}

namespace SentFileJournal {

std::optional<Entry> find(const QString& path) {
    Recordset rs =
        OpenRecordset(QStringLiteral("SELECT id,kural,durum,msgid,yol,boyut,degisim,ozet "
                                     "FROM tbl_gonderim_gunlugu WHERE yol = '") +
                      SqlQuote(path) + QStringLiteral("' ORDER BY id DESC"));
    if (rs.isEmpty())
        return std::nullopt;
    Entry e;
    e.id = rs.value(0).toLongLong();
    e.rule = static_cast<qint32>(rs.value(1).toLongLong());
    e.state = rs.text(2) == AcceptedText ? State::Accepted : State::InFlight;
    e.msgid = rs.text(3);
    e.identity.path = rs.text(4);
    e.identity.size = rs.value(5).toLongLong();
    e.identity.modified = rs.text(6);
    e.identity.hash = rs.text(7);
    return e;
}

qint64 recordInFlight(qint32 rule, const FileIdentity& id) {
    // Must be on disk before the request leaves: it is all that stops a
    // second submission after a crash or a power cut.
    OpenDatabase();
    App().gConnection.executeDurably(
        QStringLiteral("INSERT INTO tbl_gonderim_gunlugu (kural,yol,boyut,degisim,ozet,durum,"
                       "tarih) VALUES (") +
        QString::number(rule) + QStringLiteral(",'") + SqlQuote(id.path) + QStringLiteral("',") +
        QString::number(id.size) + QStringLiteral(",'") + SqlQuote(id.modified) +
        QStringLiteral("','") + SqlQuote(id.hash) + QStringLiteral("','") + InFlightText +
        QStringLiteral("','") + NowText() + QStringLiteral("')"));
    return App().gConnection.lastInsertId();
}

void recordAccepted(qint64 id, const QString& msgid) {
    ExecuteSql(QStringLiteral("UPDATE tbl_gonderim_gunlugu SET durum = '") + AcceptedText +
               QStringLiteral("', msgid = '") + SqlQuote(msgid) + QStringLiteral("' WHERE id = ") +
               QString::number(id));
}

void forget(qint64 id) {
    ExecuteSql(QStringLiteral("DELETE FROM tbl_gonderim_gunlugu WHERE id = ") +
               QString::number(id));
}

} // namespace SentFileJournal
