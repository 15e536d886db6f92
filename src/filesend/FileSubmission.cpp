#include "FileSubmission.h"

#include <exception>
#include <stdexcept>

#include <QLoggingCategory>

#include "PackageBuilder.h"
#include "PackageList.h"
#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "core/PendingRecords.h"
#include "core/RegionalFormat.h"
#include "core/UiServices.h"
#include "gateway/Gateway.h"
#include "rules/SentFileJournal.h"

Q_DECLARE_LOGGING_CATEGORY(lcFileSend)

namespace {

QList<PendingRecords::Step> packageRecord(const SubmissionOutcome& outcome, qint64 sms,
                                          const FileSendRequest& request,
                                          const QString& acceptedAt) {
    const QString gtarih = request.scheduled ? ScheduledRecordDate(*request.scheduled) : acceptedAt;
    return {PendingRecords::packageRowStep(
        {outcome.packageId, QStringLiteral("Dosyadan gönderim"), App().gGatewayMode,
         outcome.messageCount, request.fileName, 1, request.originator, acceptedAt, gtarih, sms})};
}

// The log line and the box an outcome gets.
struct OutcomeTexts {
    QString log;
    QString box;
    UiServices::BoxKind kind;
};

OutcomeTexts textsOf(const SubmissionOutcome& outcome, const QString& file) {
    OutcomeTexts texts{outcome.fileLogLine(file), outcome.fileBoxText(file), outcome.fileBoxKind};
    // A refusal the table gives no text for still must not pass unseen: the
    // wizard closes after it.
    if (texts.log.isEmpty() && outcome.stage == SubmissionStage::Submitted && !outcome.accepted) {
        const QString text = QStringLiteral(" mesaj paketi gönderilemedi. Hata kodu : ") +
                             outcome.sendReply.left(200);
        texts.log = PackageBuilder::Tag + file + text;
        texts.box = file + text;
        texts.kind = UiServices::BoxKind::Error;
    }
    return texts;
}

// The submission in the journal, on disk before the request leaves: when
// this process dies before the reply, it is all that tells the next send
// that the package may be at the gateway.
qint64 journalSubmission(const FileSendJournal& journal, const QString& fileName) {
    QString error;
    const auto identity = FileIdentity::of(journal.path, &error);
    if (!identity)
        throw std::runtime_error(
            (fileName + QStringLiteral(" dosyası okunamadı: ") + error).toStdString());
    const qint64 id = SentFileJournal::recordInFlight(SentFileJournal::FileSendRule, *identity);
    if (journal.resend) {
        try {
            SentFileJournal::forgetEarlierSends(*identity, id);
        } catch (const std::exception& e) {
            // They stay, and the next send asks again: nothing is lost.
            qCWarning(lcFileSend) << "earlier submissions not forgotten:" << e.what();
        }
    }
    return id;
}

// The outcome is known and nothing of it is recorded: the entry goes.
void forgetSubmission(qint64 journalId) {
    try {
        const QString notYet =
            PendingRecords::write({{QString(), SentFileJournal::forgetStatement(journalId)}});
        if (!notYet.isEmpty())
            qCWarning(lcFileSend).noquote() << "journal entry kept for later:" << notYet;
    } catch (const std::exception& e) {
        // It stays: the next send of the file asks before sending.
        qCWarning(lcFileSend) << "journal entry not forgotten:" << e.what();
    }
}

} // namespace

QString SendConfirmationText(qint64 count, const std::optional<QDateTime>& scheduled,
                             std::optional<qint64> sms, std::optional<qint64> credit) {
    QString question = QStringLiteral("Mesajınız ") + QString::number(count);
    if (!scheduled)
        question += QStringLiteral(" kişiye gönderilecektir. Devam etmek istiyor musunuz?");
    else
        question += QStringLiteral(" kişiye, ") + RegionalDateText(scheduled->date()) +
                    QStringLiteral(" saat ") + scheduled->time().toString(QStringLiteral("HH:mm")) +
                    QStringLiteral(" de gönderilecektir. Devam etmek istiyor musunuz?");
    // The bill is in SMS: the user hears of it when it is not the messages.
    if (sms && *sms != count)
        question += QStringLiteral("\r\nTahmini SMS sayısı: ") + QString::number(*sms);
    if (sms && credit && *sms > *credit)
        question += QStringLiteral("\r\nUyarı: Tahmini SMS sayısı mevcut kredinizi (") +
                    QString::number(*credit) +
                    QStringLiteral(") aşıyor; mesajların bir kısmı gönderilemeyebilir.");
    return question;
}

QString ScreenedQuestionText(qint64 optedOut, qint64 repeated, bool lacksRefusalLine) {
    QString lines;
    if (optedOut > 0)
        lines += QStringLiteral("\r\nRet listesinde olduğu için gönderilmeyecek mesaj sayısı: ") +
                 QString::number(optedOut);
    if (repeated > 0)
        lines += QStringLiteral("\r\nAynı numaraya tekrar gideceği için gönderilmeyecek mesaj "
                                "sayısı: ") +
                 QString::number(repeated);
    if (lacksRefusalLine)
        lines += QStringLiteral("\r\nUyarı: ") + NoRefusalLineText;
    return lines;
}

QString ScheduledSendDate(const QDateTime& when) {
    return when.toString(QStringLiteral("ddMMyyyyHHmm"));
}

QString ScheduledRecordDate(const QDateTime& when) {
    return when.toString(QStringLiteral("dd.MM.yyyy HH:mm:00"));
}

FileSendResult SendPackageList(const PackageList& list, const FileSendRequest& request,
                               const std::optional<FileSendJournal>& journal) {
    FileSendResult result;
    const QString& file = request.fileName;
    std::optional<qint64> journalId;
    try {
        Gateway gateway;
        gateway.clearsmsbasket();
        list.forEach([&](QStringView number, QStringView message) {
            gateway.addtosmsbasket(message.toString(), number.toString());
        });
        SubmissionRequest submission = SubmissionRequest::forActiveAccount(
            request.originator,
            request.scheduled ? ScheduledSendDate(*request.scheduled) : QString());
        submission.beforeSubmit = [&] {
            FileSendLog(PackageBuilder::Tag + file + PackageSendingText);
            // Room for the package's record before anything leaves.
            PendingRecords::reserve();
            if (journal)
                journalId = journalSubmission(*journal, file);
        };
        result.outcome = SubmitPackage(gateway, submission);
    } catch (const std::exception& e) {
        // Nothing left for the gateway.
        if (journalId)
            forgetSubmission(*journalId);
        result.error = QString::fromUtf8(e.what());
        const QString text = QStringLiteral(" mesaj paketi gönderilemedi: ") + result.error;
        FileSendLog(PackageBuilder::Tag + file + text);
        UserInterface().error(FileSendBoxTitle, file + text);
        return result;
    }

    const SubmissionOutcome& outcome = *result.outcome;
    const QString acceptedAt = NowText();
    const OutcomeTexts texts = textsOf(outcome, file);
    if (!texts.log.isEmpty())
        FileSendLog(texts.log);
    const auto showBox = [&] {
        if (!texts.box.isEmpty())
            UserInterface().showMessage(texts.kind, FileSendBoxTitle, texts.box);
    };
    if (!outcome.accepted) {
        if (journalId && outcome.verdict == SubmissionVerdict::Refused)
            forgetSubmission(*journalId);
        showBox();
        return result;
    }
    result.accepted = true;
    // Recorded before any box: a crash or a power cut while the box is open
    // must not lose the package's row.
    QList<PendingRecords::Step> record = packageRecord(outcome, list.sms(), request, acceptedAt);
    if (journalId)
        record.append({QString(), SentFileJournal::forgetStatement(*journalId)});
    const QString what = PackageBuilder::Tag + file + QStringLiteral(" MsgID ") +
                         outcome.packageId + QStringLiteral(" paketinin kaydı");
    QString lost;
    try {
        const QString notYet = PendingRecords::write(record);
        if (!notYet.isEmpty())
            FileSendLog(what + QStringLiteral(" veritabanına henüz yazılamadı (") + notYet +
                        QStringLiteral("); saklandı, sonra yazılacak."));
    } catch (const std::exception& e) {
        lost = what + QStringLiteral(" saklanamadı: ") + QString::fromUtf8(e.what());
        FileSendLog(lost);
    }
    showBox();
    if (!lost.isEmpty())
        UserInterface().error(FileSendBoxTitle, lost);
    return result;
}
