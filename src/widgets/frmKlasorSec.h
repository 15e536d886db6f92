#pragma once

#include <memory>

#include <QPointer>
#include <QStringList>
#include <QWidget>

class QFileSystemModel;
class QLineEdit;
class Ui_frmKlasorSec;

// "Klasör Seç": a drive list and the folder tree of the chosen drive; "Seç"
// writes the selected folder's full path into the opener's text box and
// closes. On Linux the drives are the mounted volumes and the home folder.
class frmKlasorSec : public QWidget {
    Q_OBJECT

public:
    explicit frmKlasorSec(QWidget* parent = nullptr);
    ~frmKlasorSec() override;

    // The text box that receives the path; set before showing the window.
    void setTarget(QLineEdit* target);

    // The home folder, then the mounted volumes that hold files.
    static QStringList drives();
    // Selects `path` in the tree (as a user's click would).
    void selectFolder(const QString& path);

private:
    void Drive1_Change();
    void cmdSec_Click();

    std::unique_ptr<Ui_frmKlasorSec> m_ui;
    QFileSystemModel* m_model;
    QPointer<QLineEdit> m_target;
};
