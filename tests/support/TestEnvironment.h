#pragma once

#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "ScriptedUi.h"
#include "core/AppState.h"
#include "core/DbRoutines.h"

// A fresh AppState with a scripted Ui and an empty temporary program folder.
// The database is created on the first OpenDatabase, as on a first start.
class TestEnvironment {
public:
    TestEnvironment()
        : m_ui(std::make_shared<ScriptedUi>()) {
        if (!m_dir.isValid())
            qFatal("cannot create a temporary program folder");
        AppState::reset();
        App().programFolder = m_dir.path();
        App().ui = m_ui;
    }
    // Releases the database file before the folder goes.
    ~TestEnvironment() { AppState::reset(); }

    QString folder() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    ScriptedUi& ui() { return *m_ui; }

    // Writes a file in the program folder (or below it) with these bytes.
    QString writeFile(const QString& name, const QByteArray& bytes) const {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write a test file");
        file.write(bytes);
        return path;
    }

    // The activity log, oldest line first.
    static QStringList logLines() {
        Recordset rs =
            OpenRecordset(QStringLiteral("SELECT aciklama FROM tbl_log_txt ORDER BY id"));
        QStringList lines;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            lines << rs.text(0);
        return lines;
    }

    // A list with a header line and `n` different mobile numbers.
    static QByteArray numberedList(int n) {
        QByteArray bytes = "gsm;ad\r\n";
        for (int i = 0; i < n; ++i)
            bytes += "0532" + QByteArray::number(1000000 + i) + ";Ali\r\n";
        return bytes;
    }

    // Another program holding the database: every statement of ours fails
    // as locked, after a short wait, while the returned connection lives.
    static std::unique_ptr<Database> holdDatabase() {
        OpenDatabase();
        App().gConnection.close();
        App().gConnection.setBusyTimeout(200);
        auto other = std::make_unique<Database>();
        other->open(DatabasePath());
        // Exclusive locking mode keeps even readers of a write-ahead log out.
        other->execute(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
        other->execute(QStringLiteral("BEGIN EXCLUSIVE"));
        return other;
    }

private:
    QTemporaryDir m_dir;
    std::shared_ptr<ScriptedUi> m_ui;
};
