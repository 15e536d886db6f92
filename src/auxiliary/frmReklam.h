#pragma once

#include <memory>

#include <QWidget>

class Ui_frmReklam;

// The advertisement window: while no working window is open it fills the
// main window with the maker's web SMS client for the running account and,
// in a band below, the advertisement page. The panes only show their
// addresses, so nothing here waits for the network.
class frmReklam : public QWidget {
    Q_OBJECT

public:
    explicit frmReklam(QWidget* parent = nullptr);
    ~frmReklam() override;

    Ui_frmReklam& form() { return *m_ui; }
    // Built once, when the window loads.
    QString webClientAddress() const { return m_webClient; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<Ui_frmReklam> m_ui;
    QString m_webClient;
};
