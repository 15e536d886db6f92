#pragma once

#include <memory>

#include <QDialog>

class Ui_frmHakkinda;

// "Parlex Hakkında": the running account's user name and, for the main
// account, its client code. Its XP-style button closes it.
class frmHakkinda : public QDialog {
    Q_OBJECT

public:
    explicit frmHakkinda(QWidget* parent = nullptr);
    ~frmHakkinda() override;

    Ui_frmHakkinda& form() { return *m_ui; }

private:
    void Form_Load();

    std::unique_ptr<Ui_frmHakkinda> m_ui;
};
