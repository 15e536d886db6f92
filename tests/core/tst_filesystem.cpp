#include <optional>

#include <QtTest>

#include "core/FileSystem.h"
#include "support/DiskFaults.h"

namespace {

QByteArray content(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char('a' + i % 26);
    return bytes;
}

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList everything(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace

class TestFileSystem : public QObject {
    Q_OBJECT

private slots:
    void moveKeepsTheSourceUnlessTheCopyIsWhole_data();
    void moveKeepsTheSourceUnlessTheCopyIsWhole();
};

void TestFileSystem::moveKeepsTheSourceUnlessTheCopyIsWhole_data() {
    QTest::addColumn<QString>("target"); // "same": one file system, "forced", "shm": /dev/shm
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("cause"); // empty: moved

    QTest::newRow("one file system") << "same"
                                     << ""
                                     << "";
    QTest::newRow("one file system, name taken") << "same"
                                                 << "taken"
                                                 << "zaten var";
    QTest::newRow("across") << "forced"
                            << ""
                            << "";
    QTest::newRow("across, disk full") << "forced"
                                       << "full"
                                       << "diskte yer kalmadı";
    QTest::newRow("across, disk fills mid-copy") << "forced"
                                                 << "half"
                                                 << "diskte yer kalmadı";
    QTest::newRow("across, file size limit mid-copy") << "forced"
                                                      << "limit"
                                                      << "dosya bu disk için çok büyük";
    QTest::newRow("across, target folder missing") << "forced"
                                                   << "missing"
                                                   << "klasör bulunamadı";
    QTest::newRow("across, name taken") << "forced"
                                        << "taken"
                                        << "zaten var";
    QTest::newRow("to /dev/shm") << "shm"
                                 << ""
                                 << "";
    QTest::newRow("to /dev/shm, file size limit mid-copy") << "shm"
                                                           << "limit"
                                                           << "dosya bu disk için çok büyük";
}

void TestFileSystem::moveKeepsTheSourceUnlessTheCopyIsWhole() {
    QFETCH(QString, target);
    QFETCH(QString, fault);
    QFETCH(QString, cause);

    QTemporaryDir here;
    QTemporaryDir shm(QStringLiteral("/dev/shm/parlex-test-XXXXXX"));
    if (target == QLatin1String("shm") &&
        (!shm.isValid() || !OnAnotherFileSystem(here.path(), shm.path())))
        QSKIP("/dev/shm is not another file system here");
    const QString from = here.filePath(QStringLiteral("gelen/liste.txt"));
    const QString folder =
        target == QLatin1String("shm") ? shm.path() : here.filePath(QStringLiteral("giden"));
    const QString to = QDir(folder).filePath(QStringLiteral("liste.txt"));
    QVERIFY(QDir().mkpath(QFileInfo(from).path()));
    if (fault != QLatin1String("missing"))
        QVERIFY(QDir().mkpath(folder));
    // Bigger than one piece of the copy, so that it can fail half-way.
    const QByteArray bytes = content(3 * 1024 * 1024 + 17);
    const QDateTime written = QDateTime::currentDateTime().addDays(-3);
    QFile source(from);
    QVERIFY(source.open(QIODevice::WriteOnly) && source.write(bytes) == bytes.size() &&
            source.flush() && source.setFileTime(written, QFileDevice::FileModificationTime));
    source.close();
    if (fault == QLatin1String("taken")) {
        QFile other(to);
        QVERIFY(other.open(QIODevice::WriteOnly) && other.write("eski") == 4);
    }
    const QStringList before = everything(folder);

    FaultyFileSystem disk;
    disk.acrossFileSystems = target == QLatin1String("forced");
    if (fault == QLatin1String("full"))
        disk.room = 0;
    else if (fault == QLatin1String("half"))
        disk.room = bytes.size() / 2;
    QString error;
    bool moved = false;
    {
        std::optional<FileSizeLimit> limit;
        if (fault == QLatin1String("limit"))
            limit.emplace(1024 * 1024);
        moved = disk.moveFile(from, to, &error);
    }

    if (cause.isEmpty()) {
        QVERIFY2(moved, qPrintable(error));
        QVERIFY(!QFile::exists(from));
        QCOMPARE(read(to), bytes);
        QCOMPARE(everything(folder), QStringList{"liste.txt"}); // no copy left aside
        // As a rename would: the list keeps its time.
        QCOMPARE(QFileInfo(to).lastModified().toSecsSinceEpoch(), written.toSecsSinceEpoch());
    } else {
        QVERIFY(!moved);
        QVERIFY2(error.contains(cause), qPrintable(error));
        QCOMPARE(read(from), bytes);
        // Not even an empty file or a hidden copy.
        QCOMPARE(everything(folder), before);
        if (fault == QLatin1String("taken"))
            QCOMPARE(read(to), QByteArray("eski"));
    }
}

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
