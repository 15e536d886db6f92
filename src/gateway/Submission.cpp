#include "Submission.h"

#include "Gateway.h"
#include "core/AppState.h"
#include "core/GatewayMode.h"
#include "core/Routines.h"

namespace {

const QString FileTag = QStringLiteral("[DosyadanSMS] ");
const QString Crlf = QStringLiteral("\r\n");

// Account check, whoever asks.
const QString CheckNoConnection =
    QStringLiteral("Kullanıcı bilgileri kontrol edilemiyor. İnternet bağlantınız kapalı ya da "
                   "bir güvenlik uygulaması denetiminde olabilir.");
const QString CodePrefix = QStringLiteral("Hata kodu : ");
// Rule runner's status bar.
const QString RunnerCheckWrongUser =
    QStringLiteral("Kullanıcı bilgileri kontrol edilemiyor. Mesaj gönderimi yapılamıyor.");
const QString RunnerCheckProxy = QStringLiteral(
    "Kullanıcı bilgilerinizde hata var. Ağınız Proxy Sunucusu denetiminde olabilir.");
const QString RunnerCheckLog = QStringLiteral(" kullanıcı bilgileri kontrol edilemiyor.");
// Send-from-file window.
const QString FileCheckWrongUser =
    QStringLiteral("Kullanıcı bilgilerinizde hata var. Mesaj gönderimi yapılamıyor.");
const QString FileCheckProxy = QStringLiteral(
    "Kullanıcı bilgileriniz kontrol edilemiyor. Ağınız Proxy Sunucusu denetiminde olabilir.");
const QString FileCheckHtml = QStringLiteral("Mesaj merkeziyle bağlantı kurulamıyor.");

const QString NoCredit = QStringLiteral(" mesaj paketi gönderilemedi. Yetersiz kredi miktarı.");
const QString Accepted = QStringLiteral(" mesaj paketi başarıyla gönderildi. MsgID : ");
const QString AcceptedBox = QStringLiteral("Mesaj paketi başarıyla gönderildi. MsgID : ");

const QString NotSent = QStringLiteral(" mesaj paketi gönderilemedi. ");
const QString SendNoCentre = QStringLiteral("Mesaj merkeziyle bağlantı kurulamadı. ");
const QString SendFirewall =
    QStringLiteral("Proxy Server veya Firewall kullanıyorsanız gerekli ayarları Yapmalısınız.");
const QString SendOriginator = QStringLiteral("Tanımsız Originator bilgisi.");
const QString SendNoConnection = QStringLiteral("Mesaj merkeziyle bağlantı kurulamıyor.");
const QString SendProxy = QStringLiteral("Ağınız Proxy Sunucusu denetiminde olabilir.");

const QString UnknownRunner = QStringLiteral(" dosyasının gönderim sonucu bilinmiyor: ");
const QString UnknownFile = QStringLiteral(" mesaj paketinin gönderim sonucu bilinmiyor: ");
const QString UnknownFileAdvice =
    QStringLiteral(" Paket mesaj merkezine ulaşmış olabilir; yeniden göndermeden önce mesaj "
                   "merkezindeki raporları kontrol edin.");

// A reply quoted in a log line: one line, and short enough to read.
constexpr qsizetype QuotedReplyLength = 200;

bool isHtmlPage(const QString& reply) {
    return reply.contains(QLatin1String("<HTML>"));
}

void describeFailedCheck(SubmissionOutcome& out) {
    const QString& r = out.infoReply;
    out.runnerLog = RunnerCheckLog;
    out.fileLogNamesFile = false;
    out.fileBoxNamesFile = false;
    out.fileBoxKind = UiServices::BoxKind::Error;

    if (r == QLatin1String("-1")) {
        out.runnerStatus = CheckNoConnection;
        out.fileLog = CheckNoConnection;
    } else if (r == QLatin1String("01")) {
        out.runnerStatus = RunnerCheckWrongUser;
        out.fileLog = FileCheckWrongUser;
    } else if (isHtmlPage(r)) {
        out.runnerStatus = RunnerCheckProxy;
        out.fileLog = FileCheckProxy;
    } else if (IsHtmlReply(r)) {
        out.runnerStatus = CodePrefix + r;
        out.fileLog = FileCheckHtml;
    } else {
        out.runnerStatus = CodePrefix + r;
        out.fileLog = CodePrefix + r;
    }
    // A reply that merely mentions html is logged by the window, not boxed.
    if (!(IsHtmlReply(r) && !isHtmlPage(r)))
        out.fileBox = out.fileLog;
}

QString unknownCause(const SubmissionOutcome& out, const Gateway::Exchange& exchange) {
    if (exchange.transportFailed)
        return QStringLiteral("yanıt alınamadı (") + exchange.error + QLatin1Char(')');
    QString cause = QStringLiteral("mesaj merkezinin yanıtı \"") +
                    out.sendReply.simplified().left(QuotedReplyLength) + QLatin1Char('"');
    if (exchange.httpStatus < 200 || exchange.httpStatus > 299)
        cause += QStringLiteral(" (HTTP %1)").arg(exchange.httpStatus);
    return cause;
}

void describeSubmission(SubmissionOutcome& out) {
    const QString& s = out.sendReply;
    if (out.verdict == SubmissionVerdict::Unknown) {
        out.runnerLog = UnknownRunner + out.unknownCause + QLatin1Char('.');
        out.fileLog = UnknownFile + out.unknownCause + QLatin1Char('.') + UnknownFileAdvice;
        out.fileBox = out.fileLog;
        return;
    }
    if (out.accepted) {
        out.runnerLog = Accepted + out.packageId;
        out.fileLog = out.runnerLog;
        out.fileBox = AcceptedBox + out.packageId;
        out.fileBoxNamesFile = false;
        out.fileBoxKind = UiServices::BoxKind::Information;
        return;
    }
    if (s == QLatin1String("04") || s == QLatin1String("05")) {
        out.runnerLog = NotSent + SendNoCentre + SendFirewall;
        out.fileBox = NotSent + SendNoCentre + Crlf + SendFirewall;
    } else if (s == QLatin1String("06")) {
        out.runnerLog = NotSent + SendOriginator;
    } else if (s == QLatin1String("-1")) {
        out.runnerLog = NotSent + SendNoConnection;
    } else if (isHtmlPage(s)) {
        out.runnerLog = NotSent + SendProxy;
    } else {
        return; // the other refusals have no message of their own
    }
    out.fileLog = out.runnerLog;
    if (out.fileBox.isEmpty())
        out.fileBox = out.runnerLog;
}

} // namespace

bool IsWellFormedPackageId(const QString& id) {
    if (id.isEmpty() || id.size() > 64)
        return false;
    for (const QChar c : id) {
        const char16_t u = c.unicode();
        const bool ok = (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') ||
                        (u >= u'A' && u <= u'Z') || u == u'-';
        if (!ok)
            return false;
    }
    return true;
}

bool IsAcceptanceReply(const QString& reply) {
    const QStringView line = WithoutLineEnd(reply);
    const auto digit = [](QChar c) {
        return c >= u'0' && c <= u'9';
    };
    if (line.size() < 3 || !digit(line[0]) || !digit(line[1]) || line[2] != u' ')
        return false;
    // "06 4711" is no package of the gateway's: 06 refuses.
    if (ReplyCodeList.split(QLatin1Char(',')).contains(line.left(2)))
        return false;
    return IsWellFormedPackageId(PackageIdOf(reply));
}

SubmissionVerdict JudgeSubmission(const QString& reply, const Gateway::Exchange& exchange) {
    const bool success = exchange.httpStatus >= 200 && exchange.httpStatus <= 299;
    if (!exchange.transportFailed && success && !IsErrorReply(reply) && IsAcceptanceReply(reply))
        return SubmissionVerdict::Accepted;
    // Only a request that left whole can have been taken.
    if (!exchange.requestComplete)
        return SubmissionVerdict::Refused;
    if (exchange.transportFailed)
        return SubmissionVerdict::Unknown;
    // The gateway's own codes refuse; so does a page from a proxy in the
    // way, but not a server error page: the gateway may have acted before
    // it failed.
    if (ReplyCodeList.split(QLatin1Char(',')).contains(reply))
        return SubmissionVerdict::Refused;
    if (IsHtmlReply(reply) && exchange.httpStatus < 500)
        return SubmissionVerdict::Refused;
    return SubmissionVerdict::Unknown;
}

SubmissionRequest SubmissionRequest::forActiveAccount(const QString& originator,
                                                      const QString& sendDate) {
    SubmissionRequest request;
    request.userName = App().gatewayUserName();
    request.password = App().gPassword;
    request.originator = originator;
    request.sendDate = sendDate;
    return request;
}

SubmissionOutcome SubmitPackage(Gateway& gateway, const SubmissionRequest& request) {
    SubmissionOutcome out;
    out.messageCount = request.messageCount.value_or(gateway.basketCount());

    // Whatever happens, the next package starts from an empty basket.
    struct EmptyBasketAtEnd {
        Gateway& gateway;
        ~EmptyBasketAtEnd() { gateway.clearsmsbasket(); }
    } emptyAtEnd{gateway};

    if (gateway.basketCount() == 0) {
        out.stage = SubmissionStage::NothingToSend;
        return out;
    }

    out.infoReply = gateway.GetInfo(request.userName, request.password);
    if (IsErrorReply(out.infoReply)) {
        out.stage = SubmissionStage::AccountCheckFailed;
        out.transportError = gateway.lastExchange().error;
        describeFailedCheck(out);
        return out;
    }

    out.credit = CreditOf(out.infoReply);
    if (out.messageCount > out.credit) {
        out.stage = SubmissionStage::InsufficientCredit;
        out.runnerLog = NoCredit;
        out.fileLog = NoCredit;
        if (App().gGatewayMode == GatewayMode::Hollin)
            out.fileBox = NoCredit;
        return out;
    }

    if (request.beforeSubmit)
        request.beforeSubmit();
    out.stage = SubmissionStage::Submitted;
    out.sendReply =
        gateway.sendsms(request.userName, request.password, request.originator, request.sendDate);
    const Gateway::Exchange& exchange = gateway.lastExchange();
    out.httpStatus = exchange.httpStatus;
    if (exchange.transportFailed) {
        out.transportError = exchange.error;
        out.requestMayHaveArrived = exchange.requestComplete;
    }
    out.verdict = JudgeSubmission(out.sendReply, exchange);
    out.accepted = out.verdict == SubmissionVerdict::Accepted;
    if (out.accepted)
        out.packageId = PackageIdOf(out.sendReply);
    else if (out.verdict == SubmissionVerdict::Unknown)
        out.unknownCause = unknownCause(out, exchange);
    describeSubmission(out);
    return out;
}

QString SubmissionOutcome::runnerStatusLine(const QString& ruleName) const {
    if (runnerStatus.isEmpty())
        return QString();
    return QLatin1Char('[') + ruleName + QLatin1String("] ") + runnerStatus;
}

QString SubmissionOutcome::runnerLogLine(const QString& ruleName, const QString& fileName) const {
    if (runnerLog.isEmpty())
        return QString();
    return QLatin1Char('[') + ruleName + QLatin1String("] ") + fileName + runnerLog;
}

QString SubmissionOutcome::fileLogLine(const QString& fileName) const {
    if (fileLog.isEmpty())
        return QString();
    return FileTag + (fileLogNamesFile ? fileName : QString()) + fileLog;
}

QString SubmissionOutcome::fileBoxText(const QString& fileName) const {
    if (fileBox.isEmpty())
        return QString();
    return (fileBoxNamesFile ? fileName : QString()) + fileBox;
}
