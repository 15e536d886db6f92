#include <QProcess>

#include "rules/frmAna.h"
#include "spreadsheet/ExcelExport.h"
#include "support/WindowTestSupport.h"
#include "widgets/GridModels.h"

namespace {

// Each sheet as an independent reader sees it: "name|rows|header|first data
// row|last data row", cells as type:value.
const char* const ReadBack = R"(
import sys, openpyxl
def cells(row): return ','.join('%s:%s' % (type(v).__name__, v) for v in row)
for ws in openpyxl.load_workbook(sys.argv[1], read_only=True).worksheets:
    rows = list(ws.iter_rows(values_only=True))
    print('|'.join([ws.title, str(len(rows)), ','.join(rows[0]), cells(rows[1]), cells(rows[-1])]))
)";

QStringList readBack(const QString& path) {
    QProcess python;
    python.start(QFile::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3",
                 {"-c", ReadBack, path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return {"unreadable: " + QString::fromUtf8(python.readAllStandardError())};
    return QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// A status list as the reports hold it, with the date column of the log.
Recordset statusList(int rows) {
    Recordset rs;
    rs.appendField("GsmNo", FieldType::Text, 11);
    rs.appendField("Durum", FieldType::Text, 20);
    rs.appendField("Tarih", FieldType::DateTime);
    const QDateTime start(QDate(2026, 3, 5), QTime(9, 30, 0));
    for (int i = 0; i < rows; ++i)
        rs.appendRow({QString("0%1").arg(5321234567 + i), i % 2 ? "İletildi" : "Beklemede",
                      start.addSecs(i)});
    return rs;
}

// A disk that fills up just as the finished workbook is put in place.
bool failLikeAFullDisk(const QString&, const QString&, QString* error) {
    *error = "diskte yer kalmadı";
    return false;
}

} // namespace

class TestExcelExport : public DesktopTest {
    Q_OBJECT

private slots:
    void init() { openDesktop(); }
    void cleanup() {
        closeDesktop();
        gReplaceWorkbookFile = ReplaceFileDurably;
    }

    void sheetsHoldTheRowsAsTheyWere_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("sheets");
        const QString sheet1 = "Sayfa1|65536|GsmNo,Durum,Tarih|str:05321234567,str:Beklemede,"
                               "datetime:2026-03-05 09:30:00|str:05321300101,str:Beklemede,"
                               "datetime:2026-03-06 03:42:14";
        const QString row65536 = "str:05321300102,str:İletildi,datetime:2026-03-06 03:42:15";
        QTest::newRow("one full sheet") << 65535 << QStringList{sheet1};
        QTest::newRow("one row more")
            << 65536
            << QStringList{sheet1, "Sayfa2|2|GsmNo,Durum,Tarih|" + row65536 + "|" + row65536};
    }
    void sheetsHoldTheRowsAsTheyWere() {
        QFETCH(int, rows);
        QFETCH(QStringList, sheets);
        Recordset rs = statusList(rows);
        RecordsetExportSource source(rs);
        const QString path = env->filePath("rapor.xlsx");
        QVERIFY(ExportToExcel(source, path, {"GsmNo", "Durum", "Tarih"}));
        QCOMPARE(readBack(path), sheets);
        QCOMPARE(shownBoxes(ui()), QStringList{"Dide Vuvuda Vivadevedu: Excel Dosyasına Veri "
                                               "Aktarımı Tamamlanmıştır"});
        QCOMPARE(ui().opened, std::vector<QString>{path});
        QCOMPARE(App().gProgressDone, qint64(rows));
    }

    // The user's file stays as it was until a new one is complete, and no
    // part of a new one is left behind.
    void aFailedWriteLeavesNothingBehind_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("fullDisk");
        QTest::addColumn<QString>("step");
        QTest::newRow("disk full") << "eski.xlsx" << true << ExcelStep::HeadersAndSave;
        QTest::newRow("name is a folder") << "klasor" << false << ExcelStep::DeleteExisting;
        QTest::newRow("folder missing") << "yok/rapor.xlsx" << false << ExcelStep::HeadersAndSave;
    }
    void aFailedWriteLeavesNothingBehind() {
        QFETCH(QString, target);
        QFETCH(bool, fullDisk);
        QFETCH(QString, step);
        env->writeFile("eski.xlsx", "the old workbook");
        QDir(env->folder()).mkdir("klasor");
        if (fullDisk)
            gReplaceWorkbookFile = failLikeAFullDisk;
        const QStringList before = QDir(env->folder()).entryList(QDir::AllEntries | QDir::Hidden);
        Recordset rs = statusList(10);
        RecordsetExportSource source(rs);
        QVERIFY(!ExportToExcel(source, env->filePath(target), {"GsmNo"}));
        QCOMPARE(ui().boxes.size(), size_t(1));
        QCOMPARE(ui().boxes[0].title, QString("Uyarı"));
        QVERIFY2(ui().boxes[0].text.startsWith(step + "\r\nSistemin ürettiği hata mesajı : "),
                 qPrintable(ui().boxes[0].text));
        QCOMPARE(QDir(env->folder()).entryList(QDir::AllEntries | QDir::Hidden), before);
        QFile old(env->filePath("eski.xlsx"));
        QVERIFY(old.open(QIODevice::ReadOnly) && old.readAll() == "the old workbook");
        QVERIFY(ui().opened.empty());
    }

    // The status screen's button: the log newest first, the screen open.
    // Without a program to show it, the one box says where the workbook is.
    void statusScreenExportsTheLog_data() {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("opens"); // the desktop has a spreadsheet program
        QTest::newRow("exported") << true << "gunluk.xlsx"
                                  << "gunluk.xlsx" << true;
        QTest::newRow("extension added") << true << "gunluk"
                                         << "gunluk.xlsx" << true;
        QTest::newRow("no spreadsheet program") << true << "gunluk.xlsx"
                                                << "gunluk.xlsx" << false;
        QTest::newRow("dialog cancelled") << true << ""
                                          << "" << true;
        QTest::newRow("answered No") << false << "gunluk.xlsx"
                                     << "" << true;
    }
    void statusScreenExportsTheLog() {
        QFETCH(bool, yes);
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QFETCH(bool, opens);
        ui().opens = opens;
        ui().setNow(QDateTime(QDate(2026, 3, 5), QTime(8, 0, 1)));
        WriteLog("ilk satır");
        ui().setNow(QDateTime(QDate(2026, 3, 5), QTime(8, 0, 2)));
        WriteLog("0532 ile başlayan son satır");
        click(*menu, "miHizDurumu");
        frmAna* screen = menu->statusScreen();
        QTRY_VERIFY(screen && screen->rsLog().rowCount() >= 2);
        ui().queueAnswer(yes);
        if (!chosen.isEmpty())
            ui().queueFileName(env->filePath(chosen));
        click(*screen, "Command1");
        QStringList boxes{"Parlex: Hizmet durum raporunu Excel'e göndermek istediğinizden emin "
                          "misiniz?"};
        if (!written.isEmpty()) {
            boxes << "Dide Vuvuda Vivadevedu: Excel Dosyasına Veri Aktarımı Tamamlanmıştır" +
                         (opens ? QString()
                                : "\r\nDosyayı açacak bir program bulunamadı. Dosya şuraya "
                                  "kaydedildi: " +
                                      env->filePath(written));
            QCOMPARE(ui().opened, std::vector<QString>{env->filePath(written)});
            const QStringList sheet = readBack(env->filePath(written));
            QCOMPARE(sheet.size(), 1);
            QVERIFY2(sheet[0].startsWith("Sayfa1|") &&
                         sheet[0].contains(
                             "|Tarih,Açıklama|"
                             "datetime:2026-03-05 08:00:02,str:0532 ile başlayan son satır|"),
                     qPrintable(sheet[0]));
        }
        QCOMPARE(shownBoxes(ui()), boxes);
        QCOMPARE(QDir(env->folder()).entryList({"gunluk*"}),
                 written.isEmpty() ? QStringList() : QStringList{written});
        QVERIFY(menu->statusScreen() == screen && screen->isVisible());
    }
};

QTEST_MAIN(TestExcelExport)
#include "tst_excelexport.moc"
