#include "RuleRunner.h"

#include <optional>

#include <unistd.h>

#include <QFileInfo>
#include <QLoggingCategory>

#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "core/ExitRequest.h"
#include "core/PendingRecords.h"
#include "core/Routines.h"
#include "core/SystemError.h"
#include "gateway/Gateway.h"
#include "gateway/Submission.h"
#include "rules/RejectFile.h"
#include "rules/RuleStore.h"
#include "rules/RunnerMemory.h"
#include "rules/RunnerSteps.h"
#include "rules/SentFileJournal.h"
#include "spreadsheet/TableFile.h"
#include "textsource/MessageCost.h"
#include "textsource/MessageTemplate.h"
#include "textsource/PackagePolicy.h"
#include "textsource/SchemaIni.h"

Q_LOGGING_CATEGORY(lcRunner, "parlex.runner")

namespace {

// Column names quoted in a log line: a binary file can have hundreds.
constexpr int QuotedColumns = 10;

bool extensionAccepted(const QString& fileName) {
    return GetParam(QStringLiteral("uzantilar")).contains(fileName.right(3).toLower());
}

QString nameOf(const QString& path) {
    return QFileInfo(path).fileName();
}

// The reject files of one data file.
struct RejectFiles {
    RejectFiles(const Rule& rule, const QString& fileName, const QString& targetName) {
        const QString hold = HeldRejectsFolder(rule, fileName);
        const bool header = rule.baslik_var == QLatin1String("E");
        const auto make = [&](const char* prefix) {
            return MakeRejectRows(rule.giden_klasor, QLatin1String(prefix), targetName, hold,
                                  header, QStringLiteral(";"));
        };
        noNumber = make("h01_");
        tooLong = make("h02_");
        both = make("h03_");
        optedOut = make("h04_");
        repeated = make("h05_");
    }
    QList<RejectRows*> all() const {
        return {noNumber.get(), tooLong.get(), both.get(), optedOut.get(), repeated.get()};
    }
    void setEncoding(TextEncoding e) {
        for (RejectRows* f : all())
            f->setEncoding(e);
    }
    RejectRows& forOutcome(RowOutcome outcome) {
        switch (outcome) {
        case RowOutcome::NoNumber:
            return *noNumber;
        case RowOutcome::TooLong:
            return *tooLong;
        case RowOutcome::OptedOut:
            return *optedOut;
        case RowOutcome::Repeated:
            return *repeated;
        default:
            return *both;
        }
    }
    // Every row on disk, or why not: "" when they all are.
    QString store() {
        for (RejectRows* f : all()) {
            if (!f->store()) {
                return QStringLiteral(" dosyasının red satırları ne giden klasörüne (") +
                       f->errorString() + QStringLiteral(") ne program klasörüne (") +
                       f->holdErrorString() +
                       QStringLiteral(") yazılabildi. Satırlar kaybolmasın diye paket "
                                      "gönderilmedi; dosya her kontrolde yeniden denenecek.");
            }
        }
        return QString();
    }
    void settle(bool success, const QString& linePrefix) {
        for (RejectRows* f : all()) {
            const bool keep = success && f->count() > 0;
            f->settle(keep);
            if (keep && f->isHeld()) {
                RunnerLog(linePrefix + QStringLiteral(" red dosyası giden klasörüne yazılamadı (") +
                          f->errorString() +
                          QStringLiteral("); satırlar saklandı, dosya taşınınca giden klasörüne "
                                         "konacak: ") +
                          nameOf(f->path()));
            }
        }
    }
    std::unique_ptr<RejectRows> noNumber;
    std::unique_ptr<RejectRows> tooLong;
    std::unique_ptr<RejectRows> both;
    std::unique_ptr<RejectRows> optedOut;
    std::unique_ptr<RejectRows> repeated;
};

// The rule's policy for one file: its opt-out list read anew, so a number
// added since the last file is honoured. None when the list cannot be read;
// said once until it can, and the file waits.
std::optional<NumberScreen> screenFor(const Rule& rule, const QString& linePrefix) {
    const QString key = QStringLiteral("retlistesi:") + QString::number(rule.id);
    try {
        NumberScreen screen = NumberScreen::forPolicy(rule.policy());
        RunnerMemory::clear(key);
        return screen;
    } catch (const std::exception& e) {
        RunnerMemory::notice(key, linePrefix + OptOutUnreadableText + ErrorText(e) +
                                      QStringLiteral(". Dosya her kontrolde yeniden denenecek."));
        return std::nullopt;
    }
}

// How one data file ended.
struct FileResult {
    enum Kind { Sent, Held, Unknown };
    Kind kind = Held;
    qint64 journalId = 0; // the sent-file record, 0 when none was made
    QString what;         // Unknown: why, after the file's name
};

QList<PendingRecords::Step> acceptedPackage(const QString& packageId, qint64 count, qint64 sms,
                                            const QString& fileName, qint32 ruleId,
                                            const QString& originator, qint64 journalId) {
    const QString now = NowText();
    return {PendingRecords::packageRowStep({packageId, QStringLiteral("Otomatik gönderim"),
                                            App().gGatewayMode, count, fileName, ruleId, originator,
                                            now, now, sms}),
            {QString(), SentFileJournal::acceptedStatement(journalId, packageId)}};
}

QString columnList(const QStringList& names) {
    QStringList shown;
    for (const QString& name : names.mid(0, QuotedColumns))
        shown << name.left(40);
    QString list = shown.join(QStringLiteral(", "));
    if (names.size() > QuotedColumns)
        list += QStringLiteral(", …");
    return list;
}

// Processes one data file of a rule: sent (to be moved on), held back for a
// later pass, or of unknown outcome (to be set aside).
FileResult fSMSGonder(const Rule& rule, const QString& fileName, const QString& targetName) {
    if (GetParam(QStringLiteral("flg_parlex")) != QLatin1String("1"))
        return {};

    if (IsUnreadableAsBefore(rule, fileName))
        return {};
    const QString linePrefix = RulePrefix(rule.kural_adi) + fileName;
    const QString source = JoinPath(rule.gelen_klasor, fileName);
    RemoveEmptyRejectLeftovers(rule, targetName);
    RejectFiles rejects(rule, fileName, targetName);
    Gateway gateway;
    gateway.clearsmsbasket();
    // A file waiting for room for its reject rows was logged once already.
    const bool quiet = RejectsWaitingForRoom(rule, fileName);

    TableFile reader;
    // The rule itself says how its files are laid out: the folder's
    // Schema.ini may be rewritten or deleted meanwhile (the rule editor
    // describes an example's folder, and deletes that description on
    // saving), and a file read with another layout would be lost. A
    // workbook takes only the header flag.
    const bool opened = reader.open(source, RuleTextFormat(rule.metin_ayraci, rule.baslik_var));
    // A workbook still being saved or copied in is neither read in part nor
    // taken for a broken one: it waits, said once, until it is whole.
    if (!opened && reader.isIncomplete()) {
        NoteIncomplete(rule, fileName,
                       linePrefix + QStringLiteral(" dosyası henüz tamamlanmadı (") +
                           reader.errorString() +
                           QStringLiteral("); tamamlandığında gönderilecek."));
        return {};
    }
    NoteIncomplete(rule, fileName, QString());
    if (!quiet)
        RunnerLog(linePrefix + QStringLiteral(" dosyası açılıyor..."));
    if (!opened || reader.isEmpty()) {
        if (!opened) {
            RunnerLog(linePrefix + QStringLiteral(" dosyası okunamadı: ") + reader.errorString());
            NoteUnreadable(rule, fileName);
        }
        RunnerLog(linePrefix + QStringLiteral(" dosyada kayıt bulunamadı..."));
        rejects.settle(false, linePrefix);
        return {};
    }
    rejects.setEncoding(reader.encoding());

    if (!quiet)
        RunnerLog(linePrefix + QStringLiteral(" dosyası için mesaj paketi oluşturuluyor..."));
    UserInterface().yield();
    bool success = true;

    const int gsmColumn = reader.columnIndex(rule.fgsmno);
    if (gsmColumn < 0) {
        // Every row will be a reject; the user must learn why.
        RunnerLog(linePrefix + QStringLiteral(" dosyasında GSM numarası sütunu (") + rule.fgsmno +
                  QStringLiteral(") bulunamadı; dosyadaki sütunlar: ") +
                  columnList(reader.columnNames()));
    }
    std::optional<NumberScreen> screen = screenFor(rule, linePrefix);
    if (!screen) {
        rejects.settle(false, linePrefix);
        return {};
    }
    const PackagePolicy policy = rule.policy();
    const QString refusal = ReadRefusalText();
    // Parsed once for the file.
    const MessageTemplate messageTemplate(rule.mesaj_sablonu,
                                          RefusalEnding(policy, rule.mesaj_sablonu, refusal));
    RowTester tester(messageTemplate, gsmColumn);
    tester.countWith(ReadCostSettings());
    tester.screenWith(*screen);
    qint64 screened[2] = {};
    qint64 smsTotal = 0;
    while (reader.next()) {
        const TextRecord& row = reader.record();
        RowOutcome outcome = tester.test(row);
        if (outcome == RowOutcome::Queued) {
            try {
                gateway.addCleanedToBasket(tester.filled(), tester.number());
                smsTotal += tester.parts();
                continue;
            } catch (const RecordsetError&) {
                // Does not fit the package's fields: kept as a too-long row.
                outcome = RowOutcome::TooLong;
            }
        }
        if (outcome == RowOutcome::OptedOut || outcome == RowOutcome::Repeated)
            ++screened[outcome == RowOutcome::Repeated];
        rejects.forOutcome(outcome).addRecord(row);
    }
    // A file that breaks off half-way is not sent in part: it waits whole.
    if (reader.hasError()) {
        RunnerLog(linePrefix + QStringLiteral(" dosyası okunamadı: ") + reader.errorString());
        NoteUnreadable(rule, fileName);
        rejects.settle(false, linePrefix);
        return {};
    }
    // Rows that are not sent must be on disk before the package leaves.
    if (const QString problem = rejects.store(); !problem.isEmpty()) {
        NoteRejectsWaitingForRoom(rule, fileName, linePrefix + problem);
        rejects.settle(false, linePrefix);
        return {};
    }
    NoteRejectsWaitingForRoom(rule, fileName, QString());
    if (const QString left = ScreenedRowsText(screened[0], screened[1]); !left.isEmpty())
        RunnerLog(linePrefix + left);
    UserInterface().yield();

    std::optional<qint64> journalId;
    if (gateway.basketCount() > 0) {
        // Nobody is there to ask: the package goes, and the log says what it lacks.
        if (LacksRefusalLine(policy, refusal))
            RunnerLog(linePrefix + QStringLiteral(": ") + NoRefusalLineText);
        SubmissionRequest request = SubmissionRequest::forActiveAccount(rule.originator);
        request.beforeSubmit = [&] {
            RunnerLog(linePrefix + PackageSendingText);
            // Room for the package's record, and the record of the file in
            // flight, before anything leaves.
            PendingRecords::reserve();
            QString error;
            const auto identity = FileIdentity::of(source, &error);
            if (!identity)
                throw std::runtime_error(error.toStdString());
            journalId = SentFileJournal::recordInFlight(rule.id, *identity);
        };

        SubmissionOutcome outcome;
        try {
            outcome = SubmitPackage(gateway, request);
        } catch (const std::exception& e) {
            // Nothing left for the gateway: the file waits for the next pass.
            RunnerLog(linePrefix + QStringLiteral(" mesaj paketi gönderilemedi: ") + ErrorText(e));
            rejects.settle(false, linePrefix);
            return {};
        }

        switch (outcome.stage) {
        case SubmissionStage::AccountCheckFailed:
            SetStatusText(outcome.runnerStatusLine(rule.kural_adi));
            RunnerLog(outcome.runnerLogLine(rule.kural_adi, fileName));
            success = false;
            break;
        case SubmissionStage::InsufficientCredit:
            RunnerLog(outcome.runnerLogLine(rule.kural_adi, fileName));
            success = false;
            break;
        case SubmissionStage::NothingToSend:
            break;
        case SubmissionStage::Submitted:
            switch (outcome.verdict) {
            case SubmissionVerdict::Accepted:
                RunnerLog(outcome.runnerLogLine(rule.kural_adi, fileName));
                // The count the user is billed by, when it is not the message count.
                if (smsTotal != outcome.messageCount) {
                    RunnerLog(linePrefix + QStringLiteral(" mesaj paketi: %1 mesaj, %2 SMS")
                                               .arg(outcome.messageCount)
                                               .arg(smsTotal));
                }
                KeepRecordForLater(acceptedPackage(outcome.packageId, outcome.messageCount,
                                                   smsTotal, fileName, rule.id, rule.originator,
                                                   journalId.value_or(0)),
                                   linePrefix + QStringLiteral(" MsgID ") + outcome.packageId +
                                       QStringLiteral(" paketinin kaydı"));
                success = true;
                break;
            case SubmissionVerdict::Refused: {
                QString line = outcome.runnerLogLine(rule.kural_adi, fileName);
                if (line.isEmpty()) {
                    line = linePrefix +
                           QStringLiteral(" mesaj paketi gönderilemedi. Hata kodu : ") +
                           outcome.sendReply;
                }
                RunnerLog(line);
                success = false;
                // Refused for good: the file may go again.
                if (journalId)
                    KeepRecord({{QString(), SentFileJournal::forgetStatement(*journalId)}},
                               linePrefix + QStringLiteral(" dosyasının gönderim kaydı"));
                break;
            }
            case SubmissionVerdict::Unknown:
                rejects.settle(false, linePrefix);
                return {FileResult::Unknown, journalId.value_or(0), outcome.runnerLog};
            }
            break;
        }
    }

    UserInterface().yield();
    rejects.settle(success, linePrefix);
    gateway.clearsmsbasket();
    return {success ? FileResult::Sent : FileResult::Held, journalId.value_or(0), QString()};
}

// A file already sent, whose move failed or whose outcome is unknown, is
// never submitted again. True when the file was dealt with here.
bool resumeSentFile(const Rule& rule, const QString& name) {
    const QString source = JoinPath(rule.gelen_klasor, name);
    const auto entry = SentFileJournal::find(source);
    if (!entry)
        return false;
    const auto now = FileIdentity::of(source);
    // Unreadable for now: it cannot be told apart from the sent file, so it
    // waits, and its record stays.
    if (!now)
        return true;
    if (entry->identity.sameFileAs(*now)) {
        if (entry->state == SentFileJournal::State::InFlight) {
            SetAsideUnknown(rule, name, entry->id,
                            QStringLiteral(" dosyasının gönderim sonucu bilinmiyor: gönderim "
                                           "sırasında bağlantı koptu ya da program kapandı."));
        } else {
            App().gFileCounter = 0;
            MoveSentFile(rule, name, UniqueFileName(rule.giden_klasor, name), entry->id);
        }
        return true;
    }
    // Another file under the same name: the old record no longer applies.
    SentFileJournal::forget(entry->id);
    return false;
}

// Nothing more in this pass: the program is ending, or a package's record
// has not reached the database yet (the next pass writes it first).
bool passMustEnd() {
    if (ExitRequested())
        return true;
    try {
        return PendingRecords::hasPending();
    } catch (const std::exception& e) {
        qCWarning(lcRunner) << "pending records unreadable:" << e.what();
        return true;
    }
}

// A folder the runner cannot move files out of would see every file it
// sends stay behind: nothing is sent from it until that is mended.
QString folderProblem(const QString& folder, QStringList& names) {
    if (!App().gFileSystem->listFiles(folder, names))
        return QStringLiteral("Gelen klasörü okunamıyor: ") + folder;
    if (::access(QFile::encodeName(folder).constData(), W_OK) != 0) {
        return QStringLiteral("Gelen klasörüne yazılamıyor (") + SystemErrorText(errno) +
               QStringLiteral("): ") + folder +
               QStringLiteral(". Gönderilen dosyalar taşınamayacağı için bu klasörden gönderim "
                              "yapılmıyor.");
    }
    return QString();
}

void runRule(const Rule& rule) {
    const QString prefix = RulePrefix(rule.kural_adi);
    const QString folderKey = QStringLiteral("klasor:") + QString::number(rule.id);
    QStringList names;
    if (const QString problem = folderProblem(rule.gelen_klasor, names); !problem.isEmpty()) {
        RunnerMemory::notice(folderKey, prefix + problem);
        return;
    }
    if (RunnerMemory::clear(folderKey))
        RunnerLog(prefix + QStringLiteral("Gelen klasörü yeniden kullanılabiliyor: ") +
                  rule.gelen_klasor);
    TidyHeldRejects(rule);
    ForgetVanishedFiles(rule, names);
    NoteUnopenableNames(rule, [](const QString& name) {
        return extensionAccepted(name) && !IsUnfinishedFileName(name);
    });
    if (names.isEmpty())
        return;

    // No box from here: nobody may be there to click it.
    const QString schemaKey = QStringLiteral("sema:") + QString::number(rule.id);
    const QString schemaError =
        TryWriteSchemaIni(rule.gelen_klasor, rule.metin_ayraci, rule.baslik_var);
    if (!schemaError.isEmpty()) {
        RunnerMemory::notice(schemaKey, prefix + QStringLiteral("Şema bilgisi oluşturulamadı: ") +
                                            schemaError);
    } else {
        RunnerMemory::clear(schemaKey);
    }

    for (const QString& name : std::as_const(names)) {
        if (passMustEnd())
            return;
        if (!extensionAccepted(name) || IsUnfinishedFileName(name))
            continue;
        const QString source = JoinPath(rule.gelen_klasor, name);
        if (!App().gFileSystem->fileExists(source) || !IsPlainFile(rule, name) ||
            !IsSettled(rule, name))
            continue;
        if (resumeSentFile(rule, name))
            continue;

        const QString target = UniqueFileName(rule.giden_klasor, name);
        const FileResult result = fSMSGonder(rule, name, nameOf(target));
        if (result.kind == FileResult::Sent) {
            App().gFileCounter = 0;
            MoveSentFile(rule, name, target,
                         result.journalId ? std::optional<qint64>(result.journalId) : std::nullopt);
        } else if (result.kind == FileResult::Unknown) {
            SetAsideUnknown(rule, name, result.journalId, result.what);
        }
    }
}

} // namespace

bool IsUnfinishedFileName(const QString& fileName) {
    const QString lower = fileName.toLower();
    return fileName.startsWith(QLatin1String("~$")) || fileName.startsWith(QLatin1Char('.')) ||
           lower.endsWith(QLatin1String(".tmp")) || lower.endsWith(QLatin1String(".part"));
}

void OtoMesaj() {
    UserInterface().yield();
    // Packages taken by the gateway must be in the database before any other
    // file is looked at: a record still missing would make a sent file look
    // unsent, or a later list look like a lost one.
    bool hadPending = false;
    try {
        hadPending = PendingRecords::hasPending();
    } catch (const std::exception& e) {
        qCWarning(lcRunner) << "pending records unreadable:" << e.what();
    }
    const QString pending = PendingRecords::applyPending();
    if (!pending.isEmpty()) {
        const QString text =
            QStringLiteral("Gönderilen paketlerin kayıtları veritabanına yazılamıyor: ") + pending +
            QStringLiteral(". Kayıtlar saklandı; yazılana kadar otomatik gönderim bekliyor.");
        SetStatusText(text);
        RunnerMemory::notice(QStringLiteral("kayit"), text);
        return;
    }
    RunnerMemory::clear(QStringLiteral("kayit"));
    if (hadPending)
        RunnerLog(QStringLiteral("Bekleyen paket kayıtları veritabanına yazıldı."));

    Recordset rules;
    try {
        rules = pDizinListe();
    } catch (const std::exception& e) {
        const QString text = QStringLiteral("Çalışan kurallar okunamadı: ") + ErrorText(e);
        qCWarning(lcRunner).noquote() << text;
        SetStatusText(text);
        return;
    }
    if (rules.isEmpty())
        return;
    for (rules.moveFirst(); !rules.eof(); rules.moveNext()) {
        if (passMustEnd())
            return;
        const Rule rule = Rule::fromRecord(rules);
        try {
            runRule(rule);
        } catch (const std::exception& e) {
            // One broken rule must not stop the others.
            RunnerMemory::notice(QStringLiteral("kural:") + QString::number(rule.id),
                                 RulePrefix(rule.kural_adi) +
                                     QStringLiteral("Kural çalıştırılamadı: ") + ErrorText(e));
        }
    }
}
