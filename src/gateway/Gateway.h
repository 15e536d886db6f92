#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QString>
#include <QStringList>

#include "HttpTransport.h"
#include "SmsBasket.h"

// The SMS gateway client. Every request operation turns its arguments into a
// small XML document, posts it to App().gGatewayUrl (read at each request,
// so a change of account mode takes effect with the next one) and returns the
// reply body as text, unchanged whatever the HTTP status. Every transport
// failure (refused, unreachable, DNS, TLS, time-out, connection cut) is the
// reply "-1"; no operation raises except addtosmsbasket.
//
// Values are put into the documents with "&", "<" and ">" escaped, so a
// password such as a<b&c reaches the gateway intact; a document whose values
// hold none of these three is exactly the gateway's documented form.
//
// One object serves one task (a check, a package, a report) and holds nothing
// between requests but its basket.
class Gateway {
public:
    Gateway();
    explicit Gateway(std::shared_ptr<HttpTransport> transport);

    // Action 12: the gateway's clock.
    QString GetSystemTime(const QString& userName, const QString& password);
    // Action 4: the credit on the first line, then one originator per line,
    // each ended by LF.
    QString GetInfo(const QString& userName, const QString& password);

    void clearsmsbasket();
    // Queues one message. A message longer than 160 characters or a number
    // longer than 20 raises RecordsetError; the basket is then unchanged.
    void addtosmsbasket(const QString& message, const QString& gsm);
    // addtosmsbasket(CleanMessageText(message), gsm) in one pass, for the
    // senders' millions of rows.
    void addCleanedToBasket(QStringView message, QStringView gsm);
    // Action 1: submits the basket as one package. "-2" without any request
    // when the basket is empty. The basket is emptied once a reply arrives,
    // whatever it says, and kept after "-1". sendDate is empty for now, or
    // ddMMyyyyHHmm.
    QString sendsms(const QString& userName, const QString& password, const QString& originator,
                    const QString& sendDate);

    // Action 11: one line per message of the package, ending in the 10-digit
    // number, a separator and the state digit.
    QString getmsgstatus(const QString& userName, const QString& password, const QString& msgId);
    // Action 9: the same, for the messages not delivered yet.
    QString getmsgstatusundelivered(const QString& userName, const QString& password,
                                    const QString& msgId);
    // Action 17: the same lines for every message sent between the two dates
    // (yyyy-MM-dd).
    QString getmsgstatustodate(const QString& userName, const QString& password,
                               const QString& firstDate, const QString& lastDate);
    // Action 15: an XML document with one msgbody element per message of the
    // package sent to that number.
    QString getmsgbody(const QString& userName, const QString& password, const QString& gsmNo,
                       const QString& msgId);
    // Action 14: "identifier date" lines, one per package sent to the number
    // between the two dates.
    QString getmsgidtodate(const QString& userName, const QString& password, const QString& gsmNo,
                           const QString& firstDate, const QString& lastDate);

    QString about() const;

    int basketCount() const { return Basket.recordCount(); }

    // How the last request went, beyond its reply text: for a log line, and
    // for a caller that must know whether a "-1" submission may still have
    // reached the gateway (requestComplete).
    struct Exchange {
        bool sent = false; // a request was attempted
        bool transportFailed = false;
        bool requestComplete = false;
        int httpStatus = 0;
        QString error;
    };
    const Exchange& lastExchange() const { return m_last; }

    // Called between the pieces of a long reply as it is decoded: a report
    // yields there, so its window repaints while megabytes become text.
    void setBreath(std::function<void()> breath) { m_breath = std::move(breath); }

private:
    QString report(const QString& userName, const QString& password, int action,
                   const QString& extra);
    QString exchange(const RequestBody& body);

    std::shared_ptr<HttpTransport> m_transport;
    SmsBasket Basket;
    Exchange m_last;
    std::function<void()> m_breath;
};

// Readers of the GetInfo reply. The credit is the text before the first LF as
// a whole number, 0 when it is none; the originators are the further lines
// that end in LF (a last piece without one is not a line).
qint64 CreditOf(const QString& infoReply);
QStringList OriginatorsOf(const QString& infoReply);

// The account as a GetInfo reply gives it; none for an empty or error reply,
// or one without its credit line (ended by LF): that is never a balance.
struct AccountInfo {
    qint64 credit = 0;
    QString creditText; // the first line as the gateway wrote it, without its line end
    QStringList originators;
};
std::optional<AccountInfo> AccountInfoOf(const QString& infoReply);
// GetInfo with the active account of AppState.
std::optional<AccountInfo> AskAccountInfo();

// A reply without its final line end (LF or CR LF), if it has one.
QStringView WithoutLineEnd(QStringView reply);

// The package identifier of an accepted submission: the reply from its fourth
// character on, without its line end.
QString PackageIdOf(const QString& sendReply);
