#include <QtTest>

#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "gateway/Gateway.h"
#include "reports/DeliveryReports.h"
#include "reports/PackageHistory.h"
#include "support/ScriptedUi.h"
#include "support/SimulatorFixture.h"
#include "support/TestEnvironment.h"

using namespace Qt::StringLiterals;

// The delivery reports as a user reads them: the rows and their states, the
// counters, the boxes and the last status text, against the simulator.
class TestReports : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<SimulatorFixture> sim;
    StatusList list;

    ScriptedUi& ui() { return env->ui(); }
    QString boxes() const {
        QStringList shown;
        for (const auto& box : env->ui().boxes)
            shown << box.title + u": "_s + box.text;
        return shown.join(u" | "_s);
    }
    QString rows() const {
        QStringList shown;
        for (qsizetype i = 0; i < list.rowCount(); ++i)
            shown << list.gsmNo(i).toString() + u' ' + list.durum(i);
        return shown.join(u", "_s);
    }
    static QString counters(const ReportCounters& c) {
        return u"%1/%2/%3/%4/%5"_s.arg(c.total)
            .arg(c.byState[0])
            .arg(c.byState[1])
            .arg(c.byState[2])
            .arg(c.byState[3]);
    }
    // A package of these numbers, accepted by the simulator.
    QString sendPackage(const QStringList& numbers) {
        Gateway gateway;
        for (const QString& number : numbers)
            gateway.addtosmsbasket(u"Sayın müşterimiz"_s, number);
        return PackageIdOf(
            gateway.sendsms(App().gatewayUserName(), App().gPassword, u"PARLEX"_s, QString()));
    }

private slots:
    void init() {
        env = std::make_unique<TestEnvironment>();
        sim = std::make_unique<SimulatorFixture>();
        (*sim)->setFinalStates(true);
        list.clear();
    }
    void cleanup() {
        sim.reset();
        env.reset();
    }

    // What the gateway answers is what the user reads: each line's number
    // and state, counted; a last line without its line feed counts; CR LF
    // line ends read like LF; a line that is not one is a failed report that
    // keeps the rows before it, never a row made up of it.
    void packageReport_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("counted"); // total/waiting/delivered/timed out/rejected
        QTest::addColumn<QString>("told");
        QTest::newRow("last line without its line feed")
            << u"1000001 5321234567,3\n1000001 5331234567 1\n5341234567 3"_s
            << u"5321234567 İletildi, 5331234567 Beklemede, 5341234567 İletildi"_s << u"3/1/2/0/0"_s
            << u"Rapor oluşturuldu."_s;
        QTest::newRow("CR LF") << u"1000001 5321234567 3\r\n1000001 5331234567 5\r\n"_s
                               << u"5321234567 İletildi, 5331234567 Zaman Aşımı"_s << u"2/0/1/1/0"_s
                               << u"Rapor oluşturuldu."_s;
        QString all;
        QStringList shown;
        for (int code = 0; code <= 9; ++code) {
            all += u"x 553000000%1 %1\n"_s.arg(code);
            shown << u"553000000%1 "_s.arg(code) + MesajDurumu(code);
        }
        QTest::newRow("codes 0 to 9")
            << all << shown.join(u", "_s) << u"10/2/1/1/6"_s << u"Rapor oluşturuldu."_s;
        QTest::newRow("empty") << QString() << QString() << u"0/0/0/0/0"_s
                               << u"Herhangi bir gönderim bulunamadı."_s;
        QTest::newRow("one line, no line feed")
            << u"1000001 5321234567 3"_s << u"5321234567 İletildi"_s << u"1/0/1/0/0"_s
            << u"Rapor oluşturuldu."_s;
        const QString failed =
            u"Tanımlanamayan bir hata Oluştu.\r\nSistemin ürettiği hata mesajı : Rapor satırı "_s;
        QTest::newRow("bad line") << u"1 5321234567 3\n1 5331234567 x\n1 5341234567 3\n"_s
                                  << u"5321234567 İletildi"_s << u"3/0/1/0/0"_s
                                  << failed + u"2 okunamıyor: \"1 5331234567 x\""_s;
        const auto bad = [&](const char* name, const QString& reply, const QString& line) {
            QTest::newRow(name) << u"1 5321234567 3\n"_s + reply << u"5321234567 İletildi"_s
                                << u"%1/0/1/0/0"_s.arg(1 + reply.count(u'\n') +
                                                       !reply.endsWith(u'\n'))
                                << failed + u"2 okunamıyor: \"%1\""_s.arg(line);
        };
        bad("a word, no line feed", u"BAKIM"_s, u"BAKIM"_s);
        bad("short line, no line feed", u"1 532123 3"_s, u"1 532123 3"_s);
        bad("words ending in a digit", u"Sunucu bakımda, lütfen bekleyin 2\n"_s,
            u"Sunucu bakımda, lütfen bekleyin 2"_s);
        bad("eleven digits", u"1 53212345678 3\n"_s, u"1 53212345678 3"_s);
        bad("a letter for the separator", u"1 5331234567x3\n"_s, u"1 5331234567x3"_s);
        bad("a letter in the number", u"1 53312a4567 3\n"_s, u"1 53312a4567 3"_s);
    }
    void packageReport() {
        QFETCH(QString, reply);
        QFETCH(QString, rows);
        QFETCH(QString, counted);
        QFETCH(QString, told);
        (*sim)->setFault(11, SimFault::reply(reply.toStdString()));
        const ReportOutcome outcome = RaporCek(u"1000001"_s, list);
        QCOMPARE(this->rows(), rows);
        QCOMPARE(counters(outcome.counters), counted);
        QCOMPARE(outcome.message, told);
        QCOMPARE(App().gProgressDone, list.totalCount());
        // Failed in the report's error box; a report read whole shows none.
        QCOMPARE(boxes().isEmpty(), outcome.end == ReportOutcome::End::Listed);
    }

    // A code in place of lines says what it means, on every report, also
    // when the gateway ends it with CR LF; a word in place of lines fails in
    // the report's error box; nothing is listed.
    void codeReplies_data() {
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("reply"); // "500:" + body: a server error page
        QTest::addColumn<QString>("box");
        const QString wrong = u"Uyarı: Hatalı Kullanıcı Adı veya Parola"_s;
        QTest::newRow("package 01") << 11 << u"01"_s << wrong;
        QTest::newRow("package 01 CR LF") << 11 << u"01\r\n"_s << wrong;
        QTest::newRow("package busy")
            << 11 << u"100"_s << u"Uyar: Server Yoğun Lütfen Daha Sonra Tekrar Deneyiniz"_s;
        QTest::newRow("package 08")
            << 11 << u"08"_s << u"Uyarı: Herhangi bir gönderim bulunamadı."_s;
        QTest::newRow("range 18") << 17 << u"18"_s
                                  << u"Uyar: Bu Tarihler Arasında Gönderilmiş Rapor Yok."_s;
        QTest::newRow("range 17") << 17 << u"17"_s << u"Uyar: Hatalı Tarih Girişi"_s;
        QTest::newRow("range 01") << 17 << u"01"_s << wrong;
        QTest::newRow("number 08")
            << 14 << u"08"_s << u"Uyarı: Bu Tarihler Arasında Gönderilmiş SMS Bulunamadı"_s;
        QTest::newRow("number 04") << 14 << u"04"_s << wrong;
        QTest::newRow("package server error")
            << 11 << u"500:"_s
            << u"Uyarı: Bağlantı Hatası! İnternete Bağlı Olmadan Rapor Görüntüleyemezsiniz\r\n"
               u"İnternet bağlantınızı denetleyen bir güvenlik uygulaması Parlex'in internete "
               u"çıkışını engelliyor olabilir."_s;
        QTest::newRow("range, a word")
            << 17 << u"NOT OK"_s
            << u"Uyarı:  Bir Hata Oluştu. Lütfen İnternet Bağlantınızı Kontrol EdinizRapor satırı "
               u"1 okunamıyor: \"NOT OK\"\r\nİnternete Bağlı Olmadan Rapor Güncelleyemezsiniz."_s;
        QTest::newRow("number, a word")
            << 14 << u"NOT OK\n"_s << u"Uyarı: 1Lütfen İnternet Bağlantınızı Kontrol Ediniz"_s;
        QTest::newRow("number, an error text, no line feed")
            << 14 << u"Error: 503 Service Unavailable"_s
            << u"Uyarı: 1Lütfen İnternet Bağlantınızı Kontrol Ediniz"_s;
        QTest::newRow("range server error")
            << 17 << u"500:Internal error"_s
            << u"Uyarı: İnternete Bağlı Olmadan Rapor Görüntüleyemezsiniz"_s;
    }
    void codeReplies() {
        QFETCH(int, action);
        QFETCH(QString, reply);
        QFETCH(QString, box);
        (*sim)->setFault(action, reply.startsWith(u"500:"_s)
                                     ? SimFault::http500(reply.mid(4).toStdString())
                                     : SimFault::reply(reply.toStdString()));
        const QDate day(2026, 12, 7);
        const ReportOutcome outcome = action == 11 ? RaporCek(u"1000001"_s, list)
                                      : action == 17
                                          ? RaporCek2(day, day, list)
                                          : NumberReport(u"5321234567"_s, day, day, list);
        QCOMPARE(boxes(), box);
        QCOMPARE(outcome.end, ReportOutcome::End::Failed);
        QVERIFY(list.isEmpty());
    }

    // A real package comes back with every number, from the simulator whose
    // lines end in LF or in CR LF; its number report lists the package.
    void roundTrip_data() {
        QTest::addColumn<bool>("crLf");
        QTest::newRow("LF") << false;
        QTest::newRow("CR LF") << true;
    }
    void roundTrip() {
        QFETCH(bool, crLf);
        sim->useCrLfLineEnds(crLf);
        const QString id = sendPackage({u"5321234560"_s, u"5321234567"_s, u"5321234568"_s});
        QCOMPARE(RaporCek(id, list).message, u"Rapor oluşturuldu."_s);
        QCOMPARE(rows(), u"5321234560 İletildi, 5321234567 Zaman Aşımı, 5321234568 Reddedildi"_s);
        const QDate today = QDate::currentDate();
        QCOMPARE(RaporCek2(today, today, list).counters.total, 3);
        QCOMPARE(NumberReport(u"5321234567"_s, today, today, list).counters.total, 1);
        QCOMPARE(list.gsmNo(0).toString(), id);
        QVERIFY(boxes().isEmpty());
    }

    // The status boxes choose the rows shown: none or all ticked show every
    // row, each box adds its state. The chart counts the states shown.
    void statusFilter_data() {
        QTest::addColumn<QString>("ticked"); // Beklemede İletildi Zaman Aşımı Reddedildi
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("charted"); // counts of the four states
        QTest::newRow("none") << u"0000"_s << u"0 1 3 5 2"_s << QString() << u"2 1 1 1"_s;
        QTest::newRow("all") << u"1111"_s << u"0 1 3 5 2"_s
                             << u"Durum = 'Beklemede' OR Durum = 'İletildi' OR Durum = 'Zaman "
                                u"Aşımı' OR Durum = 'Reddedildi'"_s
                             << u"2 1 1 1"_s;
        QTest::newRow("last only")
            << u"0001"_s << u"2"_s << u"Durum = 'Reddedildi'"_s << u"0 0 0 1"_s;
        QTest::newRow("delivered and timed out")
            << u"0110"_s << u"3 5"_s << u"Durum = 'İletildi' OR Durum = 'Zaman Aşımı'"_s
            << u"0 1 1 0"_s;
    }
    void statusFilter() {
        QFETCH(QString, ticked);
        QFETCH(QString, shown);
        QFETCH(QString, filter);
        QFETCH(QString, charted);
        (*sim)->setFault(11, SimFault::reply("a 5300000000 0\na 5300000001 1\na 5300000003 3\n"
                                             "a 5300000005 5\na 5300000002 2\n"));
        const ReportCounters counters = RaporCek(u"1"_s, list).counters;
        std::array<bool, 4> boxes{};
        for (int i = 0; i < 4; ++i)
            boxes[size_t(i)] = ticked[i] == u'1';
        list.setFilter(boxes);
        QStringList codes;
        for (qsizetype i = 0; i < list.rowCount(); ++i)
            codes << list.gsmNo(i).right(1).toString();
        QCOMPARE(codes.join(u' '), shown);
        QCOMPARE(StatusFilterText(boxes), filter);
        QStringList counts;
        for (const qint64 count : ShownStateCounts(counters, boxes))
            counts << QString::number(count);
        QCOMPARE(counts.join(u' '), charted);
    }

    // The status screen's last fourteen days: messages and SMS of the
    // packages delivered on each, a package whose SMS were not counted
    // (0) counted at its messages; midnight starts a day; packages before
    // the first day or after today are left out.
    void dailySends_data() {
        QTest::addColumn<QStringList>("packages"); // delivered at, messages, SMS
        QTest::addColumn<QString>("days");         // the days with packages: messages/SMS
        QTest::newRow("none") << QStringList() << QString();
        QTest::newRow("one day summed")
            << QStringList{u"05.03.2026 09:00:00 3 3"_s, u"05.03.2026 10:00:00 2 6"_s}
            << u"05.03 5/9"_s;
        QTest::newRow("SMS not counted")
            << QStringList{u"04.03.2026 12:00:00 4 0"_s, u"05.03.2026 12:00:00 2 5"_s}
            << u"04.03 4/4, 05.03 2/5"_s;
        QTest::newRow("midnight") << QStringList{u"03.03.2026 23:59:59 1 1"_s,
                                                 u"04.03.2026 00:00:00 2 2"_s}
                                  << u"03.03 1/1, 04.03 2/2"_s;
        QTest::newRow("first day kept, the one before left out")
            << QStringList{u"19.02.2026 23:59:59 1 1"_s, u"20.02.2026 00:00:00 2 3"_s}
            << u"20.02 2/3"_s;
        QTest::newRow("today to its last second, tomorrow left out")
            << QStringList{u"05.03.2026 23:59:59 1 2"_s, u"06.03.2026 00:00:00 4 4"_s}
            << u"05.03 1/2"_s;
    }
    void dailySends() {
        QFETCH(QStringList, packages);
        QFETCH(QString, days);
        OpenDatabase();
        for (const QString& package : packages) {
            const QStringList p = package.split(u' ');
            ExecuteSql(u"INSERT INTO tbl_giden_txt (msgid,gtarih,paket_boyut,sms_sayisi) "
                       u"VALUES ('1','%1 %2',%3,%4)"_s.arg(p[0], p[1], p[2], p[3]));
        }
        const QList<DaySends> figures = ReadDailySends(QDate(2026, 3, 5));
        QCOMPARE(figures.size(), 14);
        QStringList shown;
        for (qsizetype i = 0; i < figures.size(); ++i) {
            QCOMPARE(figures[i].day, QDate(2026, 2, 20).addDays(i));
            if (figures[i].messages || figures[i].sms)
                shown << figures[i].day.toString(u"dd.MM"_s) +
                             u" %1/%2"_s.arg(figures[i].messages).arg(figures[i].sms);
        }
        QCOMPARE(shown.join(u", "_s), days);
    }

    // A reply of megabytes lets the window breathe while it becomes text,
    // at least once a megabyte, not only once it is in hand; every line
    // is listed all the same.
    void longReplyBreathes_data() {
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("line");
        QTest::newRow("package") << 11 << u"1000001 5321234567 3\n"_s;
        QTest::newRow("date range") << 17 << u"1000001 5321234567 3\n"_s;
        QTest::newRow("GSM number") << 14 << u"1000001 2027-03-05 14:30\n"_s;
    }
    void longReplyBreathes() {
        QFETCH(int, action);
        QFETCH(QString, line);
        const QString reply = line.repeated(200000);
        (*sim)->setFault(action, SimFault::reply(reply.toStdString()));
        const QString fetching = u"Raporunuz Mesaj Merkezinden Çekiliyor...Lütfen Bekleyiniz."_s;
        qsizetype breaths = 0;
        ui().onYield = [&] {
            breaths += ui().statusTexts.back() == fetching;
        };
        const QDate day(2027, 3, 5);
        const ReportOutcome outcome = action == 11 ? RaporCek(u"1000001"_s, list)
                                      : action == 17
                                          ? RaporCek2(day, day, list)
                                          : NumberReport(u"5321234567"_s, day, day, list);
        QCOMPARE(list.totalCount(), 200000);
        QCOMPARE(outcome.end, ReportOutcome::End::Listed);
        QVERIFY2(breaths >= 2 + reply.size() / (1 << 20), qPrintable(QString::number(breaths)));
    }

    // Only a ten-digit number starting with 5 is asked about.
    void numberRefused_data() {
        QTest::addColumn<QString>("number");
        QTest::newRow("11 characters from 0") << u"05321234567"_s;
        QTest::newRow("10 characters from 4") << u"4321234567"_s;
        QTest::newRow("a letter") << u"532123456a"_s;
    }
    void numberRefused() {
        QFETCH(QString, number);
        const QDate day(2026, 12, 7);
        QCOMPARE(NumberReport(number, day, day, list).end, ReportOutcome::End::Refused);
        QCOMPARE(boxes(), u"Uyarı: GSMNo Alanını Kontrol Ediniz"_s);
        QCOMPARE((*sim)->requestCount(), 0);
    }

    // The message text: one message under the singular heading, several
    // numbered under the plural one; a reply without one is a failure.
    void messageText_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("box");
        const QString head =
            u"Parlex: 1000001 mesaj paketindeki 5321234567 numaralı GSM hattına "_s;
        QTest::newRow("one") << u"<r><Message><msgbody>Merhaba</msgbody></Message></r>"_s
                             << head + u"giden mesaj :\r\n\r\nMerhaba"_s;
        QTest::newRow("two") << u"<r><msgbody>Bir</msgbody><msgbody>İki</msgbody></r>"_s
                             << head +
                                    u"giden mesajlar :\r\n\r\nMesaj 1 : Bir\r\nMesaj 2 : İki\r\n"_s;
        QTest::newRow("none") << u"<r/>"_s
                              << u"Uyarı: Bağlantı Hatası! Mesaj merkezine bağlanılamıyor"_s;
    }
    void messageText() {
        QFETCH(QString, reply);
        QFETCH(QString, box);
        (*sim)->setFault(15, SimFault::reply(reply.toStdString()));
        MesajGoster(u"5321234567"_s, u"1000001"_s, false);
        QCOMPARE(boxes(), box);
    }

    // An identifier or number holding XML's own characters reaches the
    // gateway as a value, not as broken markup.
    void requestValuesEscaped() {
        MesajGoster(u"5321234567"_s, u"1<2&3"_s, false);
        const auto requests = (*sim)->requests();
        QCOMPARE(requests.size(), size_t(1));
        QVERIFY(
            QByteArray::fromStdString(requests[0].body).contains("<MsgID>1&lt;2&amp;3</MsgID>"));
        QCOMPARE(boxes(), u"Uyarı: Bu Tarihler Arasında Gönderilmiş SMS Bulunamadı"_s);
    }
};

QTEST_GUILESS_MAIN(TestReports)
#include "tst_reports.moc"
