#include "SchemaIni.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include "CodePage.h"
#include "core/AppState.h"
#include "core/Routines.h"

namespace {

// A description file is a few lines a file; anything far bigger is not one.
constexpr qint64 kMaxSchemaBytes = 64 * 1024 * 1024;

const QString kCrLf = QStringLiteral("\r\n");

void showSchemaError(const QString& description) {
    UserInterface().error(QStringLiteral("Şema bilgisi"),
                          QStringLiteral("Şema bilgisi oluşturulamadı.") + kCrLf +
                              QStringLiteral("Sistemin ürettiği hata mesajı : ") + description);
}

QString sectionText(const QString& fileName, const QString& headerText, const QString& formatText) {
    return QLatin1Char('[') + fileName + QLatin1Char(']') + kCrLf +
           QStringLiteral("ColNameHeader = ") + headerText + kCrLf + formatText + kCrLf +
           QStringLiteral("MaxScanRows = 25") + kCrLf + QStringLiteral("CharacterSet = ANSI") +
           kCrLf;
}

std::optional<QString> separatorOf(const QString& format) {
    if (format.compare(QLatin1String("TabDelimited"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("\t");
    if (format.compare(QLatin1String("CSVDelimited"), Qt::CaseInsensitive) == 0)
        return QStringLiteral(",");
    const QLatin1String prefix("Delimited(");
    // The separator is everything between the first "(" and the last ")", so
    // a ")" separator survives: Delimited()).
    if (format.startsWith(prefix, Qt::CaseInsensitive) && format.endsWith(QLatin1Char(')')))
        return format.mid(prefix.size(), format.size() - prefix.size() - 1);
    return std::nullopt;
}

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

} // namespace

TextFormat RuleTextFormat(const QString& separator, const QString& headerFlag) {
    TextFormat format;
    format.separator = separator == QLatin1String("T") ? QStringLiteral("\t") : separator;
    format.header = headerFlag == QLatin1String("E");
    return format;
}

QString TryWriteSchemaIni(const QString& folder, const QString& separator,
                          const QString& headerFlag) {
    const QString headerText =
        headerFlag == QLatin1String("E") ? QStringLiteral("True") : QStringLiteral("False");
    const QString formatText =
        separator == QLatin1String("T")
            ? QStringLiteral("Format=TabDelimited")
            : QStringLiteral("Format=Delimited(") + separator + QLatin1Char(')');

    QFile file(JoinPath(folder, SchemaFileName));
    if (file.exists() && !file.remove())
        return file.errorString();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return file.errorString();
    QStringList names;
    if (!App().gFileSystem->listFiles(folder, names))
        return QStringLiteral("Klasör okunamadı: ") + folder;
    QString text;
    for (const QString& name : std::as_const(names)) {
        // A name with a line break cannot be written on one line; it would
        // change the description of the file before it.
        if (name == SchemaFileName || name.contains(QLatin1Char('\n')) ||
            name.contains(QLatin1Char('\r')))
            continue;
        text += sectionText(name, headerText, formatText);
    }
    // Single-byte as the original; a name the code page cannot hold would
    // turn into '?' and its file could never be found, so then the whole
    // description is written as UTF-8 with a byte order mark.
    const TextEncoding encoding =
        FitsWindows1254(text) ? TextEncoding::Windows1254 : TextEncoding::Utf8WithBom;
    const QByteArray bytes = ByteOrderMark(encoding) + EncodeText(text, encoding);
    if (file.write(bytes) != bytes.size() || !file.flush())
        return file.errorString();
    file.close();
    return QString();
}

void WriteSchemaIni(const QString& folder, const QString& separator, const QString& headerFlag) {
    if (const QString error = TryWriteSchemaIni(folder, separator, headerFlag); !error.isEmpty())
        showSchemaError(error);
}

std::optional<TextFormat> ReadSchemaSection(const QString& folder, const QString& fileName,
                                            QString* error) {
    const QString path = JoinPath(folder, SchemaFileName);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("%1 okunamadı: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    if (file.size() > kMaxSchemaBytes) {
        setError(error, QStringLiteral("%1 bir tanım dosyası olamayacak kadar büyük").arg(path));
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    const TextEncoding encoding = DetectEncoding(bytes);
    QString text =
        encoding == TextEncoding::Windows1254 ? DecodeWindows1254(bytes) : QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QStringList lines = text.split(QLatin1Char('\n'));

    // Exact name first; a hand-written file may spell it in other case.
    for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        qsizetype start = -1;
        for (qsizetype i = 0; i < lines.size() && start < 0; ++i) {
            const QString line = lines[i].trimmed();
            if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')) &&
                QStringView(line).sliced(1, line.size() - 2).compare(fileName, cs) == 0)
                start = i + 1;
        }
        if (start < 0)
            continue;

        TextFormat format;
        for (qsizetype i = start; i < lines.size(); ++i) {
            const QString line = lines[i].trimmed();
            if (line.startsWith(QLatin1Char('[')))
                break;
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (eq < 0)
                continue;
            const QString key = line.left(eq).trimmed();
            const QString value = line.mid(eq + 1).trimmed();
            if (key.compare(QLatin1String("ColNameHeader"), Qt::CaseInsensitive) == 0) {
                format.header = value.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
            } else if (key.compare(QLatin1String("Format"), Qt::CaseInsensitive) == 0) {
                const std::optional<QString> separator = separatorOf(value);
                if (!separator) {
                    setError(error, QStringLiteral("%1: %2 için bilinmeyen biçim: %3")
                                        .arg(path, fileName, value));
                    return std::nullopt;
                }
                format.separator = *separator;
            } else if (key.compare(QLatin1String("MaxScanRows"), Qt::CaseInsensitive) == 0) {
                bool ok = false;
                const int rows = value.toInt(&ok);
                // 0 asks the driver to scan the whole file, which a streaming
                // reader cannot do; such values fall back to the usual 25.
                format.maxScanRows = ok && rows >= 1 && rows <= 10000 ? rows : 25;
            } else if (key.compare(QLatin1String("CharacterSet"), Qt::CaseInsensitive) == 0) {
                format.characterSet = value;
            }
        }
        return format;
    }
    setError(error, QStringLiteral("%1 içinde %2 için bir bölüm yok").arg(path, fileName));
    return std::nullopt;
}

ChosenPath SplitChosenPath(const QString& path) {
    qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
    if (QDir::separator() != QLatin1Char('/'))
        cut = std::max(cut, path.lastIndexOf(QDir::separator()));
    return ChosenPath{path.left(cut + 1), path.mid(cut + 1)};
}
