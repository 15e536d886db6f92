#pragma once

#include <QString>

// Everything the logic asks of the user's desktop goes through here, so the
// same logic runs in the desktop program, on the command line and in tests.
// (Named UiServices rather than Ui: uic generates a namespace Ui.)
class UiServices {
public:
    enum class BoxKind { Information, Error, Question };

    virtual ~UiServices() = default;

    // Information or error box.
    virtual void showMessage(BoxKind kind, const QString& title, const QString& text) = 0;
    // Question with Yes and No; true for Yes.
    virtual bool askQuestion(const QString& title, const QString& text) = 0;

    // Empty text when the user cancels.
    virtual QString getOpenFileName(const QString& title, const QString& folder,
                                    const QString& filter) = 0;
    virtual QString getSaveFileName(const QString& title, const QString& folder,
                                    const QString& filter) = 0;
    virtual QString chooseFolder(const QString& title, const QString& folder) = 0;

    // A document or a web address, opened with the desktop's program.
    virtual bool openWithDesktop(const QString& pathOrUrl) = 0;

    // Lets the user interface handle pending events during a long loop.
    virtual void yield() = 0;

    // Panel 2 of the main window's status bar.
    virtual void setStatusText(const QString& text) = 0;

    void information(const QString& title, const QString& text) {
        showMessage(BoxKind::Information, title, text);
    }
    void error(const QString& title, const QString& text) {
        showMessage(BoxKind::Error, title, text);
    }
};

// No desktop: boxes and status texts go to the log, questions are answered No
// so nothing irreversible happens unattended, dialogs are cancelled.
class HeadlessUi : public UiServices {
public:
    void showMessage(BoxKind kind, const QString& title, const QString& text) override;
    bool askQuestion(const QString& title, const QString& text) override;
    QString getOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString getSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString chooseFolder(const QString&, const QString&) override { return {}; }
    bool openWithDesktop(const QString& pathOrUrl) override;
    void yield() override;
    void setStatusText(const QString& text) override;

    QString statusText() const { return m_status; }

private:
    QString m_status;
};
