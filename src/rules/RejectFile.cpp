#include "RejectFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Lines are written in pieces of this size, so that a failed write (a full
// disk) is seen where it happens and what reached the file is known.
constexpr qsizetype WriteSize = 64 * 1024;

} // namespace

RejectFile::RejectFile(const QString& path, const QString& holdFolder)
    : m_path(path)
    , m_holdFolder(holdFolder) {
    if (!openFile(path))
        moveToHold();
}

RejectFile::~RejectFile() {
    settle(false);
}

bool RejectFile::openFile(const QString& path) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        if (m_error.isEmpty())
            m_error = file->errorString();
        return false;
    }
    m_file = std::move(file);
    return true;
}

// Carries on in the holding folder with what had reached the file.
bool RejectFile::moveToHold() {
    if (m_held || m_holdFolder.isEmpty())
        return false;
    QByteArray written;
    if (m_file) {
        m_file->close();
        QFile old(m_file->fileName());
        if (old.open(QIODevice::ReadOnly))
            written = old.read(m_committed);
        old.remove();
        m_file.reset();
    }
    const QString name = QFileInfo(m_path).fileName();
    if (!QDir().mkpath(m_holdFolder) || !openFile(QDir(m_holdFolder).filePath(name + PartSuffix)))
        return false;
    m_held = true;
    m_path = QDir(m_holdFolder).filePath(name);
    m_committed = 0;
    m_pending.prepend(written);
    return true;
}

void RejectFile::writePending() {
    while (m_file && !m_pending.isEmpty()) {
        const qint64 n = m_file->write(m_pending);
        if (n == m_pending.size()) {
            m_committed += n;
            m_pending.clear();
            return;
        }
        if (m_error.isEmpty())
            m_error = m_file->errorString();
        if (!moveToHold()) {
            // Nowhere left to write: the rows are counted, and the caller
            // logs why they are missing.
            m_file.reset();
            m_pending.clear();
        }
    }
}

void RejectFile::writeLine(const QString& line) {
    if (!m_file)
        return;
    if (!m_started) {
        m_started = true;
        m_pending += ByteOrderMark(m_encoding);
    }
    m_pending += EncodeText(line, m_encoding);
    m_pending.append("\r\n");
    if (m_pending.size() >= WriteSize)
        writePending();
}

void RejectFile::addRow(const QString& header, const QString& line) {
    ++m_count;
    if (!header.isNull())
        writeLine(header);
    writeLine(line);
}

void RejectFile::settle(bool keep) {
    const bool kept = keep && m_count > 0;
    if (kept)
        writePending();
    if (!m_file)
        return;
    m_file->close();
    if (!kept)
        m_file->remove();
    else if (m_held)
        m_file->rename(m_path);
    m_file.reset();
}
