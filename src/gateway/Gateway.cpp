#include "Gateway.h"

#include <QLoggingCategory>

#include "ReplyText.h"
#include "core/AppState.h"
#include "core/Routines.h"

Q_LOGGING_CATEGORY(lcGateway, "parlex.gateway")

namespace {

const QString TransportFailure = QStringLiteral("-1");
const QString EmptyBasket = QStringLiteral("-2");

QByteArray credentials(const QString& root, const QString& userName, const QString& password,
                       int action) {
    return (QLatin1Char('<') + root + QLatin1String("><UserName>") + EscapeXml(userName) +
            QLatin1String("</UserName><PassWord>") + EscapeXml(password) +
            QLatin1String("</PassWord><Action>") + QString::number(action) +
            QLatin1String("</Action>"))
        .toUtf8();
}

QString element(const char* name, const QString& value) {
    const QLatin1String tag(name);
    return QLatin1Char('<') + tag + QLatin1Char('>') + EscapeXml(value) + QLatin1String("</") +
           tag + QLatin1Char('>');
}

} // namespace

Gateway::Gateway()
    : Gateway(DefaultHttpTransport()) {}

Gateway::Gateway(std::shared_ptr<HttpTransport> transport)
    : m_transport(transport ? std::move(transport) : DefaultHttpTransport()) {}

QString Gateway::exchange(const RequestBody& body) {
    m_last = Exchange{};
    m_last.sent = true;
    HttpResult result;
    try {
        result = m_transport->post(App().gGatewayUrl, body);
    } catch (const std::exception& e) {
        result = HttpResult{};
        result.error = QString::fromLocal8Bit(e.what());
    } catch (...) {
        result = HttpResult{};
        result.error = QStringLiteral("unknown failure in the transport");
    }
    m_last.httpStatus = result.status;
    m_last.requestComplete = result.requestComplete;
    if (!result.ok) {
        m_last.transportFailed = true;
        m_last.error = result.error;
        qCInfo(lcGateway).noquote()
            << "request to" << App().gGatewayUrl << "failed:" << result.error;
        return TransportFailure;
    }
    return DecodeReply(result.body, m_breath);
}

QString Gateway::report(const QString& userName, const QString& password, int action,
                        const QString& extra) {
    QByteArray body = credentials(QStringLiteral("MainReportRoot"), userName, password, action);
    body += extra.toUtf8();
    body += "</MainReportRoot>";
    return exchange(RequestBody(std::move(body)));
}

QString Gateway::GetSystemTime(const QString& userName, const QString& password) {
    return report(userName, password, 12, QString());
}

QString Gateway::GetInfo(const QString& userName, const QString& password) {
    return report(userName, password, 4, QString());
}

void Gateway::clearsmsbasket() {
    Basket.clear();
}

void Gateway::addtosmsbasket(const QString& message, const QString& gsm) {
    Basket.append(message, gsm);
}

void Gateway::addCleanedToBasket(QStringView message, QStringView gsm) {
    Basket.appendCleaned(message, gsm);
}

QString Gateway::sendsms(const QString& userName, const QString& password,
                         const QString& originator, const QString& sendDate) {
    if (Basket.isEmpty())
        return EmptyBasket;
    RequestBody body;
    try {
        body.append(credentials(QStringLiteral("MainmsgBody"), userName, password, 1) +
                    QByteArrayLiteral("<Messages>"));
        Basket.appendTo(body);
        body.append((QLatin1String("</Messages>") + element("Originator", originator) +
                     element("SDate", sendDate) + QLatin1String("</MainmsgBody>"))
                        .toUtf8());
    } catch (const std::exception& e) {
        // Out of memory for the body: nothing left, the basket stays.
        m_last = Exchange{};
        m_last.transportFailed = true;
        m_last.error = QString::fromLocal8Bit(e.what());
        return TransportFailure;
    }
    const QString reply = exchange(body);
    if (!m_last.transportFailed)
        Basket.clear();
    return reply;
}

QString Gateway::getmsgstatus(const QString& userName, const QString& password,
                              const QString& msgId) {
    return report(userName, password, 11, element("MsgID", msgId));
}

QString Gateway::getmsgstatusundelivered(const QString& userName, const QString& password,
                                         const QString& msgId) {
    return report(userName, password, 9, element("MsgID", msgId));
}

QString Gateway::getmsgstatustodate(const QString& userName, const QString& password,
                                    const QString& firstDate, const QString& lastDate) {
    return report(userName, password, 17, element("FDate", firstDate) + element("LDate", lastDate));
}

QString Gateway::getmsgbody(const QString& userName, const QString& password, const QString& gsmNo,
                            const QString& msgId) {
    return report(userName, password, 15, element("GsmNo", gsmNo) + element("MsgID", msgId));
}

QString Gateway::getmsgidtodate(const QString& userName, const QString& password,
                                const QString& gsmNo, const QString& firstDate,
                                const QString& lastDate) {
    return report(userName, password, 14,
                  element("GsmNo", gsmNo) + element("FDate", firstDate) +
                      element("LDate", lastDate));
}

QString Gateway::about() const {
    return QStringLiteral("Parlex SMS gateway client 1.0\r\nParlex developers");
}

qint64 CreditOf(const QString& infoReply) {
    const qsizetype lf = infoReply.indexOf(QLatin1Char('\n'));
    const QString first = (lf < 0 ? infoReply : infoReply.left(lf)).trimmed();
    bool ok = false;
    const qint64 credit = first.toLongLong(&ok);
    return ok ? credit : 0;
}

QStringList OriginatorsOf(const QString& infoReply) {
    QStringList originators;
    qsizetype start = infoReply.indexOf(QLatin1Char('\n'));
    if (start < 0)
        return originators;
    ++start;
    for (;;) {
        const qsizetype lf = infoReply.indexOf(QLatin1Char('\n'), start);
        if (lf < 0)
            break;
        QString line = infoReply.mid(start, lf - start);
        // A gateway that ends its lines with CR LF must not leave the CR in a
        // sender name that is sent back to it.
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        originators << line;
        start = lf + 1;
    }
    return originators;
}

std::optional<AccountInfo> AccountInfoOf(const QString& infoReply) {
    const qsizetype lf = infoReply.indexOf(QLatin1Char('\n'));
    if (lf < 0 || IsErrorReply(infoReply))
        return std::nullopt;
    // The credit line is shown as it is: a CR LF gateway's CR is not part of it.
    QString creditText = infoReply.left(lf);
    if (creditText.endsWith(QLatin1Char('\r')))
        creditText.chop(1);
    return AccountInfo{CreditOf(infoReply), creditText, OriginatorsOf(infoReply)};
}

std::optional<AccountInfo> AskAccountInfo() {
    return AccountInfoOf(Gateway().GetInfo(App().gatewayUserName(), App().gPassword));
}

QStringView WithoutLineEnd(QStringView reply) {
    if (reply.endsWith(u'\n'))
        reply.chop(1);
    if (reply.endsWith(u'\r'))
        reply.chop(1);
    return reply;
}

QString PackageIdOf(const QString& sendReply) {
    return WithoutLineEnd(sendReply).mid(3).toString();
}
