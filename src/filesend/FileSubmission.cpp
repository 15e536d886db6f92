#include "FileSubmission.h"

#include <exception>

#include "PackageBuilder.h"
#include "PackageList.h"
#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "core/PendingRecords.h"
#include "core/RegionalFormat.h"
#include "core/UiServices.h"
#include "gateway/Gateway.h"

namespace {

QList<PendingRecords::Step> packageRecord(const SubmissionOutcome& outcome,
                                          const FileSendRequest& request,
                                          const QString& acceptedAt) {
    const QString gtarih = request.scheduled ? ScheduledRecordDate(*request.scheduled) : acceptedAt;
    return {PendingRecords::packageRowStep(
        {outcome.packageId, QStringLiteral("Dosyadan gönderim"), App().gGatewayMode,
         outcome.messageCount, request.fileName, 1, request.originator, acceptedAt, gtarih})};
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

} // namespace

QString SendConfirmationText(qint64 count, const std::optional<QDateTime>& scheduled) {
    QString question = QStringLiteral("Mesajınız ") + QString::number(count);
    if (!scheduled)
        return question + QStringLiteral(" kişiye gönderilecektir. Devam etmek istiyor musunuz?");
    return question + QStringLiteral(" kişiye, ") + RegionalDateText(scheduled->date()) +
           QStringLiteral(" saat ") + scheduled->time().toString(QStringLiteral("HH:mm")) +
           QStringLiteral(" de gönderilecektir. Devam etmek istiyor musunuz?");
}

QString ScheduledSendDate(const QDateTime& when) {
    return when.toString(QStringLiteral("ddMMyyyyHHmm"));
}

QString ScheduledRecordDate(const QDateTime& when) {
    return when.toString(QStringLiteral("dd.MM.yyyy HH:mm:00"));
}

FileSendResult SendPackageList(const PackageList& list, const FileSendRequest& request) {
    FileSendResult result;
    const QString& file = request.fileName;
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
        };
        result.outcome = SubmitPackage(gateway, submission);
    } catch (const std::exception& e) {
        // Nothing left for the gateway.
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
        showBox();
        return result;
    }
    result.accepted = true;
    // Recorded before any box: a crash or a power cut while the box is open
    // must not lose the package's row.
    const QList<PendingRecords::Step> record = packageRecord(outcome, request, acceptedAt);
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
