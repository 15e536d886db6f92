#include "RunnerSteps.h"

#include <dirent.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Routines.h"
#include "core/SystemError.h"
#include "rules/RejectFile.h"
#include "rules/RuleRunner.h"
#include "rules/RunnerMemory.h"
#include "rules/SentFileJournal.h"
#include "spreadsheet/TableFile.h"

Q_DECLARE_LOGGING_CATEGORY(lcRunner)

namespace {

const QString SeenKey = QStringLiteral("gozlem:");
const QString NotAFileKey = QStringLiteral("aygit:");
const QString UnreadableKey = QStringLiteral("okunamaz:");
const QString UnopenableKey = QStringLiteral("adsiz:");
const QString NoRoomKey = QStringLiteral("redyer:");
const QString IncompleteKey = QStringLiteral("yarim:");
const QStringList RejectPrefixes = {QStringLiteral("h01_"), QStringLiteral("h02_"),
                                    QStringLiteral("h03_"), QStringLiteral("h04_"),
                                    QStringLiteral("h05_")};

QString nameOf(const QString& path) {
    return QFileInfo(path).fileName();
}

bool moveFile(const QString& from, const QString& to, QString* error) {
    return App().gFileSystem->moveFile(from, to, error);
}

QString uniqueIn(const QString& folder, const QString& name) {
    App().gFileCounter = 0;
    return UniqueFileName(folder, name);
}

// Moves the held reject rows of one data file into the outgoing folder,
// named after `targetName` there, or as they were held when it is empty.
void flushHeldRejects(const Rule& rule, const QString& fileName, const QString& targetName) {
    QDir held(HeldRejectsFolder(rule, fileName));
    if (!held.exists())
        return;
    const QStringList names = held.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : names) {
        const QString path = held.filePath(name);
        if (name.endsWith(RejectFile::PartSuffix))
            continue;
        if (QFileInfo(path).size() == 0) {
            QFile::remove(path);
            continue;
        }
        const QString wanted =
            targetName.isEmpty() ? name : RejectFileName(name.left(4), targetName);
        const QString target = uniqueIn(rule.giden_klasor, wanted);
        const QString key = QStringLiteral("red:") + path;
        QString error;
        if (!moveFile(path, target, &error)) {
            RunnerMemory::notice(key, RulePrefix(rule.kural_adi) + name +
                                          QStringLiteral(" red dosyası giden klasörüne "
                                                         "taşınamadı: ") +
                                          error +
                                          QStringLiteral(". Satırlar saklanıyor; taşıma her "
                                                         "kontrolde yeniden denenecek."));
            continue;
        }
        if (RunnerMemory::clear(key)) {
            RunnerLog(RulePrefix(rule.kural_adi) + nameOf(target) +
                      QStringLiteral(" red dosyası giden klasörüne taşındı."));
        }
    }
    QDir().rmdir(held.path());
}

} // namespace

QString RulePrefix(const QString& ruleName) {
    return QLatin1Char('[') + ruleName + QStringLiteral("] ");
}

QString HeldRejectsFolder(const Rule& rule, const QString& fileName) {
    return JoinPath(
        JoinPath(JoinPath(App().programFolder, HeldRejectsFolderName), QString::number(rule.id)),
        fileName);
}

namespace {

// Notes on one file of a rule's incoming folder, forgotten with the file.
QString fileKeyPrefix(const QString& kind, const Rule& rule) {
    return kind + QString::number(rule.id) + QLatin1Char(':');
}

} // namespace

bool IsSettled(const Rule& rule, const QString& fileName) {
    const QFileInfo info(JoinPath(rule.gelen_klasor, fileName));
    const QDateTime modified = info.lastModified();
    const QString key = fileKeyPrefix(SeenKey, rule) + fileName;
    if (modified.msecsTo(QDateTime::currentDateTime()) >= SettleMilliseconds) {
        RunnerMemory::clear(key);
        return true;
    }
    // Written just now, or dated ahead by a share whose clock runs fast:
    // taken once its size and time have stood still for a while.
    const QString state = QString::number(info.size()) + QLatin1Char('|') +
                          QString::number(modified.toMSecsSinceEpoch());
    // How long it has stood still is told by the program's own clock.
    const QDateTime now = Clock::now();
    const std::optional<QString> seen = RunnerMemory::value(key);
    if (seen && seen->section(QLatin1Char('|'), 0, 1) == state) {
        const qint64 since = seen->section(QLatin1Char('|'), 2).toLongLong();
        if (now.toMSecsSinceEpoch() - since < SettleMilliseconds)
            return false;
        RunnerMemory::clear(key);
        return true;
    }
    RunnerMemory::setValue(key,
                           state + QLatin1Char('|') + QString::number(now.toMSecsSinceEpoch()));
    return false;
}

bool IsPlainFile(const Rule& rule, const QString& fileName) {
    if (QFileInfo(JoinPath(rule.gelen_klasor, fileName)).isFile())
        return true;
    // A link to a device or a pipe can never be read as a list.
    RunnerMemory::notice(fileKeyPrefix(NotAFileKey, rule) + fileName,
                         RulePrefix(rule.kural_adi) + fileName +
                             QStringLiteral(" sıradan bir dosya değil (bir aygıta ya da boruya "
                                            "bağlantı); gönderilmiyor."));
    return false;
}

namespace {

QString stateOf(const Rule& rule, const QString& fileName) {
    const QFileInfo info(JoinPath(rule.gelen_klasor, fileName));
    return QString::number(info.size()) + QLatin1Char('|') +
           QString::number(info.lastModified().toMSecsSinceEpoch());
}

} // namespace

bool IsUnreadableAsBefore(const Rule& rule, const QString& fileName) {
    return RunnerMemory::value(fileKeyPrefix(UnreadableKey, rule) + fileName) ==
           stateOf(rule, fileName);
}

void NoteUnreadable(const Rule& rule, const QString& fileName) {
    RunnerMemory::setValue(fileKeyPrefix(UnreadableKey, rule) + fileName, stateOf(rule, fileName));
}

void NoteIncomplete(const Rule& rule, const QString& fileName, const QString& line) {
    const QString key = fileKeyPrefix(IncompleteKey, rule) + fileName;
    if (line.isEmpty())
        RunnerMemory::clear(key);
    else
        RunnerMemory::notice(key, line);
}

bool RejectsWaitingForRoom(const Rule& rule, const QString& fileName) {
    return RunnerMemory::value(fileKeyPrefix(NoRoomKey, rule) + fileName).has_value();
}

void NoteRejectsWaitingForRoom(const Rule& rule, const QString& fileName, const QString& problem) {
    const QString key = fileKeyPrefix(NoRoomKey, rule) + fileName;
    if (problem.isEmpty())
        RunnerMemory::clear(key);
    else
        RunnerMemory::notice(key, problem);
}

void ForgetVanishedFiles(const Rule& rule, const QStringList& names) {
    for (const QString& kind : {SeenKey, NotAFileKey, UnreadableKey, NoRoomKey, IncompleteKey}) {
        const QString prefix = fileKeyPrefix(kind, rule);
        for (const QString& key : RunnerMemory::keysStartingWith(prefix)) {
            if (!names.contains(key.mid(prefix.size())))
                RunnerMemory::clear(key);
        }
    }
}

namespace {

// The names in `folder` as the file system holds them; nullopt when it
// cannot be listed.
std::optional<QList<QByteArray>> rawNames(const QString& folder) {
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return std::nullopt;
    QList<QByteArray> names;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    ::closedir(dir);
    return names;
}

} // namespace

QString ShownFileName(const QByteArray& name) {
    QString shown;
    for (qsizetype i = 0; i < name.size();) {
        const auto lead = static_cast<uchar>(name[i]);
        const qsizetype length = lead < 0x80                    ? 1
                                 : lead >= 0xC2 && lead <= 0xDF ? 2
                                 : lead >= 0xE0 && lead <= 0xEF ? 3
                                 : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                : 0;
        const QByteArrayView piece =
            QByteArrayView(name).sliced(i).first(std::min(length, name.size() - i));
        // Control characters are escaped too: a line break would split the
        // log line.
        if (length > 0 && piece.size() == length && lead >= 0x20 && lead != 0x7F &&
            piece.isValidUtf8()) {
            shown += QString::fromUtf8(piece);
            i += length;
        } else {
            shown += QStringLiteral("\\x") +
                     QString::number(lead, 16).toUpper().rightJustified(2, QLatin1Char('0'));
            ++i;
        }
    }
    return shown;
}

void NoteUnopenableNames(const Rule& rule, const std::function<bool(const QString&)>& taken) {
    const std::optional<QList<QByteArray>> names = rawNames(rule.gelen_klasor);
    if (!names)
        return;
    const QString keyPrefix = fileKeyPrefix(UnopenableKey, rule);
    QStringList present;
    for (const QByteArray& name : *names) {
        // Opened by its decoded name, a file is only found when that name
        // leads back to the same bytes.
        const QString decoded = QFile::decodeName(name);
        if (QFile::encodeName(decoded) == name || !taken(decoded))
            continue;
        const QString shown = ShownFileName(name);
        present << shown;
        RunnerMemory::notice(keyPrefix + shown,
                             RulePrefix(rule.kural_adi) + shown +
                                 QStringLiteral(" dosyası adıyla açılamıyor: adı geçerli UTF-8 "
                                                "değil. Dosya gönderilmiyor; adı "
                                                "değiştirildiğinde gönderilecek."));
    }
    for (const QString& key : RunnerMemory::keysStartingWith(keyPrefix)) {
        if (!present.contains(key.mid(keyPrefix.size())))
            RunnerMemory::clear(key);
    }
}

namespace {

void reportUnrecorded(const QString& problem) {
    SetStatusText(problem);
    RunnerLog(problem);
}

QString notYetRecorded(const QString& what, const QString& error) {
    return what + QStringLiteral(" veritabanına yazılamadı: ") + error +
           QStringLiteral(". Kayıt saklandı; veritabanı kullanılabilir olunca yazılacak.");
}

} // namespace

void KeepRecord(const QList<PendingRecords::Step>& steps, const QString& what) {
    try {
        if (const QString error = PendingRecords::write(steps); !error.isEmpty())
            reportUnrecorded(notYetRecorded(what, error));
    } catch (const std::exception& e) {
        reportUnrecorded(what + QStringLiteral(" kaydedilemedi: ") + ErrorText(e));
    }
}

void KeepRecordForLater(const QList<PendingRecords::Step>& steps, const QString& what) {
    try {
        PendingRecords::keep(steps);
    } catch (const std::exception& e) {
        qCWarning(lcRunner).noquote() << what << "not kept in the file:" << e.what();
        KeepRecord(steps, what);
    }
}

bool MoveSentFile(const Rule& rule, const QString& fileName, const QString& target,
                  std::optional<qint64> journalId) {
    const QString source = JoinPath(rule.gelen_klasor, fileName);
    const QString key = QStringLiteral("tasima:") + source;
    const QString prefix = RulePrefix(rule.kural_adi) + fileName;
    QString error;
    const QString what = prefix + QStringLiteral(" dosyasının gönderim kaydı");
    if (!moveFile(source, target, &error)) {
        RunnerMemory::notice(key, prefix + QStringLiteral(" dosyası giden klasörüne taşınamadı: ") +
                                      error +
                                      QStringLiteral(". Dosya gönderildi ve yeniden "
                                                     "gönderilmeyecek; taşıma her kontrolde "
                                                     "yeniden denenecek."));
        if (const QString pending = PendingRecords::applyPending(); !pending.isEmpty())
            reportUnrecorded(notYetRecorded(what, pending));
        return false;
    }
    if (RunnerMemory::clear(key))
        RunnerLog(prefix + QStringLiteral(" dosyası giden klasörüne taşındı."));
    flushHeldRejects(rule, fileName, nameOf(target));
    QList<PendingRecords::Step> done;
    if (journalId)
        done.append({QString(), SentFileJournal::forgetStatement(*journalId)});
    KeepRecord(done, what);
    return true;
}

void SetAsideUnknown(const Rule& rule, const QString& fileName, qint64 journalId,
                     const QString& what) {
    const QString source = JoinPath(rule.gelen_klasor, fileName);
    const QString folder = JoinPath(rule.gelen_klasor, UnknownOutcomeFolderName);
    const QString prefix = RulePrefix(rule.kural_adi) + fileName;
    const QString key = QStringLiteral("belirsiz:") + source;
    QDir().mkpath(folder);
    QString error;
    if (!moveFile(source, uniqueIn(folder, fileName), &error)) {
        RunnerMemory::notice(
            key, prefix + what + QStringLiteral(" Dosya yeniden gönderilmeyecek, ancak ") +
                     UnknownOutcomeFolderName + QStringLiteral(" klasörüne alınamadı: ") + error +
                     QLatin1Char('.'));
        return;
    }
    RunnerMemory::clear(key);
    KeepRecord({{QString(), SentFileJournal::forgetStatement(journalId)}},
               prefix + QStringLiteral(" dosyasının gönderim kaydı"));
    RunnerLog(prefix + what + QStringLiteral(" Dosya yeniden gönderilmeyecek, ") +
              UnknownOutcomeFolderName +
              QStringLiteral(" klasörüne alındı; mesaj merkezindeki raporları kontrol edin."));
}

void RemoveEmptyRejectLeftovers(const Rule& rule, const QString& targetName) {
    QStringList names;
    for (const QString& prefix : RejectPrefixes) {
        names << RejectFileName(prefix, targetName);
        const QFileInfo info(JoinPath(rule.giden_klasor, names.back()));
        // Rows make a reject file; an empty one is what a killed pass left.
        if (info.isFile() && info.size() == 0)
            QFile::remove(info.filePath());
    }
    if (!IsWorkbookName(targetName))
        return;
    // So is the hidden workbook a killed pass was writing, beside the name.
    QDir folder(rule.giden_klasor);
    for (const QString& part : folder.entryList({QLatin1Char('*') + RejectFile::PartSuffix},
                                                QDir::Files | QDir::Hidden)) {
        for (const QString& name : std::as_const(names)) {
            if (part.startsWith(QLatin1Char('.') + name + QLatin1Char('.')))
                folder.remove(part);
        }
    }
}

void TidyHeldRejects(const Rule& rule) {
    const QDir ruleFolder(QFileInfo(HeldRejectsFolder(rule, QStringLiteral("x"))).path());
    if (!ruleFolder.exists())
        return;
    const QStringList files =
        ruleFolder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QString& fileName : files) {
        QDir held(ruleFolder.filePath(fileName));
        for (const QString& part : held.entryList({QLatin1Char('*') + RejectFile::PartSuffix},
                                                  QDir::Files | QDir::Hidden))
            held.remove(part);
        // Rows of a file that has gone on wait for nothing more.
        if (!QFileInfo::exists(JoinPath(rule.gelen_klasor, fileName)))
            flushHeldRejects(rule, fileName, QString());
    }
}
