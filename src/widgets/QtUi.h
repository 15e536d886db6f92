#pragma once

#include <QString>

#include "core/UiServices.h"

// The Ui services on the desktop: Qt message boxes and dialogs, the desktop's
// own programs for documents and addresses, and panel 2 of the main window.
class QtUi : public UiServices {
public:
    void showMessage(BoxKind kind, const QString& title, const QString& text) override;
    bool askQuestion(const QString& title, const QString& text) override;
    QString getOpenFileName(const QString& title, const QString& folder,
                            const QString& filter) override;
    QString getSaveFileName(const QString& title, const QString& folder,
                            const QString& filter) override;
    QString chooseFolder(const QString& title, const QString& folder) override;
    bool openWithDesktop(const QString& pathOrUrl) override;
    void yield() override;
    void setStatusText(const QString& text) override;

    // Qt's own texts (file dialogs, context menus) in Turkish, from Qt's
    // translations where they are installed. False when they are not.
    static bool installQtTranslations();

    // "Desc (*.xls)|*.xls|..." as the program writes filters, in Qt's form.
    static QString qtFilter(const QString& filter);
    // Box texts are joined with CRLF; Qt wants plain line feeds.
    static QString displayText(const QString& text);
};
