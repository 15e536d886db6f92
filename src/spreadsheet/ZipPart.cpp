#include "ZipPart.h"

#include <QFile>
#include <QFileInfo>

#include <zip.h>

ZipArchive::~ZipArchive() {
    if (m_zip)
        zip_discard(m_zip);
}

bool ZipArchive::fail(const QString& message) {
    m_error = message;
    return false;
}

bool ZipArchive::open(const QString& path) {
    m_path = path;
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("%1: dosya bulunamadı").arg(path));
    if (!info.isFile())
        return fail(QStringLiteral("%1: bir dosya değil").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1: dosya açılamadı: %2").arg(path, file.errorString()));
    const QByteArray start = file.read(4);
    file.close();
    // A program saving the workbook writes the zip's directory last: until
    // then the file is still being written, not broken.
    if (start.isEmpty() || QByteArrayView("PK\x03\x04").startsWith(start)) {
        m_incomplete = true;
        m_error = QStringLiteral("%1: çalışma kitabı henüz yazılıyor (zip dizini yok)").arg(path);
    }
    int code = 0;
    // No ZIP_CHECKCONS: this libzip takes the zip64 records libxlsxwriter
    // writes (the program's own exports) for an inconsistency. What is
    // unpacked is counted and its checksums checked as it is read.
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!m_zip) {
        if (m_incomplete && (code == ZIP_ER_NOZIP || start.size() < 4))
            return false;
        m_incomplete = false;
        if (!start.startsWith("PK"))
            return fail(QStringLiteral("%1: bir çalışma kitabı değil").arg(path));
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const QString why = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        return fail(QStringLiteral("%1: çalışma kitabı bozuk (%2)").arg(path, why));
    }
    m_incomplete = false;
    m_limit = std::min(MaxUnpackedBytes, UnpackRatio * info.size());
    const zip_int64_t count = zip_get_num_entries(m_zip, 0);
    qint64 total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(m_zip, static_cast<zip_uint64_t>(i), 0, &stat) != 0 ||
            !(stat.valid & ZIP_STAT_SIZE))
            return fail(
                QStringLiteral("%1: çalışma kitabı bozuk (zip dizini okunamadı)").arg(path));
        total += static_cast<qint64>(std::min<zip_uint64_t>(stat.size, zip_uint64_t(1) << 62));
        if (total > m_limit)
            break;
    }
    if (total > m_limit)
        return countUnpacked(total);
    return true;
}

bool ZipArchive::contains(const QString& name) const {
    return m_zip && zip_name_locate(m_zip, name.toUtf8().constData(), 0) >= 0;
}

bool ZipArchive::countUnpacked(qint64 bytes) {
    m_unpacked += bytes;
    if (m_unpacked <= m_limit)
        return true;
    return fail(QStringLiteral("%1: çalışma kitabı açıldığında çok büyüyor (en çok %2 MB, "
                               "dosyanın %3 katı okunur)")
                    .arg(m_path)
                    .arg(MaxUnpackedBytes >> 20)
                    .arg(UnpackRatio));
}

ZipStream::~ZipStream() {
    if (m_file)
        zip_fclose(m_file);
}

bool ZipStream::open(ZipArchive& archive, const QString& name) {
    m_archive = &archive;
    m_name = name;
    m_file = archive.m_zip ? zip_fopen(archive.m_zip, name.toUtf8().constData(), 0) : nullptr;
    if (!m_file) {
        m_error = QStringLiteral("%1: çalışma kitabında %2 bölümü yok").arg(archive.path(), name);
        return false;
    }
    return true;
}

qint64 ZipStream::read(char* data, qint64 size) {
    if (!m_error.isEmpty() || !m_file)
        return -1;
    const zip_int64_t read = zip_fread(m_file, data, zip_uint64_t(size));
    if (read < 0) {
        m_error = QStringLiteral("%1: çalışma kitabının %2 bölümü bozuk (%3)")
                      .arg(m_archive->path(), m_name, QString::fromUtf8(zip_file_strerror(m_file)));
        return -1;
    }
    if (!m_archive->countUnpacked(read)) {
        m_error = m_archive->errorString();
        return -1;
    }
    return read;
}

bool XmlPart::open(ZipArchive& archive, const QString& name) {
    if (m_part.open(archive, name))
        return true;
    m_error = m_part.errorString();
    return false;
}

bool XmlPart::refill() {
    constexpr qsizetype Chunk = 64 * 1024;
    m_buffer.resize(Chunk);
    const qint64 read = m_part.read(m_buffer.data(), Chunk);
    if (read < 0) {
        fail(m_part.errorString());
        return false;
    }
    if (read == 0) {
        m_atEnd = true;
        return true;
    }
    m_buffer.truncate(static_cast<qsizetype>(read));
    m_xml.addData(m_buffer);
    return true;
}

QXmlStreamReader::TokenType XmlPart::fail(const QString& message) {
    if (m_error.isEmpty())
        m_error = message;
    return QXmlStreamReader::Invalid;
}

QXmlStreamReader::TokenType XmlPart::next() {
    if (!m_error.isEmpty() || !m_part.isOpen())
        return fail(m_error);
    for (;;) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::DTD)
            return fail(QStringLiteral("%1: çalışma kitabının %2 bölümünde DTD var; "
                                       "güvenlik için okunmaz")
                            .arg(m_part.path(), m_part.name()));
        if (token != QXmlStreamReader::Invalid)
            return token;
        if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError && !m_atEnd) {
            if (!refill())
                return QXmlStreamReader::Invalid;
            continue;
        }
        return fail(QStringLiteral("%1: çalışma kitabının %2 bölümü bozuk (satır %3: %4)")
                        .arg(m_part.path(), m_part.name())
                        .arg(m_xml.lineNumber())
                        .arg(m_xml.errorString()));
    }
}

bool XmlPart::skipElement() {
    for (int depth = 1; depth > 0;) {
        switch (next()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Invalid:
            return false;
        case QXmlStreamReader::EndDocument:
            return false;
        default:
            break;
        }
    }
    return true;
}

QStringView AttributeValue(const QXmlStreamAttributes& attributes, QStringView local) {
    for (const QXmlStreamAttribute& attribute : attributes) {
        if (attribute.name() == local)
            return attribute.value();
    }
    return {};
}
