#include "QtUi.h"

#include <utility>

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>
#include <QUrl>

#include "StatusLine.h"

namespace {

QWidget* boxParent() {
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    return parent;
}

// The box's own button texts, whether or not Qt's translations are there.
void nameButtons(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, QString> names[] = {
        {QMessageBox::Ok, QStringLiteral("Tamam")},
        {QMessageBox::Yes, QStringLiteral("Evet")},
        {QMessageBox::No, QStringLiteral("Hayır")},
    };
    for (const auto& [which, text] : names) {
        if (QAbstractButton* button = box.button(which))
            button->setText(text);
    }
}

} // namespace

bool QtUi::installQtTranslations() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_tr"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QString QtUi::displayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QString QtUi::qtFilter(const QString& filter) {
    if (!filter.contains(QLatin1Char('|')))
        return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        const QString patterns = parts.at(i + 1);
        QString qtPatterns = patterns;
        qtPatterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt reads the patterns from the parentheses of the description.
        if (!description.contains(QLatin1Char('(')))
            description += QStringLiteral(" (") + qtPatterns + QLatin1Char(')');
        out << description;
    }
    return out.join(QStringLiteral(";;"));
}

void QtUi::showMessage(BoxKind kind, const QString& title, const QString& text) {
    QMessageBox box(kind == BoxKind::Error ? QMessageBox::Critical : QMessageBox::Information,
                    title, displayText(text), QMessageBox::Ok, boxParent());
    box.setTextFormat(Qt::PlainText);
    nameButtons(box);
    box.exec();
}

bool QtUi::askQuestion(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, displayText(text),
                    QMessageBox::Yes | QMessageBox::No, boxParent());
    box.setTextFormat(Qt::PlainText);
    nameButtons(box);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString QtUi::getOpenFileName(const QString& title, const QString& folder, const QString& filter) {
    return QFileDialog::getOpenFileName(boxParent(), title, folder, qtFilter(filter));
}

QString QtUi::getSaveFileName(const QString& title, const QString& folder, const QString& filter) {
    // A name typed without an extension gets the first pattern's ("*.xlsx"),
    // before the dialog asks whether to overwrite: only an instance does so.
    QFileDialog dialog(boxParent(), title, folder, qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QString first = filter.section(QLatin1Char('|'), 1, 1).section(QLatin1Char(';'), 0, 0);
    if (first.startsWith(QStringLiteral("*.")) && first.indexOf(QLatin1Char('*'), 1) < 0)
        dialog.setDefaultSuffix(first.mid(2));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtUi::chooseFolder(const QString& title, const QString& folder) {
    return QFileDialog::getExistingDirectory(boxParent(), title, folder);
}

bool QtUi::openWithDesktop(const QString& pathOrUrl) {
    const QUrl url = QFileInfo::exists(pathOrUrl) ? QUrl::fromLocalFile(pathOrUrl)
                                                  : QUrl::fromUserInput(pathOrUrl);
    return url.isValid() && QDesktopServices::openUrl(url);
}

void QtUi::yield() {
    QApplication::processEvents();
}

void QtUi::setStatusText(const QString& text) {
    if (StatusLine* line = StatusLine::current())
        line->setStatusText(text);
}
