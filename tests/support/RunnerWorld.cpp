#include "RunnerWorld.h"

#include <QtTest>

#include "core/DbRoutines.h"

RunnerWorld::RunnerWorld(const QString& headerFlag) {
    in = env.filePath(QStringLiteral("gelen"));
    out = env.filePath(QStringLiteral("giden"));
    QDir().mkpath(in);
    QDir().mkpath(out);
    rule.kural_adi = QStringLiteral("Borç");
    rule.gelen_klasor = in;
    rule.giden_klasor = out;
    rule.originator = QStringLiteral("PARLEX");
    rule.metin_ayraci = QStringLiteral(";");
    rule.baslik_var = headerFlag;
    // Without a header line the columns are F1, F2, ...
    const bool named = headerFlag == QLatin1String("E");
    rule.mesaj_sablonu = named ? QStringLiteral("Sayın [##ad##], borcunuz [##tutar##] TL.")
                               : QStringLiteral("Sayın [##F2##], borcunuz [##F3##] TL.");
    rule.fgsmno = named ? QStringLiteral("gsm") : QStringLiteral("F1");
    rule.id = InsertRule(rule);
    SetAutoSendSwitch(true);
}

QString RunnerWorld::drop(const QString& name, const QByteArray& bytes, int ageSeconds,
                          const QString& folder) {
    const QString path = QDir(folder.isEmpty() ? in : folder).filePath(name);
    QFile file(path);
    // Written before the time is set, or closing would reset it.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush() ||
        !file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                          QFileDevice::FileModificationTime))
        qFatal("cannot write a data file");
    return path;
}

QStringList RunnerWorld::files(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QByteArray RunnerWorld::read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

int RunnerWorld::packageRows() const {
    return OpenRecordset(QStringLiteral("SELECT COUNT(*) FROM tbl_giden_txt")).value(0).toInt();
}

void RunnerWorld::restart() {
    App().gConnection.close();
    App().runnerNotices.clear();
    App().runnerMemoryLoaded = false;
}
