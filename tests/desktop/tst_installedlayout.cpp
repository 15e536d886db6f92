#include <QtTest>

#include "core/ProgramFolder.h"
#include "desktop/HelpDocument.h"

// Where the program keeps its database and finds its guide, carried around
// in one folder or installed under a prefix as the packages do.
class TestInstalledLayout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void databaseAndGuideFollowTheLayout_data() {
        QTest::addColumn<QString>("executableFolder"); // below the temporary root
        QTest::addColumn<QString>("guide");            // where the guide was delivered
        QTest::addColumn<bool>("perUser");
        QTest::newRow("portable") << "parlex"
                                  << "parlex/parlex.html" << false;
        QTest::newRow("portable copy in a bin folder") << "bin"
                                                       << "bin/parlex.html" << false;
        QTest::newRow("installed") << "usr/bin"
                                   << "usr/share/parlex/parlex.html" << true;
        QTest::newRow("installed under /usr/local") << "usr/local/bin"
                                                    << "usr/local/share/parlex/parlex.html" << true;
    }
    void databaseAndGuideFollowTheLayout() {
        QFETCH(QString, executableFolder);
        QFETCH(QString, guide);
        QFETCH(bool, perUser);
        QTemporaryDir root;
        const QString exe = root.filePath(executableFolder);
        QVERIFY(QDir().mkpath(exe));
        QVERIFY(QDir().mkpath(QFileInfo(root.filePath(guide)).path()));
        QFile file(root.filePath(guide));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        // The desktop program and parlex-cli (which the user unit starts)
        // must agree on one database.
        QStringList folders;
        for (const QString& name : {QStringLiteral("Parlex"), QStringLiteral("parlex-cli")}) {
            QCoreApplication::setApplicationName(name);
            folders << ProgramFolderFor(exe);
        }
        QCOMPARE(folders.at(1), folders.at(0));
        QCOMPARE(folders.at(0) == exe, !perUser);
        QCOMPARE(folders.at(0).startsWith(root.path()), !perUser);
        QVERIFY(QFileInfo(folders.at(0)).isDir());
        QCOMPARE(HelpDocumentPath(folders.at(0), exe), root.filePath(guide));
    }

    // Asked for its help or version where no window system can be reached
    // (over ssh, in a package check), the desktop program answers and ends
    // as parlex-cli does.
    void textOptionsNeedNoDisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("printed");
        QTest::newRow("version") << QStringList{"--version"} << "Parlex 1.0";
        QTest::newRow("help") << QStringList{"-h"} << "--program-folder <DIR>";
        QTest::newRow("after a Qt option") << QStringList{"-reverse", "--help"} << "--version";
    }
    void textOptionsNeedNoDisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, printed);
        QProcess parlex;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QLatin1String(name));
        parlex.setProcessEnvironment(environment);
        parlex.start(QStringLiteral(PARLEX_DESKTOP), arguments);
        QVERIFY(parlex.waitForFinished(30000));
        const QString out = QString::fromLocal8Bit(parlex.readAllStandardOutput());
        QVERIFY2(parlex.exitStatus() == QProcess::NormalExit && parlex.exitCode() == 0,
                 parlex.readAllStandardError().constData());
        QVERIFY2(out.contains(printed), qPrintable(out));
    }
};

QTEST_GUILESS_MAIN(TestInstalledLayout)
#include "tst_installedlayout.moc"
