#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>

#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "core/PendingRecords.h"
#include "rules/RuleRunner.h"
#include "rules/RunnerSteps.h"
#include "spreadsheet/ExcelExport.h"
#include "support/DiskFaults.h"
#include "support/RunnerWorld.h"
#include "support/Workbooks.h"
#include "textsource/PackagePolicy.h"

using namespace Qt::StringLiterals;

namespace {

const QString P = QStringLiteral("[Borç] ");
const QByteArray OneRow = "gsm;ad;tutar\n5321234567;A;1\n";

// A workbook of customers as a spreadsheet program saves it.
QByteArray Customers(const QString& suffix, bool header = true) {
    SheetRows rows;
    if (header)
        rows << QVariantList{u"gsm"_s, u"ad"_s, u"tutar"_s};
    rows << QVariantList{5321234567LL, u"Ayşe"_s, 150.5}
         << QVariantList{QVariant(), u"Numarasız"_s, 40.0}
         << QVariantList{u"0533 765 43 21"_s, QString(140, u'x'), 30.0};
    return WorkbookBytes(suffix, {{u"Sayfa1"_s, rows}});
}

bool noRoom(const QString&, const QString&, QString* error) {
    *error = u"diskte yer kalmadı"_s;
    return false;
}

} // namespace

Q_DECLARE_METATYPE(SimFault)

class TestRuleRunner : public QObject {
    Q_OBJECT

private slots:
    void oneFileEndToEnd_data();
    void oneFileEndToEnd();
    void smsCounted_data();
    void smsCounted();
    void commercialAndUniqueRules_data();
    void commercialAndUniqueRules();
    void commercialWaitsForItsList();
    void allRowsRejectedSendsNothing();
    void workbookSentWithRejectWorkbooks_data();
    void workbookSentWithRejectWorkbooks();
    void workbookNotWhole_data();
    void workbookNotWhole();
    void rejectWorkbookNotWrittenHoldsThePackage();
    void failedSubmissionKeepsOrSetsAsideTheFile_data();
    void failedSubmissionKeepsOrSetsAsideTheFile();
    void switchedOffDuringPass();
    void emptyAndUnreadableFiles_data();
    void emptyAndUnreadableFiles();
    void unopenableNamesAreLoggedOnce_data();
    void unopenableNamesAreLoggedOnce();
    void onlySettledListsAreTaken();
    void missingFolderSkipsOnlyItsRule();
    void sentFileThatCannotMoveIsNeverSentAgain();
    void fullOutgoingDiskOnAnotherFileSystem();
    void rejectRowsNoFolderTakesHoldThePackage_data();
    void rejectRowsNoFolderTakesHoldThePackage();
    void longNamesKeepTheirRejectRows_data();
    void longNamesKeepTheirRejectRows();
    void replacedFileIsSentAsNew();
    void acceptedPackageRecordedWhenDatabaseRefuses();
    void leftoversOfAKilledPassAreRemoved_data();
    void leftoversOfAKilledPassAreRemoved();
    void unattendedFailuresAreLogLines();
    void fileDatedAheadWaitsUntilStill();
};

void TestRuleRunner::oneFileEndToEnd_data() {
    QTest::addColumn<QString>("header");
    QTest::newRow("with header line") << "E";
    QTest::newRow("without header line") << "H";
}

void TestRuleRunner::oneFileEndToEnd() {
    QFETCH(QString, header);
    RunnerWorld w(header);
    const QByteArray cols = header == QLatin1String("E") ? "gsm;ad;tutar\r\n" : "";
    // Windows-1254, as a Turkish Windows program writes it: "Şükrü Işık".
    const QByteArray noNumber = ";\xDE\xFC\x6B\x72\xFC \x49\xFE\xFD\x6B;20";
    // Written back as the file has it: the leading zero and the decimals stay.
    const QByteArray fixedLine = "02121234567;F;6,50";
    // 23 characters around the name: a 138-character name makes 161.
    const QByteArray tooLong = "5331234567;" + QByteArray(138, 'x') + ";30";
    const QByteArray both = ";" + QByteArray(138, 'x') + ";30";
    const QByteArray list = cols + "05321234567;Ali;10\r\n5331234567;Ay\xFE" + "e;\r\n" + noNumber +
                            "\r\n" + fixedLine + "\r\n" + tooLong + "\r\n" + both + "\r\n";
    const QString name = QStringLiteral("Ali'nin.txt");
    w.sim->setCredit(SimulatorFixture::MainUser, 2); // exactly the package's size
    w.drop(name, list);
    OtoMesaj();

    QCOMPARE(w.sim->packageCount(), 1);
    const std::string id = w.sim->packages()[0].id;
    QCOMPARE(w.sim->packages()[0].originator, std::string("PARLEX"));
    const auto messages = w.sim->packageMessages(id);
    QCOMPARE(messages.size(), size_t(2));
    QCOMPARE(messages[0].number + ' ' + messages[0].text,
             std::string("5321234567 Sayin Ali, borcunuz 10 TL."));
    QCOMPARE(messages[1].number + ' ' + messages[1].text,
             std::string("5331234567 Sayin Ayse, borcunuz  TL."));

    // Rejected rows beside the moved file, in the file's own encoding.
    QCOMPARE(RunnerWorld::read(w.out + "/h01_" + name),
             cols + noNumber + "\r\n" + cols + fixedLine + "\r\n");
    QCOMPARE(RunnerWorld::read(w.out + "/h02_" + name), cols + tooLong + "\r\n");
    QCOMPARE(RunnerWorld::read(w.out + "/h03_" + name), cols + both + "\r\n");

    const QString msgid = QString::fromStdString(id);
    const QString line = P + name;
    QCOMPARE(w.env.logLines(), (QStringList{
                                   line + " dosyası açılıyor...",
                                   line + " dosyası için mesaj paketi oluşturuluyor...",
                                   line + " mesaj paketi gönderiliyor...",
                                   line + " mesaj paketi başarıyla gönderildi. MsgID : " + msgid,
                               }));
    Recordset row = OpenRecordset(QStringLiteral(
        "SELECT msgid,msgtip,gateway,paket_boyut,dosya_adi,kural,originator FROM tbl_giden_txt"));
    QStringList stored;
    for (int i = 0; i < row.fieldCount(); ++i)
        stored << row.text(i);
    QCOMPARE(stored, (QStringList{msgid, "Otomatik gönderim", "Parlex", "2", name,
                                  QString::number(w.rule.id), "PARLEX"}));

    // The same list again later is a new package, named apart on its way out.
    w.sim->setCredit(SimulatorFixture::MainUser, 2);
    w.drop(name, list);
    OtoMesaj();
    QCOMPARE(w.packageRows(), 2);
    QCOMPARE(RunnerWorld::files(w.in), QStringList{"Schema.ini"});
    QCOMPARE(RunnerWorld::files(w.out),
             (QStringList{"Ali'nin(1).txt", "Ali'nin.txt", "h01_Ali'nin(1).txt", "h01_Ali'nin.txt",
                          "h02_Ali'nin(1).txt", "h02_Ali'nin.txt", "h03_Ali'nin(1).txt",
                          "h03_Ali'nin.txt"}));
}

// A package records the SMS it is billed as, the operator's code counted,
// and says so when that is not its message count; with the one-SMS option
// a dearer row goes with the over-long ones.
void TestRuleRunner::smsCounted_data() {
    QTest::addColumn<bool>("oneSms");
    QTest::addColumn<int>("messages");
    QTest::addColumn<int>("sms");
    QTest::newRow("counted") << false << 2 << 3;
    QTest::newRow("one SMS only") << true << 1 << 1;
}

void TestRuleRunner::smsCounted() {
    QFETCH(bool, oneSms);
    QFETCH(int, messages);
    QFETCH(int, sms);
    RunnerWorld w;
    SetParam(QStringLiteral("flg_tek_sms"), oneSms ? QStringLiteral("1") : QStringLiteral("0"));
    // 23 characters around the name: 133 make 156, two SMS with the code.
    const QByteArray dear = "5331234567;" + QByteArray(133, 'x') + ";30\n";
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n05321234567;Ali;10\n" + dear);
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    QCOMPARE(int(w.sim->packageMessages(w.sim->packages()[0].id).size()), messages);
    Recordset row =
        OpenRecordset(QStringLiteral("SELECT paket_boyut, sms_sayisi FROM tbl_giden_txt"));
    QCOMPARE(row.text(0) + u'/' + row.text(1),
             QString::number(messages) + u'/' + QString::number(sms));
    const QString note = P + QStringLiteral("liste.txt mesaj paketi: 2 mesaj, 3 SMS");
    QCOMPARE(w.env.logLines().contains(note), !oneSms);
    QCOMPARE(QFileInfo::exists(w.out + QStringLiteral("/h02_liste.txt")), oneSms);
}

// A rule's own policy: a commercial one reaches nobody on the opt-out
// list and ends every message with the refusal line, or logs that it has
// none; one message per number sends a number's first row only.
void TestRuleRunner::commercialAndUniqueRules_data() {
    QTest::addColumn<bool>("commercial");
    QTest::addColumn<bool>("unique");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QStringList>("sent");  // number and text
    QTest::addColumn<QStringList>("files"); // in the outgoing folder
    QTest::addColumn<QStringList>("said");  // besides the usual lines

    const QString ali = u"5321234567 Sayin Ali, borcunuz 10 TL."_s;
    const QString can = u"5337654321 Sayin Can, borcunuz 5 TL."_s;
    const QString r = u"Ret için RET yazıp 4609'a gönderin"_s;
    const QString left = P + u"liste.txt dosyasında "_s;
    QTest::newRow("neither") << false << false << r << QStringList{ali, ali, can}
                             << QStringList{u"liste.txt"_s} << QStringList();
    QTest::newRow("commercial") << true << false << r
                                << QStringList{can + u" Ret icin RET yazip 4609'a gonderin"_s}
                                << QStringList{u"h04_liste.txt"_s, u"liste.txt"_s}
                                << QStringList{left + u"ret listesindeki numaralara ait 2 satır "
                                                      "(h04_) pakete alınmadı."_s};
    QTest::newRow("commercial, no refusal line")
        << true << false << QString() << QStringList{can}
        << QStringList{u"h04_liste.txt"_s, u"liste.txt"_s}
        << QStringList{left + u"ret listesindeki numaralara ait 2 satır (h04_) pakete alınmadı."_s,
                       P + u"liste.txt: "_s + NoRefusalLineText};
    QTest::newRow("one per number")
        << false << true << r << QStringList{ali, can}
        << QStringList{u"h05_liste.txt"_s, u"liste.txt"_s}
        << QStringList{left + u"aynı numarayı tekrarlayan 1 satır (h05_) pakete alınmadı."_s};
}

void TestRuleRunner::commercialAndUniqueRules() {
    QFETCH(bool, commercial);
    QFETCH(bool, unique);
    QFETCH(QString, refusal);
    QFETCH(QStringList, sent);
    QFETCH(QStringList, files);
    QFETCH(QStringList, said);
    RunnerWorld w;
    w.rule.setPolicy({commercial, unique});
    UpdateRule(w.rule); // stored stopped
    SetRuleState(w.rule.id, RuleState::Running);
    SetParam(u"ret_metni"_s, refusal);
    ExecuteSql(u"INSERT INTO tbl_ret (numara,kaynak) VALUES ('5321234567','dosya')"_s);
    w.drop(u"liste.txt"_s, "gsm;ad;tutar\n05321234567;Ali;10\n+90 532 123 45 67;Ali;10\n"
                           "5337654321;Can;5\n");
    OtoMesaj();

    QCOMPARE(w.sim->packageCount(), 1);
    QStringList messages;
    for (const auto& m : w.sim->packageMessages(w.sim->packages()[0].id))
        messages << QString::fromStdString(m.number + ' ' + m.text);
    QCOMPARE(messages, sent);
    QCOMPARE(RunnerWorld::files(w.out), files);
    const QStringList usual{u"açılıyor"_s, u"oluşturuluyor"_s, u"gönderiliyor"_s, u"başarıyla"_s};
    QStringList others;
    for (const QString& line : w.env.logLines()) {
        if (std::none_of(usual.begin(), usual.end(),
                         [&](const QString& u) { return line.contains(u); }))
            others << line;
    }
    QCOMPARE(others, said);
}

// A commercial rule never sends past a list it cannot read: the file waits,
// said once, and goes once the list can be read again.
void TestRuleRunner::commercialWaitsForItsList() {
    RunnerWorld w;
    w.rule.setPolicy({true, false});
    UpdateRule(w.rule);
    SetRuleState(w.rule.id, RuleState::Running);
    ExecuteSql(u"ALTER TABLE tbl_ret RENAME TO tbl_ret_kayip"_s);
    w.drop(u"liste.txt"_s, "gsm;ad;tutar\n05321234567;Ali;10\n");
    OtoMesaj();
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 0);
    const QStringList lines = w.env.logLines();
    QCOMPARE(std::count_if(lines.begin(), lines.end(),
                           [](const QString& l) { return l.contains(u"ret listesi okunamadı"_s); }),
             1);
    ExecuteSql(u"ALTER TABLE tbl_ret_kayip RENAME TO tbl_ret"_s);
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
}

void TestRuleRunner::allRowsRejectedSendsNothing() {
    RunnerWorld w;
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n;A;1\n123;B;2\n");
    OtoMesaj();
    QCOMPARE(w.sim->requestCount(), 0);
    QCOMPARE(w.packageRows(), 0);
    QCOMPARE(RunnerWorld::files(w.out), (QStringList{"h01_liste.txt", "liste.txt"}));
    QCOMPARE(w.env.logLines().size(), 2); // opening and building, nothing sent
}

void TestRuleRunner::workbookSentWithRejectWorkbooks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QStringList>("amounts"); // 150.5, 40 and 30 as the sheet shows them
    QTest::addColumn<bool>("held");           // the outgoing folder comes back later

    const QStringList decimals{"150,50", "40,00", "30,00"};
    QTest::newRow(".xlsx with a header row") << "liste.xlsx"
                                             << "E" << decimals << false;
    QTest::newRow(".xlsx without") << "liste.xlsx"
                                   << "H" << decimals << false;
    // Numbers in the General format show as they are.
    QTest::newRow(".ods") << "liste.ods"
                          << "E" << QStringList{"150,5", "40", "30"} << false;
    QTest::newRow("rows held until the outgoing folder is back") << "liste.xlsx"
                                                                 << "E" << decimals << true;
}

void TestRuleRunner::workbookSentWithRejectWorkbooks() {
    QFETCH(QString, name);
    QFETCH(QString, header);
    QFETCH(QStringList, amounts);
    QFETCH(bool, held);

    RunnerWorld w(header);
    const bool withHeader = header == QLatin1String("E");
    w.drop(name, Customers(QFileInfo(name).suffix(), withHeader));
    if (held)
        QVERIFY(QDir(w.out).removeRecursively());
    OtoMesaj();
    if (held) {
        QVERIFY(QDir().mkpath(w.out));
        OtoMesaj();
    }

    QCOMPARE(w.sim->packageCount(), 1);
    const auto messages = w.sim->packageMessages(w.sim->packages()[0].id);
    QCOMPARE(messages.size(), size_t(1));
    QCOMPARE(QString::fromStdString(messages[0].number + ' ' + messages[0].text),
             "5321234567 Sayin Ayse, borcunuz " + amounts[0] + " TL.");
    // Workbooks under the workbook's name, each value as the sheet showed it.
    QCOMPARE(RunnerWorld::files(w.out), (QStringList{"h01_liste.xlsx", "h02_liste.xlsx", name}));
    const QStringList names = withHeader ? QStringList{"gsm;ad;tutar"} : QStringList();
    QCOMPARE(SheetLines(w.out + "/h01_liste.xlsx"),
             names + QStringList{";Numarasız;" + amounts[1]});
    // The first row on the first line, be it the header or a record.
    QVERIFY(WorkbookPart(w.out + "/h01_liste.xlsx", u"xl/worksheets/sheet1.xml"_s)
                .contains(R"(<row r="1")"));
    QCOMPARE(SheetLines(w.out + "/h02_liste.xlsx"),
             names + QStringList{"0533 765 43 21;" + QString(140, u'x') + ';' + amounts[2]});
    QCOMPARE(RunnerWorld::files(w.in), QStringList{"Schema.ini"});
    QVERIFY(!QFileInfo::exists(HeldRejectsFolder(w.rule, name)));
}

void TestRuleRunner::workbookNotWhole_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("said"); // how its one line starts, after the rule's name
    QTest::addColumn<int>("lines");    // after two passes

    const QByteArray whole = Customers(u"xlsx"_s);
    const QString waits =
        u"liste.xlsx dosyası henüz tamamlanmadı (GELEN/liste.xlsx: çalışma "
        "kitabı henüz yazılıyor (zip dizini yok)); tamamlandığında gönderilecek."_s;
    // Saved or copied in slowly: no zip directory at its end yet.
    QTest::newRow("half written") << whole.left(whole.size() / 2) << waits << 1;
    QTest::newRow("just begun") << QByteArray() << waits << 1;
    const QString unreadable = u"liste.xlsx dosyası okunamadı: GELEN/liste.xlsx: "_s;
    QTest::newRow("a data file under a workbook's name")
        << OneRow << unreadable + "bir çalışma kitabı değil" << 3;
    // The sheet's checksum in the directory, whose entry starts 46 bytes before its name.
    QByteArray broken = whole;
    broken[broken.lastIndexOf("xl/worksheets/sheet1.xml") - 46 + 16] ^= 0x55;
    QTest::newRow("its directory broken")
        << broken << unreadable + "çalışma kitabının xl/worksheets/sheet1.xml bölümü bozuk" << 3;
    // Good rows first, then a row meant to keep the program busy: nothing
    // of the file goes.
    QVariantList wide{5331234567LL, u"B"_s, 2};
    wide.resize(1500);
    wide << u"x"_s;
    const SheetRows rows{{u"gsm"_s, u"ad"_s, u"tutar"_s}, {5321234567LL, u"A"_s, 1}, wide};
    QTest::newRow("too wide further down") << WorkbookBytes(u"xlsx"_s, {{u"Sayfa1"_s, rows}})
                                           << unreadable + "1000 sütundan fazlası var" << 3;
}

void TestRuleRunner::workbookNotWhole() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, said);
    QFETCH(int, lines);

    RunnerWorld w;
    w.drop(u"liste.xlsx"_s, bytes);
    OtoMesaj();
    OtoMesaj();
    // Nothing sent, the file where it was, and its line said once.
    QCOMPARE(w.sim->requestCount(), 0);
    QCOMPARE(RunnerWorld::files(w.out), QStringList());
    QStringList logged = w.env.logLines();
    QCOMPARE(logged.size(), lines);
    said = P + said.replace(u"GELEN"_s, w.in);
    QVERIFY2(logged.filter(said.left(said.indexOf(u'('))).value(0).startsWith(said),
             qPrintable(logged.join(u'\n')));

    // Whole at last, it is sent once.
    w.drop(u"liste.xlsx"_s, Customers(u"xlsx"_s), 30);
    OtoMesaj();
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    QCOMPARE(RunnerWorld::files(w.out),
             (QStringList{"h01_liste.xlsx", "h02_liste.xlsx", "liste.xlsx"}));
}

void TestRuleRunner::rejectWorkbookNotWrittenHoldsThePackage() {
    RunnerWorld w;
    w.drop(u"liste.xlsx"_s, Customers(u"xlsx"_s));
    // Neither folder can take the finished workbook.
    gReplaceWorkbookFile = noRoom;
    OtoMesaj();
    OtoMesaj();
    gReplaceWorkbookFile = ReplaceFileDurably;
    QCOMPARE(w.sim->requestCount(), 0);
    QCOMPARE(RunnerWorld::files(w.out), QStringList());
    QCOMPARE(w.env.logLines().mid(2),
             QStringList{P + "liste.xlsx dosyasının red satırları ne giden klasörüne (diskte yer "
                             "kalmadı) ne program klasörüne (diskte yer kalmadı) yazılabildi. "
                             "Satırlar kaybolmasın diye paket gönderilmedi; dosya her kontrolde "
                             "yeniden denenecek."});
    QVERIFY(QFile::exists(w.in + "/liste.xlsx"));

    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    QCOMPARE(RunnerWorld::files(w.out),
             (QStringList{"h01_liste.xlsx", "h02_liste.xlsx", "liste.xlsx"}));
}

void TestRuleRunner::failedSubmissionKeepsOrSetsAsideTheFile_data() {
    QTest::addColumn<int>("action"); // the request that goes wrong; 0: no room for the record
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<QString>("logged"); // the pass's last line, after the file's name
    QTest::addColumn<QString>("status"); // the status bar's, when it gets one
    QTest::addColumn<bool>("setAside");  // outcome unknown: never submitted again

    const QString noCredit = QStringLiteral("mesaj paketi gönderilemedi. Yetersiz kredi miktarı.");
    const QString notSent = QStringLiteral("mesaj paketi gönderilemedi. ");
    const QString unknown = QStringLiteral("dosyasının gönderim sonucu bilinmiyor: ");
    const QString reply = unknown + QStringLiteral("mesaj merkezinin yanıtı ");
    QTest::newRow("credit one less")
        << 4 << SimFault::reply("1\nPARLEX\n") << noCredit << "" << false;
    QTest::newRow("credit not a number")
        << 4 << SimFault::reply("bol\nPARLEX\n") << noCredit << "" << false;
    QTest::newRow("wrong password")
        << 4 << SimFault::reply("01") << "kullanıcı bilgileri kontrol edilemiyor."
        << "Kullanıcı bilgileri kontrol edilemiyor. Mesaj gönderimi yapılamıyor." << false;
    QTest::newRow("no connection")
        << 4 << SimFault::close() << "kullanıcı bilgileri kontrol edilemiyor."
        << "Kullanıcı bilgileri kontrol edilemiyor. İnternet bağlantınız kapalı ya da bir "
           "güvenlik uygulaması denetiminde olabilir."
        << false;
    QTest::newRow("05") << 1 << SimFault::reply("05")
                        << notSent + "Mesaj merkeziyle bağlantı kurulamadı. Proxy Server veya "
                                     "Firewall kullanıyorsanız gerekli ayarları Yapmalısınız."
                        << "" << false;
    QTest::newRow("06") << 1 << SimFault::reply("06") << notSent + "Tanımsız Originator bilgisi."
                        << "" << false;
    QTest::newRow("proxy page") << 1 << SimFault::htmlPage()
                                << notSent + "Ağınız Proxy Sunucusu denetiminde olabilir."
                                << "" << false;
    // Refusals without a message of their own are held back too.
    QTest::newRow("13") << 1 << SimFault::reply("13") << notSent + "Hata kodu : 13"
                        << "" << false;
    QTest::newRow("lower-case html")
        << 1 << SimFault::reply("<html>hata</html>") << notSent + "Hata kodu : <html>hata</html>"
        << "" << false;
    // Nothing may leave before there is room to record it.
    QTest::newRow("no room for the record")
        << 0 << SimFault() << "mesaj paketi gönderilemedi: Kayıt dosyası için yer ayrılamadı"
        << "" << false;
    QTest::newRow("server error page") << 1 << SimFault::http500("Internal Server Error")
                                       << reply + "\"Internal Server Error\" (HTTP 500)"
                                       << "" << true;
    QTest::newRow("garbage") << 1 << SimFault::reply("00 !garbage") << reply + "\"00 !garbage\""
                             << "" << true;
    QTest::newRow("no identifier") << 1 << SimFault::reply("00") << reply + "\"00\""
                                   << "" << true;
    // A word from whatever answers in the gateway's place is no identifier.
    QTest::newRow("a word") << 1 << SimFault::reply("BAKIM") << reply + "\"BAKIM\""
                            << "" << true;
    QTest::newRow("reply lost after the package was taken")
        << 1 << SimFault::close(true) << unknown + "yanıt alınamadı (Empty reply from server)"
        << "" << true;
}

void TestRuleRunner::failedSubmissionKeepsOrSetsAsideTheFile() {
    QFETCH(int, action);
    QFETCH(SimFault, fault);
    QFETCH(QString, logged);
    QFETCH(QString, status);
    QFETCH(bool, setAside);

    RunnerWorld w;
    if (action == 0) // where no room can be set aside
        QCOMPARE(::mkfifo(QFile::encodeName(PendingRecords::filePath()).constData(), 0600), 0);
    else
        w.sim->setFault(action, fault);
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;A;1\n5331234567;B;2\n;C;3\n");
    OtoMesaj();

    // One line says what became of the file; an unknown outcome is set aside
    // in the same pass and never called a failure.
    const QStringList lines = w.env.logLines();
    QString expected = P + "liste.txt " + logged;
    if (setAside)
        expected += ". Dosya yeniden gönderilmeyecek, sonucu_belirsiz klasörüne alındı; mesaj "
                    "merkezindeki raporları kontrol edin.";
    QVERIFY2(lines.last().startsWith(expected), qPrintable(lines.last()));
    if (setAside)
        QCOMPARE(lines.filter(QStringLiteral("gönderilemedi")), QStringList());
    if (!status.isEmpty())
        QCOMPARE(w.env.ui().statusTexts.back(), P + status);
    QCOMPARE(w.packageRows(), 0);
    QCOMPARE(RunnerWorld::files(w.out), QStringList()); // reject files go with the file
    QCOMPARE(RunnerWorld::files(w.in + "/sonucu_belirsiz"),
             setAside ? QStringList{"liste.txt"} : QStringList());

    // Mended, the next pass sends a held file and never one set aside.
    w.sim->clearFaults();
    if (action == 0)
        QVERIFY(QFile::remove(PendingRecords::filePath()));
    const int submitted = w.sim->arrivedCount(1);
    OtoMesaj();
    QCOMPARE(w.sim->arrivedCount(1), setAside ? submitted : submitted + 1);
    QCOMPARE(w.packageRows(), setAside ? 0 : 1);
}

void TestRuleRunner::switchedOffDuringPass() {
    RunnerWorld w;
    w.drop(QStringLiteral("a.txt"), OneRow);
    w.drop(QStringLiteral("b.txt"), OneRow);
    // The user stops automatic sending while the first file is being built.
    w.env.ui().onYield = [] {
        if (GetParam(QStringLiteral("flg_parlex")) == QLatin1String("1") &&
            OpenRecordset(QStringLiteral("SELECT COUNT(*) FROM tbl_log_txt")).value(0).toInt() > 0)
            SetParam(QStringLiteral("flg_parlex"), QStringLiteral("0"));
    };
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    QCOMPARE(RunnerWorld::files(w.out), QStringList{"a.txt"});
    QCOMPARE(w.env.logLines().filter(QStringLiteral("b.txt")), QStringList());
}

void TestRuleRunner::emptyAndUnreadableFiles_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason"); // why it cannot be read, after the file's path
    QTest::addColumn<QByteArray>("changed");
    QTest::addColumn<int>("sentWhenChanged"); // messages
    QTest::newRow("empty file") << QByteArray() << QString() << QByteArray("x") << 0;
    const QByteArray notText("gsm;ad\0;tutar\n", 14);
    QTest::newRow("not text") << notText << " bir metin dosyası değil (0 baytı içeriyor)"
                              << notText + "x" << 0;
    // The next customers' rows must not go inside the first one's message.
    const QByteArray open = "gsm;ad;tutar\n5321000001;\"Ayse;x\n5321000002;B;2\n5321000003;C;3\n";
    QTest::newRow("quote left open")
        << open << ": 2. satırda kapanmayan tırnak" << QByteArray(open).replace(";x", "\";x") << 3;
}

void TestRuleRunner::emptyAndUnreadableFiles() {
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QFETCH(QByteArray, changed);
    QFETCH(int, sentWhenChanged);

    RunnerWorld w;
    w.drop(QStringLiteral("liste.txt"), content);
    OtoMesaj();
    const QStringList lines = w.env.logLines();
    QCOMPARE(lines.first(), P + "liste.txt dosyası açılıyor...");
    QCOMPARE(lines.last(), P + "liste.txt dosyada kayıt bulunamadı...");
    const bool unreadable = !reason.isEmpty();
    QCOMPARE(lines.size(), unreadable ? 3 : 2); // the reason between them
    if (unreadable)
        QCOMPARE(lines[1], P + "liste.txt dosyası okunamadı: " + w.in + "/liste.txt" + reason);
    QVERIFY(QFile::exists(w.in + "/liste.txt"));
    QCOMPARE(w.sim->requestCount(), 0);

    // An empty file is looked at again at every pass; one that cannot be
    // read only once it has changed.
    OtoMesaj();
    QCOMPARE(w.env.logLines().size(), unreadable ? 3 : 4);
    QCOMPARE(w.sim->requestCount(), 0);
    w.drop(QStringLiteral("liste.txt"), changed, 30);
    OtoMesaj();
    QCOMPARE(w.env.logLines().size(), sentWhenChanged ? 7 : 6);
    QCOMPARE(w.sim->packageCount(), sentWhenChanged ? 1 : 0);
    if (sentWhenChanged)
        QCOMPARE(w.sim->packages()[0].messageCount, size_t(sentWhenChanged));
}

void TestRuleRunner::unopenableNamesAreLoggedOnce_data() {
    QTest::addColumn<QByteArray>("name"); // its bytes
    QTest::addColumn<QString>("shown");
    QTest::newRow("Windows-1254 letters")
        << QByteArray("m\xFC\xFEteri.txt") << "m\\xFC\\xFEteri.txt";
    QTest::newRow("beside UTF-8 letters") << QByteArray("Ay\xC5\x9F"
                                                        "e \xFE.txt")
                                          << u"Ayşe \\xFE.txt"_s;
    QTest::newRow("UTF-8 cut short") << QByteArray("liste\xC5.txt") << "liste\\xC5.txt";
}

void TestRuleRunner::unopenableNamesAreLoggedOnce() {
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    QVERIFY(QFile::encodeName(QFile::decodeName(name)) != name);

    RunnerWorld w;
    const QByteArray path = QFile::encodeName(w.in) + '/' + name;
    const auto create = [&] {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, OneRow.constData(), size_t(OneRow.size())), OneRow.size());
        ::close(fd);
    };
    create();
    w.drop(QStringLiteral("diger.txt"), OneRow);
    OtoMesaj();
    // The other file of the folder goes in the same pass.
    QCOMPARE(w.sim->packageCount(), 1);
    QCOMPARE(RunnerWorld::files(w.out), QStringList{"diger.txt"});
    OtoMesaj();

    const QString line = P + shown +
                         " dosyası adıyla açılamıyor: adı geçerli UTF-8 değil. Dosya "
                         "gönderilmiyor; adı değiştirildiğinde gönderilecek.";
    QCOMPARE(w.env.logLines().filter(u"diger.txt"_s, Qt::CaseSensitive).size(), 4);
    QCOMPARE(w.env.logLines().filter(u"adıyla"_s), QStringList{line});
    QCOMPARE(w.sim->packageCount(), 1);
    QFile kept;
    const int fd = ::open(path.constData(), O_RDONLY);
    QVERIFY(fd >= 0 && kept.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    QCOMPARE(kept.readAll(), OneRow);
    kept.close();

    // Gone, and back later: a new file, told of again.
    QCOMPARE(::unlink(path.constData()), 0);
    OtoMesaj();
    create();
    OtoMesaj();
    QCOMPARE(w.env.logLines().filter(u"adıyla"_s), (QStringList{line, line}));
}

void TestRuleRunner::onlySettledListsAreTaken() {
    RunnerWorld w;
    // Names of unfinished copies pass the extension test, and only fail their own.
    SetParam(QStringLiteral("uzantilar"), QStringLiteral("txt,csv,tmp,art"));
    w.drop(QStringLiteral("LISTE.TXT"), OneRow, 0); // still being written
    for (const char* name : {"~$liste.txt", ".liste.txt", "liste.tmp", "liste.part", "not.doc"})
        w.drop(QString::fromLatin1(name), OneRow);
    OtoMesaj();
    QCOMPARE(w.sim->requestCount(), 0);
    QCOMPARE(w.env.logLines(), QStringList());

    w.drop(QStringLiteral("LISTE.TXT"), OneRow, 10);
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    QCOMPARE(RunnerWorld::files(w.in), (QStringList{".liste.txt", "Schema.ini", "liste.part",
                                                    "liste.tmp", "not.doc", "~$liste.txt"}));
}

void TestRuleRunner::missingFolderSkipsOnlyItsRule() {
    RunnerWorld w;
    Rule broken = w.rule;
    broken.kural_adi = QStringLiteral("Eski");
    broken.gelen_klasor = w.env.filePath(QStringLiteral("silinmis"));
    // Listed first, so the good rule runs after it.
    ExecuteSql(QStringLiteral("DELETE FROM tbl_kurallar_txt"));
    InsertRule(broken);
    InsertRule(w.rule);
    w.drop(QStringLiteral("liste.txt"), OneRow);

    OtoMesaj();
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    const QString missing = "[Eski] Gelen klasörü okunamıyor: " + broken.gelen_klasor;
    QCOMPARE(w.env.logLines().count(missing), 1); // once, not at every pass
}

void TestRuleRunner::sentFileThatCannotMoveIsNeverSentAgain() {
    RunnerWorld w;
    // The outgoing folder is gone: neither the file nor its reject rows can
    // go there yet.
    QVERIFY(QDir(w.out).removeRecursively());
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;A;1\n;B;2\n");
    for (int start = 0; start < 3; ++start) {
        RunnerWorld::restart();
        OtoMesaj();
    }
    QCOMPARE(w.sim->arrivedCount(1), 1);
    QCOMPARE(w.packageRows(), 1);
    QVERIFY(QFile::exists(w.in + "/liste.txt"));
    const QStringList lines = w.env.logLines();
    QCOMPARE(lines.filter(QStringLiteral("taşınamadı")).size(), 1);
    QCOMPARE(lines.filter(QStringLiteral("satırlar saklandı")).size(), 1);

    QVERIFY(QDir().mkpath(w.out));
    RunnerWorld::restart();
    OtoMesaj();
    QCOMPARE(w.sim->arrivedCount(1), 1);
    QCOMPARE(w.env.logLines().mid(lines.size()),
             QStringList{P + "liste.txt dosyası giden klasörüne taşındı."});
    QCOMPARE(RunnerWorld::files(w.out), (QStringList{"h01_liste.txt", "liste.txt"}));
    QCOMPARE(RunnerWorld::read(w.out + "/h01_liste.txt"), QByteArray("gsm;ad;tutar\r\n;B;2\r\n"));
    QVERIFY(!QFileInfo::exists(HeldRejectsFolder(w.rule, QStringLiteral("liste.txt"))));
}

void TestRuleRunner::fullOutgoingDiskOnAnotherFileSystem() {
    RunnerWorld w;
    auto disk = std::make_shared<FaultyFileSystem>();
    App().gFileSystem = disk;
    const auto passes = [](int n) {
        for (int i = 0; i < n; ++i) {
            RunnerWorld::restart();
            OtoMesaj();
        }
    };
    // The outgoing disk is not there yet: the reject row is held beside the
    // database. Then it is there, and full.
    QVERIFY(QDir(w.out).removeRecursively());
    const QByteArray list = "gsm;ad;tutar\n5321234567;A;1\n;B;2\n";
    w.drop(QStringLiteral("liste.txt"), list);
    OtoMesaj();
    QVERIFY(QDir().mkpath(w.out));
    disk->room = 0;
    passes(3);
    QStringList lines = w.env.logLines();
    QCOMPARE(lines.filter(QStringLiteral("diskte yer kalmadı")),
             QStringList{P + "liste.txt dosyası giden klasörüne taşınamadı: diskte yer kalmadı. "
                             "Dosya gönderildi ve yeniden gönderilmeyecek; taşıma her kontrolde "
                             "yeniden denenecek."});
    QCOMPARE(RunnerWorld::read(w.in + "/liste.txt"), list);
    const QStringList nothing =
        QDir(w.out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QCOMPARE(nothing, QStringList()); // not even an empty or hidden copy

    // Room for the list, not for its rows: the rows wait on their own.
    disk->room = list.size();
    passes(2);
    QCOMPARE(RunnerWorld::files(w.out), QStringList{"liste.txt"});
    QCOMPARE(RunnerWorld::read(w.out + "/liste.txt"), list);
    lines = w.env.logLines();
    QCOMPARE(lines
                 .filter(QStringLiteral("red dosyası giden klasörüne taşınamadı: diskte yer "
                                        "kalmadı"))
                 .size(),
             1);

    disk->room = -1;
    passes(2);
    QCOMPARE(RunnerWorld::files(w.out), (QStringList{"h01_liste.txt", "liste.txt"}));
    QCOMPARE(RunnerWorld::read(w.out + "/h01_liste.txt"), QByteArray("gsm;ad;tutar\r\n;B;2\r\n"));
    lines = w.env.logLines();
    QCOMPARE(lines.filter(QStringLiteral("klasörüne taşındı.")),
             (QStringList{P + "liste.txt dosyası giden klasörüne taşındı.",
                          P + "h01_liste.txt red dosyası giden klasörüne taşındı."}));
    QCOMPARE(w.sim->arrivedCount(1), 1);
    QCOMPARE(w.packageRows(), 1);
    QVERIFY(!QFileInfo::exists(HeldRejectsFolder(w.rule, QStringLiteral("liste.txt"))));
}

void TestRuleRunner::rejectRowsNoFolderTakesHoldThePackage_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("causes"); // of the outgoing folder, then of the program folder

    QTest::newRow("outgoing folder missing, holding folder blocked")
        << "blocked"
        << "(klasör bulunamadı) ne program klasörüne (aynı adda bir dosya var)";
    QTest::newRow("one full disk")
        << "full"
        << "(dosya bu disk için çok büyük) ne program klasörüne (dosya bu disk için çok "
           "büyük)";
}

void TestRuleRunner::rejectRowsNoFolderTakesHoldThePackage() {
    QFETCH(QString, obstacle);
    QFETCH(QString, causes);

    RunnerWorld w;
    // More rejected rows than the disk has room for.
    QByteArray list = "gsm;ad;tutar\n5321234567;A;1\n";
    QByteArray rejected;
    for (int i = 0; i < 12000; ++i) {
        const QByteArray row = ";" + QByteArray(100, 'x') + QByteArray::number(i) + ";1";
        list += row + "\n";
        rejected += "gsm;ad;tutar\r\n" + row + "\r\n";
    }
    w.drop(QStringLiteral("liste.txt"), list);
    const QString blocker = w.env.filePath(HeldRejectsFolderName);
    std::optional<FileSizeLimit> full;
    if (obstacle == QLatin1String("blocked")) {
        QVERIFY(QDir(w.out).removeRecursively());
        w.env.writeFile(HeldRejectsFolderName, "not a folder");
    } else {
        full.emplace(1024 * 1024);
    }
    OtoMesaj();
    OtoMesaj();
    full.reset();

    // Not sent, the rows nowhere half-written, and said once.
    QCOMPARE(w.sim->requestCount(), 0);
    QVERIFY(QFile::exists(w.in + "/liste.txt"));
    QCOMPARE(RunnerWorld::files(w.out), QStringList());
    QCOMPARE(w.env.logLines().mid(2),
             QStringList{P + "liste.txt dosyasının red satırları ne giden klasörüne " + causes +
                         " yazılabildi. Satırlar kaybolmasın diye paket gönderilmedi; dosya her "
                         "kontrolde yeniden denenecek."});

    QFile::remove(blocker);
    QVERIFY(QDir().mkpath(w.out));
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    QCOMPARE(RunnerWorld::files(w.out), (QStringList{"h01_liste.txt", "liste.txt"}));
    QCOMPARE(RunnerWorld::read(w.out + "/h01_liste.txt"), rejected);
}

void TestRuleRunner::longNamesKeepTheirRejectRows_data() {
    QTest::addColumn<bool>("held");
    QTest::newRow("into the outgoing folder") << false;
    QTest::newRow("held, then moved on") << true;
}

void TestRuleRunner::longNamesKeepTheirRejectRows() {
    QFETCH(bool, held);
    RunnerWorld w;
    // 255 bytes, as long as a name can be; "h01_" makes it too long.
    const QString name = QString(125, u'ş') + QStringLiteral("a.txt");
    QCOMPARE(QFile::encodeName(name).size(), 255);
    if (held)
        QVERIFY(QDir(w.out).removeRecursively());
    w.drop(name, "gsm;ad;tutar\n5321234567;A;1\n;B;2\n");
    OtoMesaj();
    if (held) {
        QVERIFY(QDir().mkpath(w.out));
        OtoMesaj();
    }
    // Cut short before the extension, prefix kept, with a counter.
    const QString rejects = QStringLiteral("h01_") + QString(122, u'ş') + QStringLiteral("(1).txt");
    QCOMPARE(RunnerWorld::files(w.out), (QStringList{rejects, name}));
    QCOMPARE(RunnerWorld::read(w.out + "/" + rejects), QByteArray("gsm;ad;tutar\r\n;B;2\r\n"));
    QCOMPARE(w.sim->packageCount(), 1);
}

void TestRuleRunner::replacedFileIsSentAsNew() {
    RunnerWorld w;
    QVERIFY(QDir(w.out).removeRecursively());
    w.drop(QStringLiteral("liste.txt"), OneRow);
    OtoMesaj();
    // The user puts a new list of the same size under the same name before
    // the old one could move.
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5331234567;B;2\n");
    QVERIFY(QDir().mkpath(w.out));
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 2);
    QCOMPARE(w.sim->packageMessages(w.sim->packages().back().id).at(0).number,
             std::string("5331234567"));
    QCOMPARE(RunnerWorld::files(w.out), QStringList{"liste.txt"});
}

void TestRuleRunner::acceptedPackageRecordedWhenDatabaseRefuses() {
    RunnerWorld w;
    // The database refuses the package row, as when the disk is full or
    // another program holds the file while the gateway takes the package.
    ExecuteSql(QStringLiteral("CREATE TRIGGER dolu BEFORE INSERT ON tbl_giden_txt "
                              "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"));
    w.drop(QStringLiteral("liste.txt"), OneRow);
    w.drop(QStringLiteral("son.txt"), "gsm;ad;tutar\n5331234567;B;2\n");
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    QCOMPARE(w.packageRows(), 0);
    QVERIFY(QFile::exists(w.out + "/liste.txt"));
    QVERIFY2(w.env.ui().statusTexts.back().contains(QStringLiteral("database or disk is full")),
             qPrintable(w.env.ui().statusTexts.back()));

    // Until the record is in, nothing else is sent; a restart keeps it.
    RunnerWorld::restart();
    OtoMesaj();
    QCOMPARE(w.sim->arrivedCount(1), 1);
    QVERIFY(QFile::exists(w.in + "/son.txt"));

    ExecuteSql(QStringLiteral("DROP TRIGGER dolu"));
    OtoMesaj();
    OtoMesaj();
    Recordset rows = OpenRecordset(QStringLiteral("SELECT msgid, dosya_adi FROM tbl_giden_txt"));
    QCOMPARE(rows.recordCount(), 2);
    QCOMPARE(rows.text(0), QString::fromStdString(w.sim->packages().at(0).id));
    QCOMPARE(rows.text(1), QStringLiteral("liste.txt"));
    QCOMPARE(w.env.logLines()
                 .filter(QStringLiteral("Bekleyen paket kayıtları veritabanına yazıldı"))
                 .size(),
             1);

    // The same list dropped in again is a new list, not a lost one.
    w.drop(QStringLiteral("liste.txt"), OneRow);
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 3);
    QVERIFY(QFile::exists(w.out + "/liste(1).txt"));
}

void TestRuleRunner::leftoversOfAKilledPassAreRemoved_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("rejects");
    QTest::addColumn<QString>("hidden"); // a reject workbook being written
    QTest::newRow("data file") << "liste.txt" << QByteArray("gsm;ad;tutar\n;B;2\n")
                               << "h01_liste.txt"
                               << "";
    QTest::newRow("workbook") << "liste.ods"
                              << WorkbookBytes(u"ods"_s, {{u"Sayfa1"_s,
                                                           {{u"gsm"_s, u"ad"_s, u"tutar"_s},
                                                            {QVariant(), u"B"_s, 2}}}})
                              << "h01_liste.xlsx"
                              << ".h01_liste.xlsx.4321-0.part";
}

void TestRuleRunner::leftoversOfAKilledPassAreRemoved() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, rejects);
    QFETCH(QString, hidden);

    RunnerWorld w;
    const QString held = HeldRejectsFolder(w.rule, name);
    QVERIFY(QDir().mkpath(held));
    w.drop(rejects, QByteArray(), 60, w.out);
    if (!hidden.isEmpty())
        w.drop(hidden, "PK\x03\x04", 60, w.out);
    w.drop(QStringLiteral("h02_liste.txt.part"), "yarim", 60, held);
    w.drop(name, bytes);
    OtoMesaj();
    QCOMPARE(RunnerWorld::files(w.out), (QStringList{rejects, name}));
    const QString rows = hidden.isEmpty()
                             ? QString::fromUtf8(RunnerWorld::read(w.out + "/" + rejects))
                             : SheetLines(w.out + "/" + rejects).join(u"\r\n") + "\r\n";
    QCOMPARE(rows, u"gsm;ad;tutar\r\n;B;2\r\n"_s);
    QVERIFY(!QDir(held).exists());
}

void TestRuleRunner::unattendedFailuresAreLogLines() {
    RunnerWorld w;
    // A folder description that cannot be written, a GSM column the file
    // does not have, and a link to a device.
    QVERIFY(QDir().mkpath(w.in + "/Schema.ini"));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), w.in + "/cihaz.txt"));
    w.drop(QStringLiteral("liste.txt"), "telefon;ad;tutar\n5321234567;A;1\n");
    OtoMesaj();
    w.drop(QStringLiteral("liste.txt"), "telefon;ad;tutar\n5321234567;A;1\n");
    OtoMesaj();

    QVERIFY(w.env.ui().boxes.empty());
    const QStringList lines = w.env.logLines();
    QCOMPARE(lines.filter(QStringLiteral("Şema bilgisi oluşturulamadı")).size(), 1);
    QCOMPARE(lines.filter(QStringLiteral("cihaz.txt")),
             QStringList{P + "cihaz.txt sıradan bir dosya değil (bir aygıta ya da boruya "
                             "bağlantı); gönderilmiyor."});
    // Read as the rule says, the file's columns are known, and named.
    QCOMPARE(lines.filter(QStringLiteral("GSM numarası sütunu")).first(),
             P + "liste.txt dosyasında GSM numarası sütunu (gsm) bulunamadı; dosyadaki sütunlar: "
                 "telefon, ad, tutar");
}

void TestRuleRunner::fileDatedAheadWaitsUntilStill() {
    RunnerWorld w;
    const QDateTime start = QDateTime::currentDateTime();
    w.env.ui().setNow(start);
    // A share whose clock runs an hour fast.
    w.drop(QStringLiteral("liste.txt"), OneRow, -3600);
    OtoMesaj();
    QCOMPARE(w.sim->requestCount(), 0);
    w.env.ui().setNow(start.addSecs(3));
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
}

QTEST_GUILESS_MAIN(TestRuleRunner)
#include "tst_rulerunner.moc"
