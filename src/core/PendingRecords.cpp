#include "PendingRecords.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QStringList>
#include <QUuid>

#include "AppState.h"
#include "Database.h"
#include "DbRoutines.h"
#include "SystemError.h"

Q_LOGGING_CATEGORY(lcPending, "parlex.pending")

namespace PendingRecords {

namespace {

// Free room kept at the end of the file: far more than the records of one
// package take, so recording an accepted package never needs new space.
constexpr qint64 MinimumRoom = 16 * 1024;
constexpr qint64 ReserveStep = 64 * 1024;

// Each record is one line: a state byte, the steps as JSON, a line feed.
// The unused rest of the file is zero bytes.
constexpr char Pending = '+';

struct Record {
    qint64 offset = 0;
    char state = 0;
    QByteArray json;
};

[[noreturn]] void raise(const QString& what, int err) {
    throw std::runtime_error(
        (what + QStringLiteral(" (") + filePath() + QStringLiteral("): ") + SystemErrorText(err))
            .toStdString());
}

// The open file, closed however the caller leaves.
class File {
public:
    explicit File(bool create) {
        const QByteArray path = QFile::encodeName(filePath());
        m_fd = ::open(path.constData(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
        if (m_fd < 0 && (create || errno != ENOENT))
            raise(QStringLiteral("Kayıt dosyası açılamadı"), errno);
    }
    ~File() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const { return m_fd >= 0; }

    QByteArray readAll() const {
        struct stat st = {};
        if (::fstat(m_fd, &st) != 0)
            raise(QStringLiteral("Kayıt dosyası okunamadı"), errno);
        QByteArray data(static_cast<qsizetype>(st.st_size), '\0');
        qint64 done = 0;
        while (done < data.size()) {
            const ssize_t n =
                ::pread(m_fd, data.data() + done, static_cast<size_t>(data.size() - done), done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                raise(QStringLiteral("Kayıt dosyası okunamadı"), errno);
            if (n == 0)
                break;
            done += n;
        }
        data.truncate(static_cast<qsizetype>(done));
        return data;
    }

    void writeAt(qint64 offset, const QByteArray& bytes, bool sync = true) const {
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pwrite(m_fd, bytes.constData() + done,
                                       static_cast<size_t>(bytes.size() - done), offset + done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                raise(QStringLiteral("Kayıt dosyasına yazılamadı"), errno);
            done += n;
        }
        if (sync)
            this->sync();
    }

    void sync() const {
        if (::fsync(m_fd) != 0)
            raise(QStringLiteral("Kayıt dosyasına yazılamadı"), errno);
    }

    void grow(qint64 size) const {
        // Real blocks, not a hole: what is written there later needs no new
        // space.
        const int err = ::posix_fallocate(m_fd, 0, size);
        if (err != 0)
            raise(QStringLiteral("Kayıt dosyası için yer ayrılamadı"), err);
        if (::fsync(m_fd) != 0)
            raise(QStringLiteral("Kayıt dosyası için yer ayrılamadı"), errno);
    }

private:
    int m_fd = -1;
};

// The records up to the first zero byte; `used` is where the next one goes.
// A last line without its line feed is what a writer killed half-way left:
// the next record is written over it.
QList<Record> parse(const QByteArray& data, qint64& used) {
    QList<Record> records;
    qint64 pos = 0;
    while (pos < data.size() && data.at(pos) != '\0') {
        const qsizetype end = data.indexOf('\n', pos);
        const qsizetype zero = data.indexOf('\0', pos);
        if (end < 0 || (zero >= 0 && zero < end))
            break;
        records.append(Record{pos, data.at(pos), data.mid(pos + 1, end - pos - 1)});
        pos = end + 1;
    }
    used = pos;
    return records;
}

QByteArray lineOf(const QList<Step>& steps) {
    QJsonArray array;
    for (const Step& step : steps)
        array.append(QJsonArray{step.unlessFound, step.sql});
    return Pending + QJsonDocument(array).toJson(QJsonDocument::Compact) + QByteArray("\n");
}

void applyRecord(const QByteArray& json) {
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    if (!doc.isArray()) {
        // Nothing in it can be applied; keeping it would stop every later
        // record.
        qCWarning(lcPending).noquote()
            << "unreadable record skipped:" << QString::fromUtf8(json.left(200));
        return;
    }
    const QJsonArray steps = doc.array();
    for (const QJsonValue& value : steps) {
        const QJsonArray step = value.toArray();
        const QString unlessFound = step.at(0).toString();
        if (!unlessFound.isEmpty() && OpenRecordset(unlessFound).value(0).toLongLong() > 0)
            continue;
        App().gConnection.execute(step.at(1).toString());
    }
}

// Every record in one transaction, on disk before it returns: only then may
// the file forget them.
void applyAll(const QList<QByteArray>& records) {
    OpenDatabase();
    Database& db = App().gConnection;
    db.execute(QStringLiteral("PRAGMA synchronous = FULL"));
    try {
        db.execute(QStringLiteral("BEGIN IMMEDIATE"));
        try {
            for (const QByteArray& json : records)
                applyRecord(json);
            db.execute(QStringLiteral("COMMIT"));
        } catch (...) {
            try {
                db.execute(QStringLiteral("ROLLBACK"));
            } catch (const std::exception&) {
                // Already rolled back by the engine.
            }
            throw;
        }
    } catch (...) {
        db.execute(QStringLiteral("PRAGMA synchronous = NORMAL"));
        throw;
    }
    db.execute(QStringLiteral("PRAGMA synchronous = NORMAL"));
}

// Writes the record after the others; synced when `sync`.
void append(const QByteArray& line, bool sync) {
    const File file(true);
    qint64 used = 0;
    parse(file.readAll(), used);
    file.writeAt(used, line, sync);
}

} // namespace

Step packageRowStep(const PackageRow& row) {
    const QString identity = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const auto quoted = [](const QString& text) {
        return QLatin1Char('\'') + SqlQuote(text) + QLatin1Char('\'');
    };
    const QString insert =
        QStringLiteral("INSERT INTO tbl_giden_txt (msgid,msgtip,gateway,paket_boyut,dosya_adi,"
                       "kural,originator,tarih,gtarih,gonderim_kimligi,sms_sayisi) VALUES (") +
        QStringList{quoted(row.msgid),         quoted(row.msgtip),      quoted(row.gateway),
                    QString::number(row.size), quoted(row.fileName),    QString::number(row.rule),
                    quoted(row.originator),    quoted(row.tarih),       quoted(row.gtarih),
                    quoted(identity),          QString::number(row.sms)}
            .join(QLatin1Char(',')) +
        QLatin1Char(')');
    const QString already =
        QStringLiteral("SELECT COUNT(*) FROM tbl_giden_txt WHERE gonderim_kimligi = ") +
        quoted(identity);
    return {already, insert};
}

QString filePath() {
    return DatabasePath() + QStringLiteral(".pending");
}

void reserve() {
    const File file(true);
    qint64 used = 0;
    const QByteArray data = file.readAll();
    parse(data, used);
    if (data.size() - used < MinimumRoom)
        file.grow(used + ReserveStep);
}

void keep(const QList<Step>& steps) {
    append(lineOf(steps), true);
}

QString write(const QList<Step>& steps) {
    if (steps.isEmpty())
        return applyPending();
    const QByteArray line = lineOf(steps);
    try {
        // Synced only if the database cannot take it now.
        append(line, false);
    } catch (const std::exception& e) {
        // Not kept: the database is the only place left.
        qCWarning(lcPending).noquote() << "record not kept in the file:" << e.what();
        try {
            applyAll({line.mid(1, line.size() - 2)});
            return QString();
        } catch (const std::exception& db) {
            throw std::runtime_error(std::string(e.what()) + "; " + db.what());
        }
    }
    const QString error = applyPending();
    if (!error.isEmpty()) {
        const File file(true);
        file.sync();
    }
    return error;
}

QString applyPending() {
    try {
        const File file(false);
        if (!file.isOpen())
            return QString();
        const QByteArray data = file.readAll();
        qint64 used = 0;
        QList<QByteArray> pending;
        for (const Record& record : parse(data, used)) {
            if (record.state == Pending)
                pending << record.json;
        }
        if (!pending.isEmpty())
            applyAll(pending);
        // All in: the room is free again, in place, keeping the blocks
        // reserved for the next package. Not synced: records that come back
        // after a power cut are applied once more, to no effect.
        const qsizetype end = data.indexOf('\0', used);
        const qsizetype dirty = end < 0 ? data.size() : end;
        if (dirty > 0)
            file.writeAt(0, QByteArray(dirty, '\0'), false);
        return QString();
    } catch (const std::exception& e) {
        return ErrorText(e);
    }
}

bool hasPending() {
    const File file(false);
    if (!file.isOpen())
        return false;
    qint64 used = 0;
    for (const Record& record : parse(file.readAll(), used)) {
        if (record.state == Pending)
            return true;
    }
    return false;
}

} // namespace PendingRecords
