#pragma once

#include <chrono>
#include <memory>
#include <string_view>
#include <vector>

#include <QByteArray>
#include <QString>

// The bytes of one request body. Large parts (a basket of a million messages)
// are referenced rather than copied: the pieces go out back to back.
class RequestBody {
public:
    RequestBody() = default;
    explicit RequestBody(QByteArray bytes) { append(std::move(bytes)); }

    // Kept by the body.
    void append(QByteArray bytes);
    // Referenced: the bytes must outlive every post of this body.
    void appendView(std::string_view bytes);

    qint64 size() const { return m_size; }
    const std::vector<std::string_view>& pieces() const { return m_pieces; }
    QByteArray toByteArray() const;

private:
    std::vector<QByteArray> m_owned;
    std::vector<std::string_view> m_pieces;
    qint64 m_size = 0;
};

// What one POST came to.
struct HttpResult {
    bool ok = false; // a reply arrived, whatever its HTTP status
    int status = 0;  // HTTP status of that reply
    QByteArray body; // the reply body, unchanged
    QString error;   // why no reply arrived, for the log
    // The whole request left this machine, so the server may have acted on
    // it even though no reply came back.
    bool requestComplete = false;
};

// One blocking POST. Implementations never throw: every failure is a result
// with ok = false.
class HttpTransport {
public:
    virtual ~HttpTransport() = default;
    virtual HttpResult post(const QString& url, const RequestBody& body) = 0;
};

struct GatewayTimeouts {
    std::chrono::milliseconds connect{30'000};
    // No byte moving either way for this long ends the exchange: a stalled
    // server cannot block the program for ever, while a large package that
    // keeps moving is never cut, however long it takes. Counted from the
    // start of the request, so it must be longer than `connect`. Zero: never.
    std::chrono::milliseconds stall{60'000};
};

// Tells when an exchange has stalled: neither count of bytes (sent,
// received) has changed for the whole period.
class StallWatch {
public:
    using Clock = std::chrono::steady_clock;

    StallWatch(std::chrono::milliseconds period, Clock::time_point start)
        : m_period(period)
        , m_lastMove(start) {}

    bool stalled(qint64 sent, qint64 received, Clock::time_point now) {
        if (sent != m_sent || received != m_received) {
            m_sent = sent;
            m_received = received;
            m_lastMove = now;
            return false;
        }
        return m_period.count() > 0 && now - m_lastMove >= m_period;
    }

private:
    std::chrono::milliseconds m_period;
    Clock::time_point m_lastMove;
    qint64 m_sent = 0;
    qint64 m_received = 0;
};

// libcurl: UTF-8 body as text/plain, no "Expect: 100-continue", proxies from
// the usual environment variables, the system's certificate store, http and
// https only, no redirects followed, a fresh connection per request.
class CurlTransport final : public HttpTransport {
public:
    explicit CurlTransport(GatewayTimeouts timeouts = {});

    HttpResult post(const QString& url, const RequestBody& body) override;

    // A reply larger than this is treated as a failed exchange rather than
    // filling the memory.
    static constexpr qint64 MaxReplyBytes = qint64(512) * 1024 * 1024;

private:
    GatewayTimeouts m_timeouts;
};

// The transport a new Gateway uses unless it is given one. Tests install one
// with short time-outs or a fake; nullptr restores libcurl with the normal
// time-outs.
std::shared_ptr<HttpTransport> DefaultHttpTransport();
void SetDefaultHttpTransport(std::shared_ptr<HttpTransport> transport);
