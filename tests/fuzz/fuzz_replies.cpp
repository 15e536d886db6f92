// The readers of the gateway's replies, and one whole submission with the
// two replies taken from the input.
//
//   byte 0  the submission's exchange: bit 0 transport failed, bit 1 the
//           request left whole; bit 2 the account check's transport failed;
//           bit 3 the Hollin gateway; bits 4-5 messages in the basket, less one
//   byte 1  HTTP status of the submission's reply (one of 16)
//   then    the account check's reply (GetInfo), a NUL, the submission's reply
#include <cstddef>
#include <cstdint>

#include <QLoggingCategory>
#include <QStringDecoder>

#include "FuzzCheck.h"
#include "core/AppState.h"
#include "core/GatewayMode.h"
#include "core/Routines.h"
#include "gateway/Gateway.h"
#include "gateway/ReplyText.h"
#include "gateway/Submission.h"
#include "textsource/CodePage.h"

namespace {

// Answers the account check, then the submission.
class ScriptedTransport : public HttpTransport {
public:
    HttpResult replies[2];
    int posts = 0;

    HttpResult post(const QString&, const RequestBody&) override {
        FUZZ_CHECK(posts < 2);
        return replies[posts++];
    }
};

HttpResult result(bool transportFailed, bool requestComplete, int status, QByteArray body) {
    HttpResult r;
    r.ok = !transportFailed;
    r.status = transportFailed ? 0 : status;
    r.body = transportFailed ? QByteArray() : std::move(body);
    r.error = transportFailed ? QStringLiteral("cut off") : QString();
    r.requestComplete = requestComplete;
    return r;
}

QString checkedDecode(const QByteArray& bytes) {
    const QString text = DecodeReply(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    FUZZ_CHECK(text == (utf8.hasError() ? DecodeWindows1254(bytes) : asUtf8));
    return text;
}

void checkInfoReaders(const QString& reply) {
    (void)CreditOf(reply);
    const QStringList originators = OriginatorsOf(reply);
    FUZZ_CHECK(originators.size() == std::max<qsizetype>(reply.count(QLatin1Char('\n')) - 1, 0));
    for (const QString& originator : originators)
        FUZZ_CHECK(!originator.contains(QLatin1Char('\n')));
}

void checkJudgement(const QString& reply, const Gateway::Exchange& exchange) {
    const SubmissionVerdict verdict = JudgeSubmission(reply, exchange);
    const QString id = PackageIdOf(reply);
    FUZZ_CHECK(id == id.trimmed());
    if (verdict == SubmissionVerdict::Accepted) {
        FUZZ_CHECK(!exchange.transportFailed);
        FUZZ_CHECK(exchange.httpStatus >= 200 && exchange.httpStatus <= 299);
        FUZZ_CHECK(!IsErrorReply(reply));
        FUZZ_CHECK(IsWellFormedPackageId(id));
    } else if (!exchange.requestComplete) {
        // Only a request that left whole can have been taken.
        FUZZ_CHECK(verdict == SubmissionVerdict::Refused);
    }
    if (IsWellFormedPackageId(id)) {
        FUZZ_CHECK(id.size() <= 64);
        FUZZ_CHECK(!id.contains(QLatin1Char(' ')));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A failed exchange is logged; thousands of log lines a second would
    // only slow the run.
    QLoggingCategory::setFilterRules(QStringLiteral("parlex.*=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static constexpr int Statuses[16] = {200, 201, 204, 299, 0,   100, 199, 300,
                                         302, 404, 407, 499, 500, 502, 503, 600};
    fuzz::Input input(data, size);
    const uint8_t flags = input.byte();
    const int status = Statuses[input.byte() & 15];
    const QByteArray infoBytes = input.until(0);
    const QByteArray sendBytes = input.rest();

    const QString infoReply = checkedDecode(infoBytes);
    const QString sendReply = checkedDecode(sendBytes);
    checkInfoReaders(infoReply);
    checkInfoReaders(sendReply);
    Gateway::Exchange exchange;
    exchange.sent = true;
    exchange.transportFailed = flags & 1;
    exchange.requestComplete = flags & 2;
    exchange.httpStatus = exchange.transportFailed ? 0 : status;
    checkJudgement(sendReply, exchange);
    checkJudgement(infoReply, exchange);

    App().gGatewayMode = flags & 8 ? GatewayMode::Hollin : GatewayMode::Main;
    auto transport = std::make_shared<ScriptedTransport>();
    transport->replies[0] = result(flags & 4, true, 200, infoBytes);
    transport->replies[1] = result(flags & 1, flags & 2, status, sendBytes);
    Gateway gateway(transport);
    const int messages = ((flags >> 4) & 3) + 1;
    for (int i = 0; i < messages; ++i)
        gateway.addCleanedToBasket(u"Sayın müşterimiz", u"5321234567");
    SubmissionRequest request;
    request.userName = QStringLiteral("demo-1000");
    request.password = QStringLiteral("s3cret");
    request.originator = QStringLiteral("PARLEX");
    const SubmissionOutcome outcome = SubmitPackage(gateway, request);

    FUZZ_CHECK(gateway.basketCount() == 0);
    FUZZ_CHECK(outcome.messageCount == messages);
    const QString info = transport->replies[0].ok ? infoReply : QStringLiteral("-1");
    FUZZ_CHECK(outcome.infoReply == info);
    if (IsErrorReply(info)) {
        FUZZ_CHECK(outcome.stage == SubmissionStage::AccountCheckFailed);
        FUZZ_CHECK(transport->posts == 1);
    } else if (CreditOf(info) < messages) {
        FUZZ_CHECK(outcome.stage == SubmissionStage::InsufficientCredit);
        FUZZ_CHECK(transport->posts == 1);
    } else {
        FUZZ_CHECK(outcome.stage == SubmissionStage::Submitted);
        FUZZ_CHECK(transport->posts == 2);
        FUZZ_CHECK(outcome.sendReply ==
                   (transport->replies[1].ok ? sendReply : QStringLiteral("-1")));
        FUZZ_CHECK(outcome.accepted == (outcome.verdict == SubmissionVerdict::Accepted));
        FUZZ_CHECK(outcome.verdict == JudgeSubmission(outcome.sendReply, gateway.lastExchange()));
        if (outcome.accepted)
            FUZZ_CHECK(outcome.packageId == PackageIdOf(outcome.sendReply));
        else
            FUZZ_CHECK(outcome.packageId.isEmpty());
        FUZZ_CHECK((outcome.verdict == SubmissionVerdict::Unknown) !=
                   outcome.unknownCause.isEmpty());
    }
    // Every text a caller shows is made without fault.
    (void)outcome.runnerStatusLine(QStringLiteral("kural"));
    (void)outcome.runnerLogLine(QStringLiteral("kural"), QStringLiteral("liste.txt"));
    (void)outcome.fileLogLine(QStringLiteral("liste.txt"));
    (void)outcome.fileBoxText(QStringLiteral("liste.txt"));
    return 0;
}
