#include <QAction>
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
#include "gateway/Gateway.h"
#include "shell/HelpDocument.h"
#include "shell/KeepOnTop.h"
#include "shell/QtUi.h"
#include "shell/TrayControl.h"
#include "shell/WaitingTransport.h"
#include "shell/WebPane.h"
#include "shell/frmMenu.h"
#include "support/SimulatorFixture.h"
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
    void requestWaitsWithoutFreezing_data();
    void requestWaitsWithoutFreezing();
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

void TestShellParts::requestWaitsWithoutFreezing_data() {
    QTest::addColumn<bool>("package");      // sendsms rather than GetInfo
    QTest::addColumn<QString>("meanwhile"); // what happens while the gateway holds its reply
    QTest::addColumn<QString>("step");      // panel 2 meanwhile

    const QString info = QStringLiteral("Hesap bilgileri kontrol ediliyor...");
    QTest::newRow("click on a button") << false << "click" << info;
    QTest::newRow("shortcut key") << false << "key" << info;
    QTest::newRow("window closed") << false << "close" << info;
    QTest::newRow("second request") << false << "request" << info;
    QTest::newRow("program told to end")
        << true << "exit" << QStringLiteral("Mesaj paketi gönderiliyor...");
}

void TestShellParts::requestWaitsWithoutFreezing() {
    QFETCH(bool, package);
    QFETCH(QString, meanwhile);
    QFETCH(QString, step);
    TestEnvironment env;
    SimulatorFixture sim;
    const int action = package ? 1 : 4;
    // Held until the test lets it go: stopping the simulator cuts the delay.
    sim->setFault(action, SimFault::delayed(std::chrono::minutes(1)));
    auto waiting = std::make_shared<WaitingTransport>(DefaultHttpTransport());
    const QString user = QString::fromStdString(SimulatorFixture::MainUser);
    frmMenu menu;
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("Gönder"), &window);
    window.show();
    auto* refresh = new QAction(&window);
    refresh->setShortcut(Qt::Key_F5);
    window.addAction(refresh);
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    bool returned = false;
    int handledBeforeReturn = 0;
    connect(button, &QPushButton::clicked, [&] { handledBeforeReturn += returned ? 0 : 1; });
    connect(refresh, &QAction::triggered, [&] { handledBeforeReturn += returned ? 0 : 1; });

    // The interference comes from a timer, which only fires if the
    // interface goes on running while the request waits.
    int ticks = 0;
    int interferedAt = 0;
    QString stepShown;
    bool busyCursor = false;
    QString secondReply;
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        if (sim->arrivedCount(action) == 0)
            return;
        if (interferedAt == 0) {
            interferedAt = ticks;
            stepShown = menu.statusPanel(2);
            busyCursor = QGuiApplication::overrideCursor() &&
                         QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
            if (meanwhile == QLatin1String("click"))
                QTest::mouseClick(button, Qt::LeftButton);
            else if (meanwhile == QLatin1String("key"))
                QTest::keyClick(window.windowHandle(), Qt::Key_F5);
            else if (meanwhile == QLatin1String("close"))
                QVERIFY(!window.close());
            else if (meanwhile == QLatin1String("request"))
                secondReply = Gateway(waiting).GetSystemTime(user, SimulatorFixture::Password);
            else
                QCoreApplication::exit(0);
        } else if (ticks == interferedAt + 3) {
            sim->stop(); // the interface still runs: let the reply go
        }
    });
    timer.start(10);

    Gateway gateway(waiting);
    QString reply;
    QTimer::singleShot(0, [&] {
        if (package) {
            gateway.addtosmsbasket(QStringLiteral("Merhaba"), QStringLiteral("5321234567"));
            reply = gateway.sendsms(user, SimulatorFixture::Password, QStringLiteral("PARLEX"),
                                    QString());
        } else {
            reply = gateway.GetInfo(user, SimulatorFixture::Password);
        }
        returned = true;
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();

    QVERIFY(interferedAt > 0);
    QCOMPARE(gateway.lastExchange().transportFailed, false);
    if (package)
        QCOMPARE(reply.left(3) + QString::number(sim->packageCount()), QStringLiteral("00 1"));
    else
        QCOMPARE(reply, QStringLiteral("1000\nPARLEX\nACME\n"));
    QCOMPARE(handledBeforeReturn, 0);
    QVERIFY(window.isVisible());
    if (meanwhile == QLatin1String("request"))
        QVERIFY(!secondReply.isEmpty() && secondReply != QLatin1String("-1"));
    QCOMPARE(stepShown, step);
    QVERIFY(busyCursor);
    QCOMPARE(menu.statusPanel(2), QStringLiteral("Hazır"));
    QVERIFY(!QGuiApplication::overrideCursor());
    // A refused close is not lost: the user closes again.
    QVERIFY(window.close());
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
