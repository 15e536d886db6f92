#include "RejectFile.h"

#include <cerrno>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>

#include "core/AppState.h"
#include "core/FileSystem.h"
#include "core/Routines.h"
#include "core/SystemError.h"
#include "spreadsheet/ExcelExport.h"
#include "spreadsheet/TableFile.h"
#include "textsource/TextRecord.h"

namespace {

// Lines are written in pieces of this size, so that a failed write (a full
// disk) is seen where it happens and what reached the file is known.
constexpr qsizetype WriteSize = 64 * 1024;

// Held names leave room for a counter and for the ".part" of rows still
// being written.
constexpr qsizetype HeldNameBytes = 240;

// As many bytes as the disk took; errno says why when it took fewer.
qint64 writeAll(int fd, const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            break;
        }
        done += n;
    }
    return done;
}

// Made here, or found taken (errno EEXIST): never someone else's file
// truncated.
int createNew(const QString& path) {
    return ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  0666);
}

// The folder and those above it: 0, or why one cannot be made (EEXIST: a
// file is in its way).
int makeFolders(const QByteArray& path) {
    if (::mkdir(path.constData(), 0777) == 0)
        return 0;
    if (errno == EEXIST)
        return QFileInfo(QFile::decodeName(path)).isDir() ? 0 : EEXIST;
    const qsizetype slash = path.lastIndexOf('/');
    if ((errno != ENOENT && errno != ENOTDIR) || slash <= 0)
        return errno;
    if (const int error = makeFolders(path.left(slash)))
        return error;
    return ::mkdir(path.constData(), 0777) == 0 || errno == EEXIST ? 0 : errno;
}

} // namespace

QString RejectFileName(const QString& prefix, const QString& dataFileName) {
    if (!IsWorkbookName(dataFileName))
        return prefix + dataFileName;
    return prefix + dataFileName.left(dataFileName.lastIndexOf(QLatin1Char('.'))) +
           QStringLiteral(".xlsx");
}

std::unique_ptr<RejectRows> MakeRejectRows(const QString& folder, const QString& prefix,
                                           const QString& dataFileName, const QString& holdFolder,
                                           bool header, const QString& separator) {
    const QString name = RejectFileName(prefix, dataFileName);
    if (IsWorkbookName(dataFileName))
        return std::make_unique<RejectBook>(folder, name, holdFolder, header);
    auto file = std::make_unique<RejectFile>(folder, name, holdFolder);
    file->setLayout(separator, header);
    return file;
}

RejectFile::RejectFile(const QString& folder, const QString& name, const QString& holdFolder)
    : m_folder(folder)
    , m_name(name)
    , m_holdFolder(holdFolder)
    , m_path(JoinPath(folder, name)) {}

RejectFile::~RejectFile() {
    settle(false);
}

void RejectFile::remember(QString& error) const {
    if (error.isEmpty())
        error = SystemErrorText(errno);
}

bool RejectFile::openHere() {
    // A name taken between the look and the making is looked for again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        App().gFileCounter = 0;
        const QString path = UniqueFileName(m_folder, m_name);
        m_fd = createNew(path);
        if (m_fd >= 0) {
            m_path = path;
            m_made = true;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    remember(m_error);
    return false;
}

// Carries on in the holding folder with what had reached the file.
bool RejectFile::moveToHold() {
    if (m_held || m_holdFolder.isEmpty())
        return false;
    if (const int error = makeFolders(QFile::encodeName(m_holdFolder))) {
        errno = error;
        remember(m_holdError);
        return false;
    }
    App().gFileCounter = 0;
    const QString held =
        UniqueFileName(m_holdFolder, FitFileName(QFileInfo(m_path).fileName(), HeldNameBytes));
    const int fd = ::open(QFile::encodeName(held + PartSuffix).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        remember(m_holdError);
        return false;
    }
    QByteArray written;
    if (m_fd >= 0) {
        ::close(m_fd);
        QFile old(m_path);
        if (old.open(QIODevice::ReadOnly))
            written = old.read(m_committed);
        if (written.size() != m_committed) {
            // What is in the outgoing folder cannot follow: the rows stay
            // there, to be removed with the file unless all are written.
            ::close(fd);
            QFile::remove(held + PartSuffix);
            m_fd = -1;
            remember(m_holdError);
            return false;
        }
        QFile::remove(m_path);
    }
    m_fd = fd;
    m_made = true;
    m_held = true;
    m_part = true;
    m_path = held;
    m_committed = 0;
    m_pending.prepend(written);
    return true;
}

void RejectFile::writePending() {
    while (!m_lost && !m_pending.isEmpty()) {
        if (m_fd < 0 && (m_held || !openHere()) && !moveToHold()) {
            m_lost = true;
            break;
        }
        const qint64 n = writeAll(m_fd, m_pending);
        if (n == m_pending.size()) {
            m_committed += n;
            m_pending.clear();
            return;
        }
        remember(m_held ? m_holdError : m_error);
        if (!moveToHold())
            m_lost = true;
    }
    // Nowhere left to write: the rows are counted, and the package waits.
    m_pending.clear();
}

bool RejectFile::startLine() {
    if (m_lost)
        return false;
    if (!m_started) {
        m_started = true;
        m_pending += ByteOrderMark(m_encoding);
    }
    return true;
}

void RejectFile::endLine() {
    if (m_pending.size() >= WriteSize)
        writePending();
}

void RejectFile::writeLine(QStringView line) {
    if (!startLine())
        return;
    AppendEncoded(m_pending, line, m_encoding);
    m_pending.append("\r\n");
    endLine();
}

void RejectFile::writeEncoded(QByteArrayView bytes) {
    if (!startLine())
        return;
    m_pending.append(bytes);
    endLine();
}

void RejectFile::setLayout(const QString& separator, bool header) {
    m_separator = separator;
    m_header = header;
    m_headerOf.reset();
}

void RejectFile::addRecord(const TextRecord& row) {
    JoinedValuesInto(row, m_separator, m_line);
    ++m_count;
    if (m_header) {
        if (m_headerOf != row.sharedColumns()) {
            m_headerOf = row.sharedColumns();
            m_headerLine.clear();
            AppendEncoded(m_headerLine, JoinedNames(row.columns(), m_separator), m_encoding);
            m_headerLine.append("\r\n");
        }
        writeEncoded(m_headerLine);
    }
    writeLine(m_line);
}

bool RejectFile::store() {
    if (m_count == 0)
        return true;
    writePending();
    if (m_lost)
        return false;
    if (m_part) {
        // Complete: a pass killed from here on must not take them for
        // unfinished rows.
        QString error;
        if (!App().gFileSystem->moveFile(m_path + PartSuffix, m_path, &error)) {
            m_holdError = error;
            m_lost = true;
            return false;
        }
        m_part = false;
    }
    return true;
}

void RejectFile::settle(bool keep) {
    const bool kept = keep && m_count > 0 && store();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (m_made && !kept)
        QFile::remove(m_part ? m_path + PartSuffix : m_path);
    m_made = false;
}

// --- RejectBook -----------------------------------------------------------

namespace {

constexpr quint32 NullCell = 0xFFFFFFFF;

void appendNumber(QByteArray& bytes, quint32 value) {
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// The spooled rows, read back in order for the workbook writer. The rows
// are read again from the start for a second folder.
class SpoolSource final : public ExportSource {
public:
    SpoolSource(QFile& spool, qint64 rows, int columns)
        : m_spool(spool)
        , m_rows(rows)
        , m_columns(columns) {}

    qint64 rowCount() const override { return m_rows; }
    int columnCount() const override { return m_columns; }
    void writeRow(qint64, ExportRowSink& sink) override {
        const quint32 cells = number();
        for (quint32 c = 0; c < cells; ++c) {
            const quint32 length = number();
            if (length == NullCell)
                continue;
            m_text.resize(qsizetype(length));
            read(m_text.data(), qint64(length) * 2);
            sink.text(int(c), m_text);
        }
    }

private:
    quint32 number() {
        quint32 value = 0;
        read(&value, sizeof value);
        return value;
    }
    void read(void* to, qint64 size) {
        if (m_spool.read(static_cast<char*>(to), size) != size)
            throw std::runtime_error(QStringLiteral("geçici dosya okunamadı: %1")
                                         .arg(m_spool.errorString())
                                         .toStdString());
    }

    QFile& m_spool;
    qint64 m_rows;
    int m_columns;
    QString m_text;
};

// The export's progress counters and step belong to a window's export,
// which a pass may run in the middle of.
class KeepExportState {
public:
    KeepExportState()
        : m_done(App().gProgressDone)
        , m_total(App().gProgressTotal)
        , m_step(App().gStepError) {}
    ~KeepExportState() {
        App().gProgressDone = m_done;
        App().gProgressTotal = m_total;
        App().gStepError = m_step;
    }
    KeepExportState(const KeepExportState&) = delete;
    KeepExportState& operator=(const KeepExportState&) = delete;

private:
    qint64 m_done;
    qint64 m_total;
    QString m_step;
};

} // namespace

RejectBook::RejectBook(const QString& folder, const QString& name, const QString& holdFolder,
                       bool header)
    : m_folder(folder)
    , m_name(name)
    , m_holdFolder(holdFolder)
    , m_path(JoinPath(folder, name))
    , m_header(header)
    , m_spool(JoinPath(QDir::tempPath(), QStringLiteral("parlex-red-XXXXXX"))) {}

RejectBook::~RejectBook() {
    settle(false);
}

void RejectBook::lose() {
    m_lost = true;
    m_pending.clear();
    if (m_error.isEmpty()) {
        // Neither folder can have rows that were never kept.
        m_error = errno ? SystemErrorText(errno) : m_spool.errorString();
        m_holdError = m_error;
    }
}

void RejectBook::writePending() {
    if (m_lost || m_pending.isEmpty())
        return;
    if (!m_spool.isOpen() && !m_spool.open()) {
        lose();
        return;
    }
    if (writeAll(m_spool.handle(), m_pending) != m_pending.size()) {
        lose();
        return;
    }
    m_pending.clear();
}

void RejectBook::addRecord(const TextRecord& row) {
    if (m_count++ == 0 && m_header) {
        for (const TextColumn& column : row.columns())
            m_columns << column.name;
    }
    if (m_lost)
        return;
    m_width = std::max(m_width, row.size());
    appendNumber(m_pending, quint32(row.size()));
    for (int i = 0; i < row.size(); ++i) {
        if (row.isNull(i)) {
            appendNumber(m_pending, NullCell);
            continue;
        }
        // As the sheet showed it: "150,50", "09.12.2026", "05321234567".
        m_text.clear();
        row.appendWrittenText(i, m_text);
        appendNumber(m_pending, quint32(m_text.size()));
        m_pending.append(reinterpret_cast<const char*>(m_text.utf16()), m_text.size() * 2);
    }
    if (m_pending.size() >= WriteSize)
        writePending();
}

bool RejectBook::writeIn(const QString& folder, const QString& name, QString& error) {
    if (!m_spool.seek(0)) {
        error = m_spool.errorString();
        return false;
    }
    // The name is taken first, so the finished workbook never replaces
    // anyone else's file.
    QString path;
    for (int attempt = 0; attempt < 3 && path.isEmpty(); ++attempt) {
        App().gFileCounter = 0;
        const QString candidate = UniqueFileName(folder, name);
        const int fd = createNew(candidate);
        if (fd >= 0) {
            ::close(fd);
            path = candidate;
        } else if (errno != EEXIST) {
            break;
        }
    }
    if (path.isEmpty()) {
        error = SystemErrorText(errno);
        return false;
    }
    m_path = path;
    m_made = true;
    SpoolSource source(m_spool, m_count, std::max(m_width, int(m_columns.size())));
    ExportOptions options;
    // Rows of a workbook the reader took stay far below 4 GB, and the
    // program reads its own reject workbooks back when they are sent again.
    options.zip64 = false;
    if (whileWriting) {
        options.keepGoing = [this] {
            whileWriting();
            return true;
        };
    }
    ExportResult result;
    {
        const KeepExportState kept;
        result = WriteWorkbook(source, path, m_columns, options);
    }
    if (!result.written()) {
        QFile::remove(path);
        m_made = false;
        error = result.reason;
        return false;
    }
    return true;
}

bool RejectBook::store() {
    if (m_count == 0 || m_stored)
        return true;
    writePending();
    if (m_lost)
        return false;
    if (writeIn(m_folder, m_name, m_error)) {
        m_stored = true;
        return true;
    }
    if (!m_holdFolder.isEmpty()) {
        if (const int error = makeFolders(QFile::encodeName(m_holdFolder))) {
            m_holdError = SystemErrorText(error);
        } else if (writeIn(m_holdFolder, FitFileName(m_name, HeldNameBytes), m_holdError)) {
            m_held = true;
            m_stored = true;
            return true;
        }
    }
    m_path = JoinPath(m_folder, m_name);
    m_lost = true;
    return false;
}

void RejectBook::settle(bool keep) {
    const bool kept = keep && m_count > 0 && store();
    if (m_made && !kept)
        QFile::remove(m_path);
    m_made = false;
    // Named only once a row was spooled.
    if (!m_spool.fileName().isEmpty())
        m_spool.remove();
}
