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
    if (headerFlag == QLatin1String("E")) {
        rule.mesaj_sablonu = QStringLiteral("Sayın [##ad##], borcunuz [##tutar##] TL.");
        rule.fgsmno = QStringLiteral("gsm");
    } else {
        rule.mesaj_sablonu = QStringLiteral("Sayın [##F2##], borcunuz [##F3##] TL.");
        rule.fgsmno = QStringLiteral("F1");
    }
    rule.id = InsertRule(rule);
    SetAutoSendSwitch(true);
}

QString RunnerWorld::drop(const QString& name, const QByteArray& bytes, int ageSeconds,
                          const QString& folder) {
    const QString path = QDir(folder.isEmpty() ? in : folder).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write a data file");
    file.write(bytes);
    file.flush(); // written before the time is set, or closing would reset it
    file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                     QFileDevice::FileModificationTime);
    return path;
}

QStringList RunnerWorld::logLines() const {
    Recordset rs = OpenRecordset(QStringLiteral("SELECT aciklama FROM tbl_log_txt ORDER BY id"));
    QStringList lines;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        lines << rs.text(0);
    return lines;
}

QStringList RunnerWorld::newLogLines() {
    const QStringList all = logLines();
    const QStringList fresh = all.mid(m_seenLog);
    m_seenLog = static_cast<int>(all.size());
    return fresh;
}

QStringList RunnerWorld::files(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QByteArray RunnerWorld::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

int RunnerWorld::packageRows() const {
    Recordset rs = OpenRecordset(QStringLiteral("SELECT COUNT(*) FROM tbl_giden_txt"));
    return rs.value(0).toInt();
}

bool FlakyFileSystem::moveFile(const QString& from, const QString& to, QString* error) {
    ++attempts;
    if (failing) {
        if (error)
            *error = QStringLiteral("No space left on device");
        return false;
    }
    return FileSystem::moveFile(from, to, error);
}
