#include <QtTest>

#include "core/ProgramFolder.h"
#include "shell/HelpDocument.h"

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
};

QTEST_GUILESS_MAIN(TestInstalledLayout)
#include "tst_installedlayout.moc"
