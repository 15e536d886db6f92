#include <QSignalSpy>
#include <QtTest>

#include "widgets/XpButton.h"

using namespace Qt::StringLiterals;

// The XP-style button as drawn and as it answers the mouse and the keys.
class TestXpButton : public QObject {
    Q_OBJECT

    // The button as it would appear on screen, corners cut.
    static QImage rendered(XpButton& button) {
        QImage image(button.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        button.render(&image, QPoint(), button.mask());
        return image;
    }

    static void mouse(XpButton& button, QEvent::Type type, Qt::MouseButton which) {
        QMouseEvent event(type, QPointF(5, 5), QPointF(5, 5), which,
                          type == QEvent::MouseMove ? Qt::NoButton : which, Qt::NoModifier);
        QApplication::sendEvent(&button, &event);
    }

private slots:
    void looks_data() {
        QTest::addColumn<QString>("look");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("normal face row 10")
            << u"normal"_s << QPoint(5, 10) << QColor(248, 248, 246);
        QTest::newRow("normal shade 19") << u"normal"_s << QPoint(5, 19) << QColor(214, 208, 197);
        QTest::newRow("beside corner") << u"normal"_s << QPoint(38, 0) << QColor(122, 149, 168);
        QTest::newRow("inner corner") << u"normal"_s << QPoint(38, 19) << QColor(37, 87, 131);
        QTest::newRow("hover side") << u"hover"_s << QPoint(1, 5) << QColor(251, 214, 133);
        QTest::newRow("hover bottom") << u"hover"_s << QPoint(5, 19) << QColor(229, 151, 0);
        QTest::newRow("focus bottom") << u"focus"_s << QPoint(5, 19) << QColor(97, 125, 229);
        QTest::newRow("focus corner") << u"focus"_s << QPoint(2, 19) << QColor(77, 125, 193);
        QTest::newRow("pressed band") << u"pressed"_s << QPoint(5, 6) << QColor(238, 237, 230);
        QTest::newRow("pressed bottom") << u"pressed"_s << QPoint(5, 19) << QColor(242, 241, 238);
        QTest::newRow("disabled corner") << u"disabled"_s << QPoint(2, 1) << QColor(234, 233, 222);
        QTest::newRow("right press") << u"right"_s << QPoint(5, 19) << QColor(214, 208, 197);
        QTest::newRow("cut corner") << u"normal"_s << QPoint(39, 20) << QColor(Qt::transparent);
    }
    void looks() {
        QFETCH(QString, look);
        QFETCH(QPoint, at);
        QFETCH(QColor, colour);
        QWidget host;
        host.setAttribute(Qt::WA_DontShowOnScreen);
        XpButton button(&host);
        button.resize(40, 21);
        host.show();
        QSignalSpy down(&button, &XpButton::MouseDown);
        if (look == u"hover")
            mouse(button, QEvent::MouseMove, Qt::NoButton);
        if (look == u"focus") {
            QFocusEvent in(QEvent::FocusIn);
            QApplication::sendEvent(&button, &in);
        }
        if (look == u"pressed" || look == u"right")
            mouse(button, QEvent::MouseButtonPress,
                  look == u"right" ? Qt::RightButton : Qt::LeftButton);
        if (look == u"right")
            QCOMPARE(down.value(0).value(0).toInt(), 2);
        button.setEnabled(look != u"disabled");
        QCOMPARE(rendered(button).pixelColor(at), colour);
    }

    // A click by keyboard needs the same key pressed and released; the
    // arrows move the focus, forward for Left and Right.
    void keyboard() {
        QWidget window;
        XpButton a(&window), b(&window), c(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy clicks(&b, &XpButton::Click);
        b.setFocus();
        QTest::keyClick(&b, Qt::Key_Space);
        QCOMPARE(clicks.size(), 1);
        QTest::keyPress(&b, Qt::Key_Space);
        QTest::keyRelease(&b, Qt::Key_Return);
        QCOMPARE(clicks.size(), 1);
        QTest::keyClick(&b, Qt::Key_Right);
        QTRY_VERIFY(c.hasFocus());
        QTest::keyClick(&c, Qt::Key_Up);
        QTRY_VERIFY(b.hasFocus());
    }

    // Clicks as the window system delivers them: a double click is one
    // Click and a second press, not two Clicks; two separate clicks are two.
    void mouseClicks_data() {
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<QList<int>>("counts"); // Click, MouseDown, MouseUp
        QTest::newRow("double click") << true << QList<int>{1, 2, 2};
        QTest::newRow("two clicks") << false << QList<int>{2, 2, 2};
    }
    void mouseClicks() {
        QFETCH(bool, doubleClick);
        QFETCH(QList<int>, counts);
        QWidget window;
        window.resize(100, 60);
        XpButton button(&window);
        button.setGeometry(10, 10, 75, 23);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy clicks(&button, &XpButton::Click);
        QSignalSpy downs(&button, &XpButton::MouseDown);
        QSignalSpy ups(&button, &XpButton::MouseUp);
        const QPoint at = button.geometry().center();
        if (doubleClick) {
            QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, at);
        } else {
            QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, at);
            QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, at);
        }
        QCOMPARE(QList<int>({int(clicks.size()), int(downs.size()), int(ups.size())}), counts);
    }

    // The letter after the first single "&", in lower case.
    void accessKey() {
        QCOMPARE(XpButton::AccessKeyOf(u"&Tamam"_s), u't');
        QCOMPARE(XpButton::AccessKeyOf(u"A && B &Xyz"_s), u'x');
        QVERIFY(XpButton::AccessKeyOf(u"Tamam&"_s).isNull());
    }
};

QTEST_MAIN(TestXpButton)
#include "tst_xpbutton.moc"
