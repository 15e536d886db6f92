#include "RuleRunner.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "core/Routines.h"
#include "gateway/Gateway.h"
#include "gateway/Submission.h"
#include "rules/RejectFile.h"
#include "rules/RuleStore.h"
#include "rules/SentFileJournal.h"
#include "textsource/DelimitedReader.h"
#include "textsource/MessageTemplate.h"
#include "textsource/SchemaIni.h"

Q_LOGGING_CATEGORY(lcRunner, "parlex.runner")

namespace {

QString prefix(const QString& ruleName) {
    return QLatin1Char('[') + ruleName + QStringLiteral("] ");
}

// The activity log must never take the pass down with it: when the database
// itself is failing, the line goes to the program's own log instead.
void logLine(const QString& text) {
    try {
        WriteLog(text);
    } catch (const std::exception& e) {
        qCWarning(lcRunner).noquote() << text << "(not logged:" << e.what() << ")";
    }
}

// Problems that last (a missing folder, a move that keeps failing) are logged
// when they start and when they change, not at every pass for months.
void notice(const QString& key, const QString& text) {
    auto& seen = App().runnerNotices;
    if (seen.value(key) == text)
        return;
    seen.insert(key, text);
    logLine(text);
}

void clearNotice(const QString& key) {
    App().runnerNotices.remove(key);
}

bool extensionAccepted(const QString& fileName) {
    return GetParam(QStringLiteral("uzantilar")).contains(fileName.right(3).toLower());
}

bool settled(const QString& path) {
    const QFileInfo info(path);
    const QDateTime modified = info.lastModified();
    return modified.msecsTo(QDateTime::currentDateTime()) >= SettleMilliseconds;
}

QString nameOf(const QString& path) {
    return QFileInfo(path).fileName();
}

void insertPackageRow(const QString& packageId, qint64 count, const QString& fileName,
                      qint32 ruleId, const QString& originator) {
    OpenDatabase();
    ExecuteSql(
        QStringLiteral("INSERT INTO tbl_giden_txt (msgid,msgtip,gateway,paket_boyut,dosya_adi,"
                       "kural,originator,tarih,gtarih) ") +
        QStringLiteral("VALUES ('") + SqlQuote(packageId) + QStringLiteral("','") +
        QStringLiteral("Otomatik gönderim") + QStringLiteral("','") + SqlQuote(App().gGatewayMode) +
        QStringLiteral("',") + QString::number(count) + QStringLiteral(",'") + SqlQuote(fileName) +
        QStringLiteral("',") + QString::number(ruleId) + QStringLiteral(",'") +
        SqlQuote(originator) + QStringLiteral("','") + NowText() + QStringLiteral("','") +
        NowText() + QStringLiteral("')"));
}

// The three reject files of one data file.
struct RejectFiles {
    RejectFiles(const QString& folder, const QString& targetName) {
        App().gFileCounter = 0;
        noNumber = std::make_unique<RejectFile>(
            UniqueFileName(folder, QStringLiteral("h01_") + targetName));
        App().gFileCounter = 0;
        tooLong = std::make_unique<RejectFile>(
            UniqueFileName(folder, QStringLiteral("h02_") + targetName));
        App().gFileCounter = 0;
        both = std::make_unique<RejectFile>(
            UniqueFileName(folder, QStringLiteral("h03_") + targetName));
    }
    void setEncoding(TextEncoding e) {
        noNumber->setEncoding(e);
        tooLong->setEncoding(e);
        both->setEncoding(e);
    }
    RejectFile& forOutcome(RowOutcome outcome) {
        switch (outcome) {
        case RowOutcome::NoNumber:
            return *noNumber;
        case RowOutcome::TooLong:
            return *tooLong;
        default:
            return *both;
        }
    }
    void settle(bool success, const QString& linePrefix) {
        for (RejectFile* f : {noNumber.get(), tooLong.get(), both.get()}) {
            const bool keep = success && f->count() > 0;
            if (keep && !f->errorString().isEmpty()) {
                logLine(linePrefix + QStringLiteral(" red dosyası yazılamadı: ") +
                        nameOf(f->path()) + QStringLiteral(" (") + f->errorString() +
                        QLatin1Char(')'));
            }
            f->settle(keep);
        }
    }
    std::unique_ptr<RejectFile> noNumber;
    std::unique_ptr<RejectFile> tooLong;
    std::unique_ptr<RejectFile> both;
};

bool moveFile(const QString& from, const QString& to, QString* error) {
    return App().gFileSystem->moveFile(from, to, error);
}

// Sets aside a file whose package may or may not have reached the gateway:
// sending it again could deliver every message twice.
void setAsideUnknown(const Rule& rule, const QString& fileName,
                     const SentFileJournal::Entry& entry) {
    const QString source = JoinPath(rule.gelen_klasor, fileName);
    const QString folder = JoinPath(rule.gelen_klasor, UnknownOutcomeFolderName);
    QDir().mkpath(folder);
    App().gFileCounter = 0;
    const QString target = UniqueFileName(folder, fileName);
    QString error;
    const QString key = QStringLiteral("belirsiz:") + source;
    if (!moveFile(source, target, &error)) {
        notice(key, prefix(rule.kural_adi) + fileName +
                        QStringLiteral(" dosyasının gönderim sonucu bilinmiyor; dosya yeniden "
                                       "gönderilmeyecek, ancak ") +
                        UnknownOutcomeFolderName + QStringLiteral(" klasörüne alınamadı: ") +
                        error);
        return;
    }
    clearNotice(key);
    SentFileJournal::forget(entry.id);
    logLine(prefix(rule.kural_adi) + fileName +
            QStringLiteral(" dosyasının gönderim sonucu bilinmiyor (gönderim sırasında bağlantı "
                           "koptu ya da program kapandı). Dosya yeniden gönderilmedi, ") +
            UnknownOutcomeFolderName +
            QStringLiteral(" klasörüne alındı; mesaj merkezindeki raporları kontrol edin."));
}

// Moves a sent file on. When the move fails the file stays, recorded as
// sent, and later passes only try the move again.
void moveSentFile(const Rule& rule, const QString& fileName, const QString& target,
                  std::optional<qint64> journalId) {
    const QString source = JoinPath(rule.gelen_klasor, fileName);
    const QString key = QStringLiteral("tasima:") + source;
    QString error;
    if (!moveFile(source, target, &error)) {
        notice(key, prefix(rule.kural_adi) + fileName +
                        QStringLiteral(" dosyası giden klasörüne taşınamadı: ") + error +
                        QStringLiteral(" Dosya gönderildi ve yeniden gönderilmeyecek; taşıma her "
                                       "kontrolde yeniden denenecek."));
        return;
    }
    if (App().runnerNotices.contains(key)) {
        clearNotice(key);
        logLine(prefix(rule.kural_adi) + fileName +
                QStringLiteral(" dosyası giden klasörüne taşındı."));
    }
    if (journalId) {
        try {
            SentFileJournal::forget(*journalId);
        } catch (const std::exception& e) {
            qCWarning(lcRunner) << "sent-file record kept:" << e.what();
        }
    }
}

void runRule(const Rule& rule) {
    const QString folderKey = QStringLiteral("klasor:") + QString::number(rule.id);
    QStringList names;
    if (!App().gFileSystem->listFiles(rule.gelen_klasor, names)) {
        notice(folderKey, prefix(rule.kural_adi) + QStringLiteral("Gelen klasörü okunamıyor: ") +
                              rule.gelen_klasor);
        return;
    }
    clearNotice(folderKey);
    if (names.isEmpty())
        return;

    WriteSchemaIni(rule.gelen_klasor, rule.metin_ayraci, rule.baslik_var);

    for (const QString& name : std::as_const(names)) {
        if (!extensionAccepted(name) || IsUnfinishedFileName(name))
            continue;
        const QString source = JoinPath(rule.gelen_klasor, name);
        if (!App().gFileSystem->fileExists(source) || !settled(source))
            continue;

        // A file already sent, whose move failed or whose outcome is unknown,
        // is never submitted again.
        std::optional<qint64> journalId;
        if (const auto entry = SentFileJournal::find(source)) {
            const auto now = FileIdentity::of(source);
            // Unreadable for now: it cannot be told apart from the sent file,
            // so it waits, and its record stays.
            if (!now)
                continue;
            if (entry->identity.sameFileAs(*now)) {
                if (entry->state == SentFileJournal::State::InFlight) {
                    setAsideUnknown(rule, name, *entry);
                } else {
                    App().gFileCounter = 0;
                    moveSentFile(rule, name, UniqueFileName(rule.giden_klasor, name), entry->id);
                }
                continue;
            }
            // Another file under the same name: the old record no longer applies.
            SentFileJournal::forget(entry->id);
        }

        const QString target = UniqueFileName(rule.giden_klasor, name);
        const QString result = fSMSGonder(
            rule.id, rule.kural_adi, rule.gelen_klasor, rule.giden_klasor, name, nameOf(target),
            rule.mesaj_sablonu, rule.originator, rule.fgsmno, rule.baslik_var);
        if (result == QLatin1String("00")) {
            App().gFileCounter = 0;
            if (const auto entry = SentFileJournal::find(source))
                journalId = entry->id;
            moveSentFile(rule, name, target, journalId);
        }
    }
}

} // namespace

bool IsUnfinishedFileName(const QString& fileName) {
    const QString lower = fileName.toLower();
    return fileName.startsWith(QLatin1String("~$")) || fileName.startsWith(QLatin1Char('.')) ||
           lower.endsWith(QLatin1String(".tmp")) || lower.endsWith(QLatin1String(".part"));
}

QString fSMSGonder(qint32 prmKuralKodu, const QString& prmKuralAdi, const QString& prmGelenKlasor,
                   const QString& prmGidenKlasor, const QString& prmDosya,
                   const QString& prmHataliDosya, const QString& prmSablonMsg,
                   const QString& prmGonderen, const QString& prmFGSMNo, const QString& prmBaslik) {
    if (GetParam(QStringLiteral("flg_parlex")) != QLatin1String("1"))
        return QStringLiteral("01");

    const QString linePrefix = prefix(prmKuralAdi) + prmDosya;
    RejectFiles rejects(prmGidenKlasor, prmHataliDosya);
    Gateway gateway;
    gateway.clearsmsbasket();

    logLine(linePrefix + QStringLiteral(" dosyası açılıyor..."));
    DelimitedReader reader;
    const bool opened = reader.open(prmGelenKlasor, prmDosya);
    if (!opened || reader.isEmpty()) {
        if (!opened)
            logLine(linePrefix + QStringLiteral(" dosyası okunamadı: ") + reader.errorString());
        logLine(linePrefix + QStringLiteral(" dosyada kayıt bulunamadı..."));
        rejects.settle(false, linePrefix);
        return QStringLiteral("01");
    }
    rejects.setEncoding(reader.encoding());

    logLine(linePrefix + QStringLiteral(" dosyası için mesaj paketi oluşturuluyor..."));
    Ui().yield();
    bool success = true;

    const bool withHeader = prmBaslik == QLatin1String("E");
    const int gsmColumn = reader.columnIndex(prmFGSMNo);
    const MessageTemplate messageTemplate(prmSablonMsg); // parsed once for the whole file
    RowTester tester(messageTemplate, gsmColumn);
    qint64 queued = 0;
    while (reader.next()) {
        const TextRecord& row = reader.record();
        RowOutcome outcome = tester.test(row);
        if (outcome == RowOutcome::Queued) {
            try {
                gateway.addCleanedToBasket(tester.filled(), tester.number());
                ++queued;
                continue;
            } catch (const RecordsetError&) {
                // Does not fit the package's fields: kept as a too-long row.
                outcome = RowOutcome::TooLong;
            }
        }
        rejects.forOutcome(outcome).addRow(
            withHeader ? JoinedNames(row.columns(), u";") : QString(), JoinedValues(row, u";"));
    }
    // A file that breaks off half-way is not sent in part: it waits whole.
    if (reader.hasError()) {
        logLine(linePrefix + QStringLiteral(" dosyası okunamadı: ") + reader.errorString());
        rejects.settle(false, linePrefix);
        return QStringLiteral("01");
    }
    Ui().yield();

    if (queued > 0) {
        const QString source = JoinPath(prmGelenKlasor, prmDosya);
        std::optional<qint64> journalId;
        SubmissionRequest request = SubmissionRequest::forActiveAccount(prmGonderen);
        request.beforeSubmit = [&] {
            logLine(linePrefix + PackageSendingText);
            QString error;
            const auto identity = FileIdentity::of(source, &error);
            if (!identity)
                throw std::runtime_error(error.toStdString());
            journalId = SentFileJournal::recordInFlight(prmKuralKodu, *identity);
        };

        SubmissionOutcome outcome;
        try {
            outcome = SubmitPackage(gateway, request);
        } catch (const std::exception& e) {
            // Nothing left for the gateway: the file waits for the next pass.
            logLine(linePrefix + QStringLiteral(" mesaj paketi gönderilemedi: ") +
                    QString::fromUtf8(e.what()));
            rejects.settle(false, linePrefix);
            return QStringLiteral("01");
        }

        switch (outcome.stage) {
        case SubmissionStage::AccountCheckFailed:
            SetStatusText(outcome.runnerStatusLine(prmKuralAdi));
            logLine(outcome.runnerLogLine(prmKuralAdi, prmDosya));
            success = false;
            break;
        case SubmissionStage::InsufficientCredit:
            logLine(outcome.runnerLogLine(prmKuralAdi, prmDosya));
            success = false;
            break;
        case SubmissionStage::NothingToSend:
            break;
        case SubmissionStage::Submitted:
            if (outcome.accepted) {
                logLine(outcome.runnerLogLine(prmKuralAdi, prmDosya));
                try {
                    insertPackageRow(outcome.packageId, outcome.messageCount, prmDosya,
                                     prmKuralKodu, prmGonderen);
                    if (journalId)
                        SentFileJournal::recordAccepted(*journalId, outcome.packageId);
                } catch (const std::exception& e) {
                    // The package is on its way; only its record is missing.
                    qCWarning(lcRunner).noquote() << linePrefix << "package" << outcome.packageId
                                                  << "accepted but not recorded:" << e.what();
                }
                success = true;
            } else {
                QString line = outcome.runnerLogLine(prmKuralAdi, prmDosya);
                if (line.isEmpty()) {
                    line = linePrefix +
                           QStringLiteral(" mesaj paketi gönderilemedi. Hata kodu : ") +
                           outcome.sendReply;
                }
                logLine(line);
                success = false;
                // A refusal is final and the file may go again; a request that
                // left whole but got no reply may have been taken.
                if (journalId &&
                    !(outcome.sendReply == QLatin1String("-1") && outcome.requestMayHaveArrived)) {
                    SentFileJournal::forget(*journalId);
                }
            }
            break;
        }
    }

    Ui().yield();
    rejects.settle(success, linePrefix);
    gateway.clearsmsbasket();
    return success ? QStringLiteral("00") : QStringLiteral("01");
}

void OtoMesaj() {
    Ui().yield();
    Recordset rules;
    try {
        rules = pDizinListe();
    } catch (const std::exception& e) {
        qCWarning(lcRunner) << "running rules could not be read:" << e.what();
        return;
    }
    if (rules.isEmpty())
        return;
    for (rules.moveFirst(); !rules.eof(); rules.moveNext()) {
        const Rule rule = Rule::fromRecord(rules);
        try {
            runRule(rule);
        } catch (const std::exception& e) {
            // One broken rule must not stop the others.
            notice(QStringLiteral("kural:") + QString::number(rule.id),
                   prefix(rule.kural_adi) + QStringLiteral("Kural çalıştırılamadı: ") +
                       QString::fromUtf8(e.what()));
        }
    }
}
