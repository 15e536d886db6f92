#pragma once

#include <functional>
#include <optional>

#include <QString>

#include "Gateway.h"
#include "core/UiServices.h"

// Submitting one package, as both senders do it (the rule runner and the
// send-from-file window). The caller fills the gateway's basket row by row
// and then calls SubmitPackage, which
//   1. asks for the credit with GetInfo and stops on an error reply,
//   2. stops when the package holds more messages than the credit (a package
//      exactly as large as the credit is sent),
//   3. calls beforeSubmit, then sendsms,
//   4. judges the reply (JudgeSubmission): accepted, refused or unknown,
// and empties the basket in every case. It writes nothing: no log line, no
// status text, no box and no database row. The outcome carries the texts each
// caller shows, and the caller records an accepted package itself.

// Logged by both senders, after the package prefix, just before sendsms.
inline const QString PackageSendingText = QStringLiteral(" mesaj paketi gönderiliyor...");

// What a sendsms reply means for the package.
enum class SubmissionVerdict {
    Accepted, // the gateway took it: record it, the file is sent
    Refused,  // it certainly was not taken: the file may go again
    // The whole request left and the reply proves nothing (a server error
    // page, garbage, no reply): the package may or may not be at the
    // gateway, so it is never recorded as sent nor submitted again by itself.
    Unknown,
};

// The one rule every sender applies to a submission's reply. Accepted only
// when the exchange completed with an HTTP success status and the reply is
// not an error reply and carries a well-formed package identifier. Refused
// when the request did not leave whole, or the reply is one of the gateway's
// codes, or a page (html) that is not a server error. Anything else is
// Unknown.
SubmissionVerdict JudgeSubmission(const QString& reply, const Gateway::Exchange& exchange);

// Letters, digits and hyphens, 1 to 64 of them: the gateway's identifiers
// are numbers.
bool IsWellFormedPackageId(const QString& id);

// The gateway's acceptance: two digits that are not one of its refusal
// codes, one blank and a well-formed identifier, nothing else but a line end
// (LF or CR LF) of a gateway that ends its replies so. "ERROR", "NOT OK" or
// "BAKIM" is no acceptance, whatever its fourth character on.
bool IsAcceptanceReply(const QString& reply);

enum class SubmissionStage {
    NothingToSend,      // the basket was empty: no request at all
    AccountCheckFailed, // GetInfo gave an error reply; nothing was sent
    InsufficientCredit, // more messages than credit; nothing was sent
    Submitted,          // sendsms was called; see accepted
};

struct SubmissionRequest {
    QString userName; // the gateway user name (AppState::gatewayUserName())
    QString password;
    QString originator;
    QString sendDate; // empty: now; otherwise ddMMyyyyHHmm

    // The count compared with the credit. By default the basket's rows; the
    // send-from-file window passes its count of accepted rows.
    std::optional<qint64> messageCount;

    // Runs immediately before the sendsms request leaves, and only then. The
    // rule runner logs PackageSendingText here and notes that a submission is
    // in flight. If it throws, nothing is sent and the exception reaches the
    // caller of SubmitPackage.
    std::function<void()> beforeSubmit;

    // The active account of AppState, for an immediate or a scheduled package.
    static SubmissionRequest forActiveAccount(const QString& originator,
                                              const QString& sendDate = QString());
};

struct SubmissionOutcome {
    SubmissionStage stage = SubmissionStage::NothingToSend;
    SubmissionVerdict verdict = SubmissionVerdict::Refused; // of a submitted package
    bool accepted = false;                                  // verdict is Accepted
    QString packageId;                                      // accepted packages only
    int httpStatus = 0;                                     // of the sendsms reply

    QString infoReply; // raw GetInfo reply; empty when none was asked
    QString sendReply; // raw sendsms reply; empty unless submitted
    qint64 credit = 0; // from infoReply; 0 when the account check failed
    qint64 messageCount = 0;

    // After a "-1" submission: the whole request had left, so the gateway may
    // have accepted the package although no reply came back. False when the
    // request certainly did not arrive (refused, unreachable, cut early).
    bool requestMayHaveArrived = false;
    // Why a request got "-1" (libcurl's words), for a log line.
    QString transportError;
    // Unknown outcome: what came back, for the user to judge, e.g.
    // the reply "Internal Server Error" (HTTP 500), cut to 200 characters.
    QString unknownCause;

    // Rule runner. Each text follows its prefix; empty means none is shown.
    //   status bar: "[" + rule + "] " + runnerStatus
    //   log:        "[" + rule + "] " + file + runnerLog
    QString runnerStatus;
    QString runnerLog;

    // Send-from-file window. The log line also goes to the status bar.
    //   log:  "[DosyadanSMS] " + file + fileLog   when fileLogNamesFile
    //         "[DosyadanSMS] " + fileLog          otherwise (account check)
    //   box:  file + fileBox when fileBoxNamesFile, else fileBox alone, of
    //         kind fileBoxKind; empty means no box.
    QString fileLog;
    bool fileLogNamesFile = true;
    QString fileBox;
    bool fileBoxNamesFile = true;
    UiServices::BoxKind fileBoxKind = UiServices::BoxKind::Error;

    // The same texts with their prefixes; empty when there is none.
    QString runnerStatusLine(const QString& ruleName) const;
    QString runnerLogLine(const QString& ruleName, const QString& fileName) const;
    QString fileLogLine(const QString& fileName) const;
    QString fileBoxText(const QString& fileName) const;
};

SubmissionOutcome SubmitPackage(Gateway& gateway, const SubmissionRequest& request);
