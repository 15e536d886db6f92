#include "SentFileJournal.h"

#include <memory>

#include <openssl/evp.h>

#include <QFile>
#include <QFileInfo>

#include "core/AppState.h"
#include "core/DbRoutines.h"

namespace {

const QString InFlightText = QStringLiteral("gonderiliyor");
const QString AcceptedText = QStringLiteral("gonderildi");
// Still in flight to every reader, and its unknown outcome already told.
const QString ReportedText = QStringLiteral("sonucu_bilinmiyor");

const QString Columns = QStringLiteral("SELECT id,kural,durum,msgid,yol,boyut,degisim,ozet,tarih "
                                       "FROM tbl_gonderim_gunlugu WHERE ");

std::optional<SentFileJournal::Entry> firstEntry(Recordset rs) {
    if (rs.isEmpty())
        return std::nullopt;
    SentFileJournal::Entry e;
    e.id = rs.value(0).toLongLong();
    e.rule = static_cast<qint32>(rs.value(1).toLongLong());
    e.state = rs.text(2) == AcceptedText ? SentFileJournal::State::Accepted
                                         : SentFileJournal::State::InFlight;
    e.msgid = rs.text(3);
    e.identity.path = rs.text(4);
    e.identity.size = rs.value(5).toLongLong();
    e.identity.modified = rs.text(6);
    e.identity.hash = rs.text(7);
    e.when = rs.text(8);
    e.reported = rs.text(2) == ReportedText;
    return e;
}

QString sameContent(const FileIdentity& id) {
    return QStringLiteral("boyut = ") + QString::number(id.size) + QStringLiteral(" AND ozet = '") +
           SqlQuote(id.hash) + QStringLiteral("' AND durum <> '") + AcceptedText +
           QLatin1Char('\'');
}

} // namespace

std::optional<FileIdentity> FileIdentity::of(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    // libcrypto rather than QCryptographicHash: it uses the processor's SHA
    // instructions, several times faster on the large files of a big rule.
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(),
                                                                      &EVP_MD_CTX_free);
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1) {
        if (error)
            *error = QStringLiteral("SHA-256 is not available");
        return std::nullopt;
    }
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(buffer.data(), buffer.size());
        if (n < 0) {
            if (error)
                *error = file.errorString();
            return std::nullopt;
        }
        if (n == 0)
            break;
        EVP_DigestUpdate(ctx.get(), buffer.constData(), static_cast<size_t>(n));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    EVP_DigestFinal_ex(ctx.get(), digest, &digestLength);
    const QFileInfo info(path);
    FileIdentity id;
    id.path = path;
    id.size = info.size();
    id.modified = info.lastModified().toString(Qt::ISODateWithMs);
    id.hash = QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(digest), static_cast<qsizetype>(digestLength))
            .toHex());
    return id;
}

bool FileIdentity::sameFileAs(const FileIdentity& other) const {
    // The modification time is left out: a copy tool may keep or reset it,
    // and the same content under the same name is the same file to the user.
    return path == other.path && size == other.size && hash == other.hash;
}

namespace SentFileJournal {

std::optional<Entry> find(const QString& path) {
    return firstEntry(OpenRecordset(Columns + QStringLiteral("yol = '") + SqlQuote(path) +
                                    QStringLiteral("' ORDER BY id DESC")));
}

std::optional<Entry> findUnknown(const FileIdentity& identity) {
    return firstEntry(
        OpenRecordset(Columns + sameContent(identity) + QStringLiteral(" ORDER BY id DESC")));
}

void noteReported(qint64 id) {
    ExecuteSql(QStringLiteral("UPDATE tbl_gonderim_gunlugu SET durum = '") + ReportedText +
               QStringLiteral("' WHERE id = ") + QString::number(id));
}

void forgetEarlierSends(const FileIdentity& identity, qint64 keep) {
    ExecuteSql(QStringLiteral("DELETE FROM tbl_gonderim_gunlugu WHERE kural = ") +
               QString::number(FileSendRule) + QStringLiteral(" AND ") + sameContent(identity) +
               QStringLiteral(" AND id <> ") + QString::number(keep));
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

QString acceptedStatement(qint64 id, const QString& msgid) {
    return QStringLiteral("UPDATE tbl_gonderim_gunlugu SET durum = '") + AcceptedText +
           QStringLiteral("', msgid = '") + SqlQuote(msgid) + QStringLiteral("' WHERE id = ") +
           QString::number(id);
}

QString forgetStatement(qint64 id) {
    return QStringLiteral("DELETE FROM tbl_gonderim_gunlugu WHERE id = ") + QString::number(id);
}

void recordAccepted(qint64 id, const QString& msgid) {
    ExecuteSql(acceptedStatement(id, msgid));
}

void forget(qint64 id) {
    ExecuteSql(forgetStatement(id));
}

} // namespace SentFileJournal
