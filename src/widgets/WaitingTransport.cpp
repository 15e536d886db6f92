#include "WaitingTransport.h"

#include <atomic>
#include <charconv>
#include <exception>
#include <string_view>
#include <system_error>
#include <thread>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QPointer>
#include <QThread>

#include "StatusLine.h"

namespace {

int actionOf(const RequestBody& body) {
    if (body.pieces().empty())
        return -1;
    // User name and password are escaped, so the first tag is the real one.
    constexpr std::string_view tag = "<Action>";
    const std::string_view head = body.pieces().front();
    const size_t at = head.find(tag);
    if (at == std::string_view::npos)
        return -1;
    const char* first = head.data() + at + tag.size();
    int action = -1;
    std::from_chars(first, head.data() + head.size(), action);
    return action;
}

QString stepText(const RequestBody& body) {
    switch (actionOf(body)) {
    case 12:
        return QStringLiteral("Mesaj merkezine bağlanılıyor...");
    case 4:
        return QStringLiteral("Hesap bilgileri kontrol ediliyor...");
    case 1:
        return QStringLiteral("Mesaj paketi gönderiliyor...");
    case 9:
    case 11:
    case 14:
    case 15:
    case 17:
        return QStringLiteral("Rapor alınıyor...");
    default:
        return QStringLiteral("Mesaj merkeziyle iletişim kuruluyor...");
    }
}

bool isUserInput(const QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        // The program's own synthetic events still go through.
        return event->spontaneous();
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

// Holds back the user's input while the interface waits. Only at the loop
// level where the wait began: a box that a timer opens meanwhile runs a loop
// of its own and must still be answerable.
class InputHold : public QObject {
public:
    InputHold()
        : m_level(QThread::currentThread()->loopLevel()) {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (QThread::currentThread()->loopLevel() != m_level)
            return QObject::eventFilter(watched, event);
        // How a top-level window's closing arrives, whoever asked: Qt sends
        // the program's own close() through the window system too. Refused,
        // not lost: the window stays and can be closed again afterwards.
        if (event->type() == QEvent::Close && event->spontaneous()) {
            event->ignore();
            return true;
        }
        return isUserInput(event);
    }

private:
    int m_level;
};

// What the user sees while a request is in hand.
class WaitScope {
public:
    explicit WaitScope(QString step)
        : m_step(std::move(step))
        , m_line(StatusLine::current())
        , m_lineAlive(dynamic_cast<QObject*>(m_line)) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        if (m_line) {
            m_previous = m_line->statusText();
            m_line->setStatusText(m_step);
        }
    }

    ~WaitScope() {
        QGuiApplication::restoreOverrideCursor();
        // A text written meanwhile (by a pass the timer ran) is newer news.
        if (m_lineAlive && m_line->statusText() == m_step)
            m_line->setStatusText(m_previous);
    }

    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    InputHold m_hold;
    QString m_step;
    StatusLine* m_line;
    // The main window may close while the request is out.
    QPointer<QObject> m_lineAlive;
    QString m_previous;
};

HttpResult postCaught(HttpTransport& transport, const QString& url, const RequestBody& body,
                      std::exception_ptr& failure) {
    try {
        return transport.post(url, body);
    } catch (...) {
        failure = std::current_exception();
        return HttpResult{};
    }
}

} // namespace

WaitingTransport::WaitingTransport(std::shared_ptr<HttpTransport> inner)
    : m_inner(std::move(inner)) {}

void WaitingTransport::install() {
    SetDefaultHttpTransport(std::make_shared<WaitingTransport>(DefaultHttpTransport()));
}

HttpResult WaitingTransport::post(const QString& url, const RequestBody& body) {
    const QCoreApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return m_inner->post(url, body);

    // The caller's text may be the settings' own, which the interface may
    // change while the worker reads it.
    const QString address = url;
    QAbstractEventDispatcher* dispatcher = QThread::currentThread()->eventDispatcher();
    HttpResult result;
    std::exception_ptr failure;
    std::atomic<bool> done = false;
    std::thread worker;
    try {
        worker = std::thread([&] {
            result = postCaught(*m_inner, address, body, failure);
            done.store(true, std::memory_order_release);
            dispatcher->wakeUp();
        });
    } catch (const std::system_error&) {
        // No thread to be had: the request still goes, on this thread.
        return m_inner->post(address, body);
    }
    {
        const WaitScope scope(stepText(body));
        // Not QEventLoop::exec(): once QCoreApplication::exit() has been
        // called every such loop returns at once, but the request in hand
        // must be seen through. Nested waits each wait for their own worker.
        while (!done.load(std::memory_order_acquire))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
    return result;
}
