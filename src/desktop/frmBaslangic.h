#pragma once

#include <memory>

#include <QWidget>

class Ui_frmBaslangic;

// The start window: says that the program is connecting while the start-up
// check of a remembered account waits for the gateway, so a slow line does
// not look like a program that failed to start.
class frmBaslangic : public QWidget {
    Q_OBJECT

public:
    explicit frmBaslangic(QWidget* parent = nullptr);
    ~frmBaslangic() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui_frmBaslangic> m_ui;
};
