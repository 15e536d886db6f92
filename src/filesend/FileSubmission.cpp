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
                                          const FileSendRequest& request) {
    const QString now = NowText();
    const QString gtarih = request.scheduled ? ScheduledRecordDate(*request.scheduled) : now;
    return {PendingRecords::packageRowStep({outcome.packageId, QStringLiteral("Dosyadan gönderim"),
                                            App().gGatewayMode, outcome.messageCount,
                                            request.fileName, 1, request.originator, now, gtarih})};
}

void showOutcome(const SubmissionOutcome& outcome, const QString& file) {
    QString log = outcome.fileLogLine(file);
    QString box = outcome.fileBoxText(file);
    UiServices::BoxKind kind = outcome.fileBoxKind;
    // A refusal the table gives no text for still must not pass unseen: the
    // wizard closes after it.
    if (log.isEmpty() && outcome.stage == SubmissionStage::Submitted && !outcome.accepted) {
        const QString text = QStringLiteral(" mesaj paketi gönderilemedi. Hata kodu : ") +
                             outcome.sendReply.left(200);
        log = PackageBuilder::Tag + file + text;
        box = file + text;
        kind = UiServices::BoxKind::Error;
    }
    if (!log.isEmpty())
        FileSendLog(log);
    if (!box.isEmpty())
        UserInterface().showMessage(kind, FileSendBoxTitle, box);
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
    showOutcome(outcome, file);
    if (!outcome.accepted)
        return result;
    result.accepted = true;
    const QString what = PackageBuilder::Tag + file + QStringLiteral(" MsgID ") +
                         outcome.packageId + QStringLiteral(" paketinin kaydı");
    try {
        const QString notYet = PendingRecords::write(packageRecord(outcome, request));
        if (!notYet.isEmpty())
            FileSendLog(what + QStringLiteral(" veritabanına henüz yazılamadı (") + notYet +
                        QStringLiteral("); saklandı, sonra yazılacak."));
    } catch (const std::exception& e) {
        const QString text = what + QStringLiteral(" saklanamadı: ") + QString::fromUtf8(e.what());
        FileSendLog(text);
        UserInterface().error(FileSendBoxTitle, text);
    }
    return result;
}
