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

#include "FuzzCheck.h"
#include "core/AppState.h"
#include "core/GatewayMode.h"
#include "core/Routines.h"
#include "gateway/Gateway.h"
#include "gateway/ReplyText.h"
#include "gateway/Submission.h"

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
    if (transportFailed)
        return HttpResult{false, 0, QByteArray(), QStringLiteral("cut off"), requestComplete};
    return HttpResult{true, status, std::move(body), QString(), requestComplete};
}

void checkReply(const QString& reply, const Gateway::Exchange& exchange) {
    (void)CreditOf(reply);
    (void)OriginatorsOf(reply);
    const SubmissionVerdict verdict = JudgeSubmission(reply, exchange);
    // Accepted only with a success status and an identifier the records can
    // hold; without one, only a request that left whole may have been taken.
    if (verdict == SubmissionVerdict::Accepted)
        FUZZ_CHECK(exchange.httpStatus / 100 == 2 && !IsErrorReply(reply) &&
                   IsWellFormedPackageId(PackageIdOf(reply)));
    else if (!exchange.requestComplete)
        FUZZ_CHECK(verdict == SubmissionVerdict::Refused);
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

    Gateway::Exchange exchange;
    exchange.sent = true;
    exchange.transportFailed = flags & 1;
    exchange.requestComplete = flags & 2;
    exchange.httpStatus = exchange.transportFailed ? 0 : status;
    checkReply(DecodeReply(infoBytes), exchange);
    checkReply(DecodeReply(sendBytes), exchange);

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

    // Whatever came back, the next package starts empty, and an identifier
    // is recorded exactly when the package was taken.
    FUZZ_CHECK(gateway.basketCount() == 0);
    FUZZ_CHECK(outcome.accepted == (outcome.verdict == SubmissionVerdict::Accepted));
    FUZZ_CHECK(outcome.packageId.isEmpty() != outcome.accepted);
    if (outcome.stage == SubmissionStage::Submitted) {
        FUZZ_CHECK(transport->posts == 2);
        FUZZ_CHECK(outcome.verdict == JudgeSubmission(outcome.sendReply, gateway.lastExchange()));
    } else {
        FUZZ_CHECK(transport->posts == 1 && !outcome.accepted);
    }
    // Every text a caller shows is made without fault.
    (void)outcome.runnerStatusLine(QStringLiteral("kural"));
    (void)outcome.runnerLogLine(QStringLiteral("kural"), QStringLiteral("liste.txt"));
    (void)outcome.fileLogLine(QStringLiteral("liste.txt"));
    (void)outcome.fileBoxText(QStringLiteral("liste.txt"));
    return 0;
}
