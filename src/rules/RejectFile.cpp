#include "RejectFile.h"

RejectFile::RejectFile(const QString& path)
    : m_path(path)
    , m_file(std::make_unique<QFile>(path)) {
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = m_file->errorString();
        m_file.reset();
    }
}

RejectFile::~RejectFile() {
    settle(false);
}

void RejectFile::writeLine(const QString& line) {
    if (!isOpen())
        return;
    if (!m_started) {
        m_started = true;
        m_file->write(ByteOrderMark(m_encoding));
    }
    QByteArray bytes = EncodeText(line, m_encoding);
    bytes.append("\r\n");
    if (m_file->write(bytes) != bytes.size() && m_error.isEmpty())
        m_error = m_file->errorString();
}

void RejectFile::addRow(const QString& header, const QString& line) {
    ++m_count;
    if (!header.isNull())
        writeLine(header);
    writeLine(line);
}

void RejectFile::settle(bool keep) {
    if (m_file) {
        m_file->close();
        if (!(keep && m_count > 0))
            m_file->remove();
        m_file.reset();
    }
}
