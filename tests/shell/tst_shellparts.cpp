#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "account/LoginReply.h"
#include "shell/HelpDocument.h"
#include "shell/KeepOnTop.h"
#include "shell/QtUi.h"
#include "shell/TrayControl.h"
#include "shell/WebPane.h"
#include "support/TestEnvironment.h"

Q_DECLARE_METATYPE(LoginReply)

namespace {

// Answers the next message box with `button` once it is on screen, noting
// what it showed.
struct ShownBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

void answerNextBox(QMessageBox::StandardButton button, ShownBox* shown) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            answerNextBox(button, shown);
            return;
        }
        shown->title = box->windowTitle();
        shown->text = box->text();
        shown->icon = box->icon();
        for (QAbstractButton* b : box->buttons())
            shown->buttons << b->text();
        shown->buttons.sort();
        box->button(button)->click();
    });
}

} // namespace

class TestShellParts : public QObject {
    Q_OBJECT

private slots:
    void boxesShowTheirKindTitleAndLines_data();
    void boxesShowTheirKindTitleAndLines();
    void filtersBecomeQtFilters_data();
    void filtersBecomeQtFilters();
    void keepOnTopSitsAtTheRightEdge();
    void webPaneShowsAndOpensItsAddress();
    void helpPrefersTheDeliveredFile();
    void trayEventsCarryButtonValues();
    void trayIconOnlyWhileEnabled();
    void loginReplies_data();
    void loginReplies();
    void qtTextsAreTurkishWhereInstalled();
};

void TestShellParts::boxesShowTheirKindTitleAndLines_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QStringList>("buttons"); // sorted
    QTest::addColumn<int>("click");
    QTest::addColumn<bool>("yes");
    // Turkish whatever the machine's language and Qt's translations.
    const QStringList ok{"Tamam"};
    const QStringList yesNo{"Evet", "Hayır"};
    QTest::newRow("information") << int(UiServices::BoxKind::Information)
                                 << int(QMessageBox::Information) << ok << int(QMessageBox::Ok)
                                 << false;
    QTest::newRow("error") << int(UiServices::BoxKind::Error) << int(QMessageBox::Critical) << ok
                           << int(QMessageBox::Ok) << false;
    QTest::newRow("question, Evet")
        << int(UiServices::BoxKind::Question) << int(QMessageBox::Question) << yesNo
        << int(QMessageBox::Yes) << true;
    QTest::newRow("question, Hayır")
        << int(UiServices::BoxKind::Question) << int(QMessageBox::Question) << yesNo
        << int(QMessageBox::No) << false;
}

void TestShellParts::boxesShowTheirKindTitleAndLines() {
    QFETCH(int, kind);
    QFETCH(int, icon);
    QFETCH(QStringList, buttons);
    QFETCH(int, click);
    QFETCH(bool, yes);
    QtUi ui;
    ShownBox shown;
    const auto boxKind = UiServices::BoxKind(kind);
    const QString title = QStringLiteral("Parlex 1.0");
    const QString text = QStringLiteral("bir\r\niki");
    answerNextBox(QMessageBox::StandardButton(click), &shown);
    if (boxKind == UiServices::BoxKind::Question)
        QCOMPARE(ui.askQuestion(title, text), yes);
    else
        ui.showMessage(boxKind, title, text);
    QCOMPARE(shown.title, title);
    QCOMPARE(shown.text, QStringLiteral("bir\niki"));
    QCOMPARE(int(shown.icon), icon);
    QCOMPARE(shown.buttons, buttons);
}

void TestShellParts::filtersBecomeQtFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");
    QTest::newRow("one pair") << "Microsoft Excel Dosyaları (*.xls)|*.xls"
                              << "Microsoft Excel Dosyaları (*.xls)";
    QTest::newRow("two pairs") << "Metin|*.txt;*.csv|Tümü|*.*"
                               << "Metin (*.txt *.csv);;Tümü (*.*)";
    QTest::newRow("already Qt") << "Metin (*.txt)"
                                << "Metin (*.txt)";
}

void TestShellParts::filtersBecomeQtFilters() {
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(QtUi::qtFilter(filter), qt);
}

void TestShellParts::keepOnTopSitsAtTheRightEdge() {
    QWidget window;
    window.resize(200, 100);
    window.move(30, 40);
    window.show();
    KeepOnTop(&window);
    QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(window.isVisible());
    const QRect screen = window.screen()->geometry();
    QCOMPARE(window.x() + window.frameGeometry().width(), screen.right() + 1);
    QCOMPARE(window.y(), 40);
}

void TestShellParts::webPaneShowsAndOpensItsAddress() {
    TestEnvironment env;
    WebPane pane;
    const QString address = QStringLiteral("http://www.parlex.invalid/reklam/?prm=Parlex&a=<b>");
    pane.Navigate(address);
    QCOMPARE(pane.LocationURL(), address);
    auto* label = pane.findChild<QLabel*>(QStringLiteral("lblAddress"));
    QVERIFY(label->text().contains(address.toHtmlEscaped()));
    emit label->linkActivated(QStringLiteral("#"));
    QCOMPARE(env.ui().opened, (std::vector<QString>{address}));
}

void TestShellParts::helpPrefersTheDeliveredFile() {
    QTemporaryDir program;
    QTemporaryDir exe;
    QCOMPARE(HelpDocumentPath(program.path(), exe.path()), QString());

    QFile guide(exe.filePath(QStringLiteral("parlex.html")));
    QVERIFY(guide.open(QIODevice::WriteOnly));
    guide.close();
    QCOMPARE(HelpDocumentPath(program.path(), exe.path()), guide.fileName());

    QFile chm(program.filePath(QStringLiteral("parlex.chm")));
    QVERIFY(chm.open(QIODevice::WriteOnly));
    chm.close();
    QCOMPARE(HelpDocumentPath(program.path(), exe.path()), chm.fileName());
}

void TestShellParts::trayEventsCarryButtonValues() {
    QWidget host;
    TrayControl tray(&host);
    QList<QString> events;
    connect(&tray, &TrayControl::DblClick, this, [&] { events << QStringLiteral("DblClick"); });
    connect(&tray, &TrayControl::MouseDown, this,
            [&](int button, int, int, int) { events << QStringLiteral("Down%1").arg(button); });
    connect(&tray, &TrayControl::MouseUp, this,
            [&](int button, int, int, int) { events << QStringLiteral("Up%1").arg(button); });

    tray.deliverActivation(QSystemTrayIcon::Context);
    tray.deliverActivation(QSystemTrayIcon::Trigger);
    tray.deliverActivation(QSystemTrayIcon::DoubleClick);
    tray.deliverActivation(QSystemTrayIcon::MiddleClick);
    QCOMPARE(events, (QList<QString>{"Down2", "Up2", "Down1", "Up1", "DblClick"}));
}

void TestShellParts::trayIconOnlyWhileEnabled() {
    QWidget host;
    TrayControl tray(&host);
    QVERIFY(tray.Enabled());
    tray.forceAvailability(true);
    QVERIFY(tray.isIconShown());
    tray.setEnabled(false);
    QVERIFY(!tray.isIconShown());
    tray.setToolTipText(QStringLiteral("Parlex 1.0"));
    QCOMPARE(tray.ToolTipText(), QStringLiteral("Parlex 1.0"));
    tray.setEnabled(true);
    tray.forceAvailability(false);
    QVERIFY(tray.Enabled());
    QVERIFY(!tray.isIconShown());
}

void TestShellParts::loginReplies_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<LoginReply>("outcome");
    QTest::newRow("no connection") << "-1" << LoginReply::ConnectionError;
    QTest::newRow("proxy page") << "<HTML><BODY>Proxy</BODY></HTML>" << LoginReply::ConnectionError;
    QTest::newRow("portal page") << "<!DOCTYPE html><p>Giriş</p>" << LoginReply::ConnectionError;
    QTest::newRow("01") << "01" << LoginReply::WrongCredentials;
    QTest::newRow("03") << "03" << LoginReply::WrongCredentials;
    QTest::newRow("04") << "04" << LoginReply::CannotSend;
    QTest::newRow("05") << "05" << LoginReply::CannotSend;
    QTest::newRow("02") << "02" << LoginReply::Refused;
    QTest::newRow("empty") << "" << LoginReply::Refused;
    QTest::newRow("credit") << "1500\nFIRMA\n" << LoginReply::Accepted;
    QTest::newRow("bare credit") << "1500" << LoginReply::Accepted;
}

void TestShellParts::loginReplies() {
    QFETCH(QString, reply);
    QFETCH(LoginReply, outcome);
    QCOMPARE(ClassifyLoginReply(reply), outcome);
}

void TestShellParts::qtTextsAreTurkishWhereInstalled() {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFileInfo::exists(QDir(folder).filePath(QStringLiteral("qtbase_tr.qm"))))
        QSKIP("Qt's Turkish translations are not installed");
    QVERIFY(QtUi::installQtTranslations());
    QCOMPARE(QCoreApplication::translate("QFileDialog", "&Open"), QStringLiteral("&Aç"));
}

QTEST_MAIN(TestShellParts)
#include "tst_shellparts.moc"
