// Counts the SMS of generated messages as the senders do (SmsParts of the
// cleaned text, the operator's code counted) and prints one line:
//   message cost: chars/s=N scan_chars/s=N ratio=R messages=N ucs2=P% parts=N
// scan_chars/s is a plain pass over the same characters in the same run, the
// ceiling the count is measured against. Target, checked on stderr:
// chars/s >= 100,000,000.
//
//   bench_message_cost [--messages N] [--seconds S]

#include <cstdio>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include "BenchRandom.h"
#include "core/Routines.h"
#include "textsource/MessageCost.h"

namespace {

// Office texts as templates fill them; the second list holds what turns a
// message into UCS-2.
const char16_t* const kPhrases[] = {
    u"Sayın Ayşe Yılmaz, 150,50 TL borcunuzun son ödeme günü 15.01.2027'dir.",
    u"Değerli müşterimiz, kış kampanyamız başladı! Ayrıntılar için www.ornek.com.tr",
    u"Siparişiniz kargoya verildi; takip numaranız: 1234567890.",
    u"Randevunuz 12.03.2027 günü saat 14:30'dadır. İptal için 0212 555 12 34'ü arayınız.",
    u"<b>Son gün</b> yarın: %20 indirim fırsatını kaçırmayın.",
    u"Şifreniz: 482913. Bu kodu kimseyle paylaşmayınız.",
    u"Ödemeniz alınmıştır, teşekkür ederiz. Öğrenci numaranız {2027-0042} ile eşleşti.",
    u"Çağrı merkezimize 7/24 ulaşabilirsiniz: 444 0 123.",
    u"Güneş Eczanesi bugün nöbetçidir. Adres: Atatürk Cad. No:12 Üsküdar/İstanbul",
};
const char16_t* const kUcs2Phrases[] = {
    u"Fatura tutarınız 249,90 ₺.",         u"Kampanya “Yılbaşı” – son 3 gün…",
    u"Mağazamız yarın 10:00’da açılıyor.", u"Doğum gününüz kutlu olsun 🎉",
    u"Kâr payınız hesabınıza aktarıldı.",
};

// `count` cleaned messages of one to four phrases; about one in seven
// carries a character outside the GSM alphabet.
std::vector<QString> Messages(int count) {
    Lcg random(24);
    std::vector<QString> messages;
    messages.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        QString text;
        const quint32 phrases = 1 + random.next(4);
        for (quint32 p = 0; p < phrases; ++p) {
            if (!text.isEmpty())
                text += u' ';
            text += QString::fromUtf16(kPhrases[random.next(std::size(kPhrases))]);
        }
        if (random.next(7) == 0)
            text += u' ' + QString::fromUtf16(kUcs2Phrases[random.next(std::size(kUcs2Phrases))]);
        messages.push_back(CleanMessageText(text));
    }
    return messages;
}

// Runs `pass` over every message until `seconds` have gone; characters per
// second.
template <typename Pass>
double Rate(const std::vector<QString>& messages, qint64 characters, double seconds, Pass pass) {
    QElapsedTimer clock;
    clock.start();
    qint64 done = 0;
    do {
        for (const QString& message : messages)
            pass(message);
        done += characters;
    } while (double(clock.nsecsElapsed()) < seconds * 1e9);
    return double(done) / (double(clock.nsecsElapsed()) / 1e9);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int count = 20000;
    double seconds = 2;
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--messages"))
            count = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--seconds"))
            seconds = args[i + 1].toDouble();
    }
    if (count <= 0 || seconds <= 0) {
        std::fprintf(stderr, "usage: bench_message_cost [--messages N] [--seconds S]\n");
        return 2;
    }
    const std::vector<QString> messages = Messages(count);
    qint64 characters = 0;
    qint64 ucs2 = 0;
    qint64 parts = 0;
    for (const QString& message : messages) {
        characters += message.size();
        ucs2 += CostOfMessage(message).encoding == SmsEncoding::Ucs2 ? 1 : 0;
        parts += SmsParts(message);
    }

    // Results go into a sink the compiler cannot drop.
    volatile qint64 sink = 0;
    qint64 total = 0;
    const double counted = Rate(messages, characters, seconds, [&total](const QString& message) {
        total += SmsParts(message, DefaultOperatorSuffix);
    });
    sink = sink + total;
    total = 0;
    const double scanned = Rate(messages, characters, seconds, [&total](const QString& message) {
        for (const QChar c : message)
            total += c.unicode();
    });
    sink = sink + total;

    std::printf("message cost: chars/s=%.0f scan_chars/s=%.0f ratio=%.2f messages=%d ucs2=%.0f%% "
                "parts=%lld\n",
                counted, scanned, counted / scanned, count, 100.0 * double(ucs2) / count,
                static_cast<long long>(parts));
    if (counted < 1e8) {
        std::fprintf(stderr, "target missed: chars/s >= 100000000\n");
        return 1;
    }
    return 0;
}
