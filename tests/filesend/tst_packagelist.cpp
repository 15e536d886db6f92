#include <set>

#include <QtTest>

#include "core/DbRoutines.h"
#include "filesend/FileSubmission.h"
#include "filesend/PackageBuilder.h"
#include "support/DiskFaults.h"
#include "support/SimulatorFixture.h"
#include "support/TestEnvironment.h"
#include "support/Workbooks.h"
#include "textsource/RecordStream.h"

using namespace Qt::StringLiterals;

namespace {

// A data folder with liste.txt, the main account at the simulator.
struct World {
    TestEnvironment env;
    SimulatorFixture sim;
    QString folder = env.filePath(u"listeler"_s);

    PackageBuilder::Result build(const QByteArray& bytes, PackageList& list,
                                 const QString& templateText = u"Sayın [##ad##]"_s) {
        env.writeFile(u"listeler/liste.txt"_s, bytes);
        PackageBuilder builder({folder, u"liste.txt"_s, RuleTextFormat(u";"_s, u"E"_s), u";"_s});
        return builder.build(templateText, u"gsm"_s, list);
    }
    QStringList files() const { return QDir(folder).entryList(QDir::Files, QDir::Name); }
    QByteArray read(const QString& name) const {
        QFile f(QDir(folder).filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    Recordset packages() const {
        return OpenRecordset(u"SELECT msgtip,paket_boyut,kural,originator,gtarih,dosya_adi "
                             "FROM tbl_giden_txt"_s);
    }
};

const auto rows = TestEnvironment::numberedList;

} // namespace

Q_DECLARE_METATYPE(SimFault)

class TestPackageList : public QObject {
    Q_OBJECT

private slots:
    // The list as a user sees it: taking entries off keeps the others in
    // order, with their SMS, and the SMS total counts those left; a list
    // emptied entry by entry is empty and costs nothing.
    void removingEntriesKeepsTheRestInOrder() {
        PackageList list;
        for (int i = 0; i < 1000; ++i)
            list.append(QString::number(5000000000LL + i), u"m%1"_s.arg(i), 1 + i % 3);
        QCOMPARE(list.sms(), 1999);
        QVERIFY(list.removeAt(10));
        QVERIFY(list.removeAt(10));
        QVERIFY(list.removeAt(0));
        QCOMPARE(list.size(), 997);
        QCOMPARE(list.sms(), 1999 - 2 - 3 - 1);
        QCOMPARE(list.message(0), u"m1"_s);
        QCOMPARE(list.message(9), u"m12"_s);
        QCOMPARE(list.parts(9), 1);
        QCOMPARE(list.number(996), u"5000000999"_s);
        QCOMPARE(list.parts(996), 1);
        while (!list.isEmpty())
            QVERIFY(list.removeAt(list.size() / 2));
        QVERIFY(!list.removeAt(0));
        QCOMPARE(list.added(), 1000);
        QCOMPARE(list.sms(), 0);
    }

    // Each entry carries the SMS its message is billed as, the operator's
    // five characters counted; the package is recorded with the SMS of the
    // entries that went.
    void eachEntryCountsItsSms_data() {
        QTest::addColumn<QString>("name"); // the message is the name alone
        QTest::addColumn<int>("parts");
        QTest::newRow("155 letters") << QString(155, u'a') << 1;
        QTest::newRow("156 letters") << QString(156, u'a') << 2;
        QTest::newRow("a lira sign in 65") << u"₺"_s + QString(64, u'a') << 1;
        QTest::newRow("a lira sign in 66") << u"₺"_s + QString(65, u'a') << 2;
        QTest::newRow("a euro sign in 154") << u"€"_s + QString(153, u'a') << 1;
        QTest::newRow("a euro sign in 155") << u"€"_s + QString(154, u'a') << 2;
    }
    void eachEntryCountsItsSms() {
        QFETCH(QString, name);
        QFETCH(int, parts);
        World w;
        PackageList list;
        const QByteArray file =
            "gsm;ad\r\n5321234567;" + name.toUtf8() + "\r\n5321234568;kisa\r\n5321234569;x\r\n";
        QCOMPARE(w.build(file, list, u"[##ad##]"_s), PackageBuilder::Result::Built);
        QCOMPARE(list.parts(0), parts);
        QCOMPARE(list.parts(1), 1);
        QCOMPARE(list.sms(), parts + 2);
        list.removeAt(2);
        QVERIFY(SendPackageList(list, {u"liste.txt"_s, u"ACME"_s, {}}).accepted);
        Recordset rs = OpenRecordset(u"SELECT paket_boyut, sms_sayisi FROM tbl_giden_txt"_s);
        QCOMPARE(rs.value(0).toInt(), 2);
        QCOMPARE(rs.value(1).toInt(), parts + 1);
    }

    // The same mobile number written three ways, and a fixed-line number.
    void numbersInThreeFormsAndAFixedLine() {
        World w;
        PackageList list;
        const QByteArray file = "gsm;ad\r\n05321234567;Ali\r\n+90 532 123 45 67;Ay\xFE"
                                "e\r\n2121234567;Veli \xFE\r\n";
        QCOMPARE(w.build(file, list), PackageBuilder::Result::Built);
        QCOMPARE(list.size(), 2);
        QCOMPARE(list.number(0), u"5321234567"_s);
        QCOMPARE(list.number(1), u"5321234567"_s);
        QCOMPARE(list.message(1), u"Sayin Ayse"_s);
        QCOMPARE(w.files(), QStringList({u"h01_liste.txt"_s, u"liste.txt"_s}));
        // The row as it was, no header, CR LF, in the file's own encoding.
        QCOMPARE(w.read(u"h01_liste.txt"_s), QByteArray("2121234567;Veli \xFE\r\n"));
    }

    // 160 characters go, 161 are too long, with or without a number; an
    // h01_ file from an earlier run is kept and the new one named beside it.
    void longMessagesAndEarlierRejectFiles() {
        World w;
        w.env.writeFile(u"listeler/h01_liste.txt"_s, "eski");
        PackageList list;
        const QByteArray a160(154, 'a'); // "Sayın " is 6
        const QByteArray file = "gsm;ad\r\n5321234567;" + a160 + "\r\n5321234567;" + a160 +
                                "b\r\n;" + a160 + "b\r\n;kisa\r\n";
        QCOMPARE(w.build(file, list), PackageBuilder::Result::Built);
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.message(0).size(), 160);
        QCOMPARE(w.files(), QStringList({u"h01_liste(1).txt"_s, u"h01_liste.txt"_s,
                                         u"h02_liste.txt"_s, u"h03_liste.txt"_s, u"liste.txt"_s}));
        QCOMPARE(w.read(u"h01_liste.txt"_s), QByteArray("eski"));
        QCOMPARE(w.read(u"h02_liste.txt"_s), "5321234567;" + a160 + "b\r\n");
    }

    // A workbook's chosen sheet builds the list as a data file does; its
    // rows that cannot go are kept in workbooks beside it, under its header
    // row when it has one.
    void workbookSheetBuildsTheList_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("sheet");
        QTest::addColumn<bool>("header");
        QTest::newRow(".xlsx, its second sheet, a header row") << "liste.xlsx" << 1 << true;
        QTest::newRow(".ods, its first sheet, no header row") << "liste.ods" << 0 << false;
    }
    void workbookSheetBuildsTheList() {
        QFETCH(QString, name);
        QFETCH(int, sheet);
        QFETCH(bool, header);
        World w;
        const QString longName(155, u'x'); // "Sayın " makes 161
        SheetRows customers{{5321234567LL, u"Ayşe"_s},
                            {u"0532 123 45 67"_s, u"Ali"_s},
                            {QVariant(), u"Numarasız"_s},
                            {5331234567LL, longName},
                            {QVariant(), longName}};
        if (header)
            customers.prepend({u"gsm"_s, u"ad"_s});
        Sheets sheets{{u"Müşteriler"_s, customers}};
        sheets.insert(sheet == 0 ? 1 : 0,
                      std::pair(u"Eski"_s, SheetRows{{5339999999LL, u"Eski"_s}}));
        QVERIFY(QDir().mkpath(w.folder));
        if (name.endsWith(u".ods"_s))
            WriteOds(w.folder + '/' + name, sheets);
        else
            WriteXlsx(w.folder + '/' + name, sheets);

        TextFormat format = RuleTextFormat(QString(), header ? u"E"_s : u"H"_s);
        PackageBuilder builder({w.folder, name, format, u";"_s, sheet});
        PackageList list;
        QCOMPARE(builder.build(header ? u"Sayın [##ad##]"_s : u"Sayın [##F2##]"_s,
                               header ? u"gsm"_s : u"F1"_s, list),
                 PackageBuilder::Result::Built);
        QCOMPARE(list.size(), 2);
        QCOMPARE(list.message(0), u"Sayin Ayse"_s);
        QCOMPARE(list.number(1), u"5321234567"_s);
        QCOMPARE(builder.accepted(), 2);
        QCOMPARE(builder.noNumber(), 1);
        QCOMPARE(builder.tooLong(), 1);
        QCOMPARE(builder.noNumberTooLong(), 1);
        QCOMPARE(w.files(), QStringList({u"h01_liste.xlsx"_s, u"h02_liste.xlsx"_s,
                                         u"h03_liste.xlsx"_s, name}));
        const QStringList names = header ? QStringList{u"gsm;ad"_s} : QStringList();
        QCOMPARE(SheetLines(w.folder + u"/h01_liste.xlsx"_s), names + QStringList{u";Numarasız"_s});
        QCOMPARE(SheetLines(w.folder + u"/h03_liste.xlsx"_s), names + QStringList{';' + longName});
    }

    // A commercial package leaves out the numbers on the opt-out list (h04_),
    // one message per number a number's later rows (h05_), each after the
    // row's own tests; a number counts the same however it is written.
    void policyLeavesRowsOut_data() {
        QTest::addColumn<bool>("commercial");
        QTest::addColumn<bool>("unique");
        QTest::addColumn<QString>("listed"); // on the opt-out list
        QTest::addColumn<QStringList>("queued");
        QTest::addColumn<QList<int>>("counts"); // h01 to h05

        const QString a = u"5321234567"_s, b = u"5337654321"_s;
        QTest::newRow("neither") << false << false << a << QStringList{a, a, b, a}
                                 << QList<int>{1, 1, 0, 0, 0};
        QTest::newRow("commercial, three forms of a listed number")
            << true << false << a << QStringList{b} << QList<int>{1, 1, 0, 3, 0};
        QTest::newRow("one per number")
            << false << true << b << QStringList{a, b} << QList<int>{1, 1, 0, 0, 2};
        // B's too long row is h02 before it could be h04.
        QTest::newRow("both") << true << true << b << QStringList{a} << QList<int>{1, 1, 0, 1, 2};
    }
    void policyLeavesRowsOut() {
        QFETCH(bool, commercial);
        QFETCH(bool, unique);
        QFETCH(QString, listed);
        QFETCH(QStringList, queued);
        QFETCH(QList<int>, counts);
        World w;
        ExecuteSql(u"INSERT INTO tbl_ret (numara,kaynak) VALUES ('%1','elle')"_s.arg(listed));
        const QByteArray longName(155, 'x'); // "Sayın " makes 161
        w.env.writeFile(u"listeler/liste.txt"_s, "gsm;ad\r\n05321234567;Ali\r\n5337654321;" +
                                                     longName +
                                                     "\r\n+90 (532) 123 45 67;Ay\xFE"
                                                     "e\r\n2121234567;Sabit\r\n5337654321;"
                                                     "Can\r\n532.123.45.67;Veli\r\n");
        PackageBuilder builder({w.folder, u"liste.txt"_s, RuleTextFormat(u";"_s, u"E"_s), u";"_s});
        builder.policy = {commercial, unique};
        PackageList list;
        QCOMPARE(builder.build(u"Sayın [##ad##]"_s, u"gsm"_s, list), PackageBuilder::Result::Built);
        QStringList numbers;
        list.forEach([&](QStringView number, QStringView) { numbers << number.toString(); });
        QCOMPARE(numbers, queued);
        QCOMPARE((QList<int>{builder.noNumber(), builder.tooLong(), builder.noNumberTooLong(),
                             builder.optedOut(), builder.repeated()}),
                 counts);
        // Each left-out row as it was, in its own file; none left empty.
        QStringList files{u"liste.txt"_s, u"h01_liste.txt"_s, u"h02_liste.txt"_s};
        if (counts[3])
            files << u"h04_liste.txt"_s;
        if (counts[4])
            files << u"h05_liste.txt"_s;
        files.sort();
        QCOMPARE(w.files(), files);
        if (commercial && !unique)
            QCOMPARE(w.read(u"h04_liste.txt"_s),
                     QByteArray("05321234567;Ali\r\n+90 (532) 123 45 67;Ay\xFE"
                                "e\r\n532.123.45.67;Veli\r\n"));
        if (unique && !commercial)
            QCOMPARE(w.read(u"h05_liste.txt"_s), QByteArray("+90 (532) 123 45 67;Ay\xFE"
                                                            "e\r\n532.123.45.67;Veli\r\n"));
        const QStringList said = w.env.logLines().filter(u"pakete alınmadı"_s);
        QCOMPARE(said.size(), counts[3] + counts[4] > 0 ? 1 : 0);
        if (counts[3] && counts[4])
            QCOMPARE(said.front(), u"[DosyadanSMS] liste.txt dosyasında ret listesindeki "
                                   "numaralara ait 1 satır (h04_) ve aynı numarayı tekrarlayan 2 "
                                   "satır (h05_) pakete alınmadı."_s);
    }

    // A long file's numbers met are given room once its first rows tell
    // its length: numbers met before the room was given, and after it is
    // outgrown, are still caught, and every message goes to its own row's
    // number.
    void repeatsCaughtThroughLongFile() {
        World w;
        QByteArray text = "gsm;ad;not\r\n";
        std::set<int> met;
        QStringList queued;
        int repeats = 0;
        for (int row = 0; row < 3000; ++row) {
            const int n = (row * 7919) % 1700; // some numbers again, far apart
            const QByteArray number = "53" + QByteArray::number(10000000 + n);
            if (met.insert(n).second)
                queued << QString::fromLatin1(number + ' ' + QByteArray::number(row));
            else
                ++repeats;
            // Long first rows: the file looks shorter than it is.
            text += number + ';' + QByteArray::number(row) + ';' +
                    QByteArray(row < 300 ? 200 : 1, 'x') + "\r\n";
        }
        w.env.writeFile(u"listeler/liste.txt"_s, text);
        PackageBuilder builder({w.folder, u"liste.txt"_s, RuleTextFormat(u";"_s, u"E"_s), u";"_s});
        builder.policy = {false, true};
        PackageList list;
        QCOMPARE(builder.build(u"[##ad##]"_s, u"gsm"_s, list), PackageBuilder::Result::Built);
        QCOMPARE(builder.repeated(), repeats);
        QStringList sent;
        list.forEach([&](QStringView number, QStringView message) {
            sent << number.toString() + u' ' + message.toString();
        });
        QCOMPARE(sent, queued);
    }

    // The list is kept between packages only while nobody changes it: a
    // number taken off here, or put on by another program (parlex-cli
    // optout), counts from the next package on.
    void optOutListChangesReachTheNextPackage() {
        World w;
        const auto built = [&w] {
            PackageBuilder builder(
                {w.folder, u"liste.txt"_s, RuleTextFormat(u";"_s, u"E"_s), u";"_s});
            builder.policy = {true, false};
            PackageList list;
            builder.build(u"x"_s, u"gsm"_s, list);
            QStringList numbers;
            list.forEach([&](QStringView number, QStringView) { numbers << number.toString(); });
            return numbers;
        };
        w.env.writeFile(u"listeler/liste.txt"_s, "gsm\r\n5321234567\r\n5337654321\r\n");
        ExecuteSql(u"INSERT INTO tbl_ret (numara,kaynak) VALUES ('5321234567','elle')"_s);
        QCOMPARE(built(), QStringList{u"5337654321"_s});
        ExecuteSql(u"DELETE FROM tbl_ret WHERE numara = '5321234567'"_s);
        QCOMPARE(built(), (QStringList{u"5321234567"_s, u"5337654321"_s}));
        Database other;
        other.open(DatabasePath());
        other.execute(u"INSERT INTO tbl_ret (numara,kaynak) VALUES ('5337654321','komut')"_s);
        QCOMPARE(built(), QStringList{u"5321234567"_s});
    }

    // Every message of a commercial package carries the refusal line, which
    // counts in its length; without one set, the builder says so.
    void commercialPackageCarriesTheRefusalLine_data() {
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<bool>("commercial");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("lacking");
        const QString r = u"Ret için RET yazıp 4609'a gönderin"_s;
        const QString sent = u"Sayin Ali Ret icin RET yazip 4609'a gonderin"_s;
        QTest::newRow("set") << r << true << QStringList{sent} << false;
        QTest::newRow("not commercial")
            << r << false << QStringList{u"Sayin Ali"_s, u"Sayin "_s + QString(144, u'x')} << false;
        QTest::newRow("none set") << QString() << true
                                  << QStringList{u"Sayin Ali"_s, u"Sayin "_s + QString(144, u'x')}
                                  << true;
    }
    void commercialPackageCarriesTheRefusalLine() {
        QFETCH(QString, refusal);
        QFETCH(bool, commercial);
        QFETCH(QStringList, messages);
        QFETCH(bool, lacking);
        World w;
        SetParam(u"ret_metni"_s, refusal);
        // 150 characters: too long with the line.
        w.env.writeFile(u"listeler/liste.txt"_s,
                        "gsm;ad\r\n5321234567;Ali\r\n5337654321;" + QByteArray(144, 'x') + "\r\n");
        PackageBuilder builder({w.folder, u"liste.txt"_s, RuleTextFormat(u";"_s, u"E"_s), u";"_s});
        builder.policy = {commercial, false};
        PackageList list;
        QCOMPARE(builder.build(u"Sayın [##ad##]"_s, u"gsm"_s, list), PackageBuilder::Result::Built);
        QStringList built;
        list.forEach([&](QStringView, QStringView message) { built << message.toString(); });
        QCOMPARE(built, messages);
        QCOMPARE(builder.tooLong(), 2 - int(messages.size()));
        QCOMPARE(builder.lacksRefusalLine(), lacking);
    }

    void emptyFileLeavesNothingBehind() {
        World w;
        PackageList list;
        QCOMPARE(w.build("gsm;ad\r\n", list), PackageBuilder::Result::Empty);
        QVERIFY(list.isEmpty());
        QCOMPARE(w.files(), QStringList({u"liste.txt"_s}));
        QVERIFY(
            w.env.logLines().contains(u"[DosyadanSMS] liste.txt dosyada kayıt bulunamadı..."_s));
    }

    // A file that breaks off half-way is not sent in part.
    void fileBrokenOffHalfWay() {
        World w;
        PackageList list;
        QByteArray file = rows(40) + ";yok\r\n";
        file += QByteArray(RecordStream::MaxRecordLength + 10, 'x');
        QCOMPARE(w.build(file, list), PackageBuilder::Result::Unreadable);
        QVERIFY(list.isEmpty());
        QCOMPARE(w.files(), QStringList({u"liste.txt"_s}));
    }

    // Rows that are not sent must be kept: with no room beside the file, the
    // list is not made.
    void rejectRowsWithoutRoomStopTheList() {
        World w;
        QByteArray file = rows(2);
        for (int i = 0; i < 12000; ++i)
            file += "2121234567;" + QByteArray(100, 'x') + "\r\n";
        w.env.writeFile(u"listeler/liste.txt"_s, file);
        PackageList list;
        PackageBuilder::Result result;
        QString error;
        {
            const FileSizeLimit full(1024 * 1024);
            PackageBuilder builder(
                {w.folder, u"liste.txt"_s, RuleTextFormat(u";"_s, u"E"_s), u";"_s});
            result = builder.build(u"Sayın [##ad##]"_s, u"gsm"_s, list);
            error = builder.errorString();
        }
        QCOMPARE(result, PackageBuilder::Result::RejectsNotWritten);
        QVERIFY(list.isEmpty());
        QCOMPARE(w.files(), QStringList({u"liste.txt"_s}));
        QCOMPARE(error, u"liste.txt dosyasının red satırları h01_liste.txt dosyasına yazılamadı: "
                        "dosya bu disk için çok büyük. Satırlar kaybolmasın diye paket "
                        "gönderilmiyor."_s);
    }

    // The credit is compared with the messages actually queued, and the
    // package row counts them: entries taken off the list are not sent.
    void creditAndPackageSizeCountTheListAsSent_data() {
        QTest::addColumn<int>("built");
        QTest::addColumn<int>("removed");
        QTest::addColumn<bool>("sent");
        QTest::newRow("100 of 100") << 100 << 0 << true;
        QTest::newRow("101 of 100") << 101 << 0 << false;
        QTest::newRow("101, one taken off") << 101 << 1 << true;
    }
    void creditAndPackageSizeCountTheListAsSent() {
        QFETCH(int, built);
        QFETCH(int, removed);
        QFETCH(bool, sent);
        World w;
        w.sim->setCredit(SimulatorFixture::MainUser, 100);
        PackageList list;
        QCOMPARE(w.build(rows(built), list), PackageBuilder::Result::Built);
        for (int i = 0; i < removed; ++i)
            list.removeAt(0);
        const FileSendResult result = SendPackageList(list, {u"liste.txt"_s, u"ACME"_s, {}});
        QCOMPARE(result.accepted, sent);
        QCOMPARE(w.sim->packageCount(), sent ? 1 : 0);
        Recordset rs = w.packages();
        QCOMPARE(rs.recordCount(), sent ? 1 : 0);
        if (sent) {
            QCOMPARE(w.sim->packages().front().messageCount, size_t(built - removed));
            QCOMPARE(rs.value(u"paket_boyut"_s).toInt(), built - removed);
            QCOMPARE(rs.text(u"msgtip"_s), u"Dosyadan gönderim"_s);
            QCOMPARE(rs.value(u"kural"_s).toInt(), 1);
            QCOMPARE(rs.text(u"originator"_s), u"ACME"_s);
        } else {
            QVERIFY(w.env.logLines().contains(
                u"[DosyadanSMS] liste.txt mesaj paketi gönderilemedi. Yetersiz kredi miktarı."_s));
        }
    }

    // Scheduled for the fifth of a month at 14:30.
    void scheduledDelivery() {
        World w;
        PackageList list;
        w.build(rows(2), list);
        const QDateTime when(QDate(2027, 3, 5), QTime(14, 30, 17));
        QVERIFY(SendPackageList(list, {u"liste.txt"_s, u"PARLEX"_s, when}).accepted);
        QCOMPARE(w.sim->packages().front().sendDate, std::string("050320271430"));
        QCOMPARE(w.packages().value(u"gtarih"_s).toDateTime(),
                 QDateTime(QDate(2027, 3, 5), QTime(14, 30)));
    }

    // Nothing unaccepted is recorded, and the box says what became of it: a
    // package that may have reached the gateway sends the user to the reports
    // before sending again; a refusal with no text of its own still tells.
    void unacceptedPackageIsNotRecorded_data() {
        QTest::addColumn<SimFault>("fault");
        QTest::addColumn<QString>("box");
        QTest::newRow("reply lost")
            << SimFault::close(true)
            << u"liste.txt mesaj paketinin gönderim sonucu bilinmiyor: yanıt alınamadı (Empty "
               u"reply "
               "from server). Paket mesaj merkezine ulaşmış olabilir; yeniden göndermeden önce "
               "mesaj merkezindeki raporları kontrol edin."_s;
        QTest::newRow("a word") << SimFault::reply("FAILED")
                                << u"liste.txt mesaj paketinin gönderim sonucu bilinmiyor: mesaj "
                                   "merkezinin yanıtı \"FAILED\". Paket mesaj merkezine ulaşmış "
                                   "olabilir; yeniden göndermeden önce mesaj merkezindeki "
                                   "raporları kontrol edin."_s;
        QTest::newRow("09") << SimFault::reply("09")
                            << u"liste.txt mesaj paketi gönderilemedi. Hata kodu : 09"_s;
    }
    void unacceptedPackageIsNotRecorded() {
        QFETCH(SimFault, fault);
        QFETCH(QString, box);
        World w;
        PackageList list;
        w.build(rows(3), list);
        w.sim->setFault(1, fault);
        QVERIFY(!SendPackageList(list, {u"liste.txt"_s, u"PARLEX"_s, {}}).accepted);
        QCOMPARE(w.packages().recordCount(), 0);
        QCOMPARE(w.env.ui().boxes.back().text, box);
    }
};

QTEST_GUILESS_MAIN(TestPackageList)
#include "tst_packagelist.moc"
