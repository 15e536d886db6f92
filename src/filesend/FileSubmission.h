#pragma once

#include <optional>

#include <QDateTime>
#include <QString>

#include "gateway/Submission.h"

class PackageList;

// Sends the wizard's package list as one package: the basket gets the
// entries left in the list, the credit is compared with that number, and an
// accepted package is recorded with it as paket_boyut and with the entries'
// SMS as sms_sayisi. The log lines and
// boxes of every outcome are shown here; an accepted package's row goes
// through PendingRecords, so a full disk or a held database cannot lose it.
struct FileSendRequest {
    QString fileName; // the data file, without folder
    QString originator;
    // The chosen delivery time; none for immediate delivery.
    std::optional<QDateTime> scheduled;
};

// For `parlex-cli send`: the submission is journalled (SentFileJournal)
// before the request leaves, and the entry goes once the gateway has
// accepted or refused the package; an unknown outcome keeps it, for the next
// send of the file to find.
struct FileSendJournal {
    QString path; // the data file
    // Sent again over earlier submissions of unknown outcome: their entries
    // go once this one is journalled.
    bool resend = false;
};

struct FileSendResult {
    // Set unless the package was stopped before any request (an error).
    std::optional<SubmissionOutcome> outcome;
    bool accepted = false;
    // Why nothing was sent, when no outcome came.
    QString error;
};

FileSendResult SendPackageList(const PackageList& list, const FileSendRequest& request,
                               const std::optional<FileSendJournal>& journal = std::nullopt);

// The question before a package goes: count is the entries left in the list.
// With their SMS it adds "Tahmini SMS sayısı: M" when M is not count, and
// with the account's credit a warning when M exceeds it.
QString SendConfirmationText(qint64 count, const std::optional<QDateTime>& scheduled,
                             std::optional<qint64> sms = std::nullopt,
                             std::optional<qint64> credit = std::nullopt);
// What the question adds for a package its policy screened: the rows left
// out, and a warning when a commercial package tells nobody how to refuse.
QString ScreenedQuestionText(qint64 optedOut, qint64 repeated, bool lacksRefusalLine);
inline const QString SendConfirmationTitle = QStringLiteral("Parlex Mesaj Gönderim Onayı");
inline const QString NotEnoughCreditText =
    QStringLiteral("Gönderim yapabilecek kadar kontörünüz yok.");
inline const QString EmptyListText = QStringLiteral("Gönderilecek Mesaj Listesi Boş !");

// The sendsms date of a scheduled delivery: ddMMyyyyHHmm.
QString ScheduledSendDate(const QDateTime& when);
// gtarih of a scheduled delivery: dd.MM.yyyy HH:mm:00.
QString ScheduledRecordDate(const QDateTime& when);

inline const QString FileSendBoxTitle = QStringLiteral("Parlex");
