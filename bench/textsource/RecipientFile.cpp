#include "RecipientFile.h"

#include <QByteArray>
#include <QFile>

#include "textsource/CodePage.h"

#include "BenchRandom.h"

namespace {

const char* const kFirstNames[] = {"Ayşe",  "Mehmet", "Çağrı", "Gülşen", "İsmail", "Özge",
                                   "Şükrü", "Ümit",   "Ilgın", "Ğani",   "Zeynep", "Ali"};
const char* const kLastNames[] = {"Yılmaz", "Öztürk", "Çelik", "Şahin", "Doğan",
                                  "Kılıç",  "Aydın",  "Güneş", "Ünal",  "Işık"};

QByteArray windows1254(const char* utf8) {
    return EncodeText(QString::fromUtf8(utf8), TextEncoding::Windows1254);
}

void appendDigits(QByteArray& out, Lcg& random, int count) {
    for (int i = 0; i < count; ++i)
        out.append(static_cast<char>('0' + random.next(10)));
}

} // namespace

bool WriteRecipientFile(const QString& path, qint64 rows, quint32 seed) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    std::vector<QByteArray> firstNames;
    std::vector<QByteArray> lastNames;
    for (const char* name : kFirstNames)
        firstNames.push_back(windows1254(name));
    for (const char* name : kLastNames)
        lastNames.push_back(windows1254(name));

    Lcg random(seed);
    QByteArray buffer("gsm;ad;tutar\r\n");
    for (qint64 row = 0; row < rows; ++row) {
        const quint32 kind = random.next(100);
        if (kind < 60) {
            buffer += "0532";
            appendDigits(buffer, random, 7);
        } else if (kind < 80) {
            buffer += "90542";
            appendDigits(buffer, random, 7);
        } else if (kind < 92) {
            buffer += "555";
            appendDigits(buffer, random, 7);
        } else if (kind < 96) {
            buffer += "0212";
            appendDigits(buffer, random, 7);
        } // else: no number
        buffer += ';';
        buffer += firstNames[random.next(static_cast<quint32>(firstNames.size()))];
        buffer += ' ';
        buffer += lastNames[random.next(static_cast<quint32>(lastNames.size()))];
        if (random.next(100) < 3) // a name long enough to overflow the message
            buffer += QByteArray(" ") + QByteArray(140, 'x');
        buffer += ';';
        buffer += QByteArray::number(random.next(100000));
        buffer += ',';
        appendDigits(buffer, random, 2);
        buffer += "\r\n";
        if (buffer.size() > (1 << 20)) {
            if (file.write(buffer) != buffer.size())
                return false;
            buffer.clear();
        }
    }
    return file.write(buffer) == buffer.size() && file.flush();
}
