#pragma once

#include <memory>

#include <QTemporaryDir>

#include "ScriptedUi.h"
#include "core/AppState.h"

// A fresh AppState with a scripted Ui and an empty temporary program folder.
// The database is created on the first OpenDatabase, as on a first start.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();

    QString folder() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    ScriptedUi& ui() { return *m_ui; }

    // Writes a file in the program folder (or below it) with these bytes.
    QString writeFile(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir m_dir;
    std::shared_ptr<ScriptedUi> m_ui;
};
