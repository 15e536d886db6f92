#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

TestEnvironment::TestEnvironment()
    : m_ui(std::make_shared<ScriptedUi>()) {
    if (!m_dir.isValid())
        qFatal("cannot create a temporary program folder");
    AppState::reset();
    App().programFolder = m_dir.path();
    App().ui = m_ui;
}

TestEnvironment::~TestEnvironment() {
    // Release the database file before the folder goes.
    AppState::reset();
}

QString TestEnvironment::writeFile(const QString& name, const QByteArray& bytes) const {
    const QString path = m_dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write a test file");
    file.write(bytes);
    return path;
}
