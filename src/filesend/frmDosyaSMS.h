#pragma once

#include <memory>
#include <optional>

#include <QTimer>
#include <QWidget>

#include "PackageBuilder.h"
#include "textsource/SampleFile.h"

class PackageListModel;
class SampleFileModel;
struct SampleControls;
class WorkingWindowHost;
class Ui_frmDosyaSMS;

// " Dosyadan SMS Gönderimi": the send-from-file wizard. Tab 1 takes the data
// file, its layout, the GSM column and the message template; "İleri>>"
// builds the package list and asks for the credit and the sender names;
// tab 2 shows the list, takes entries off it and sends it, now or at a
// chosen time. The work itself is PackageBuilder's and SendPackageList's.
class frmDosyaSMS : public QWidget {
    Q_OBJECT

public:
    // 8775 x 6750 twips; the window keeps this size.
    static constexpr int DesignWidth = 585;
    static constexpr int DesignHeight = 450;
    static inline const QString CancelledText = PackageBuilder::CancelledText;

    explicit frmDosyaSMS(WorkingWindowHost& host, QWidget* parent = nullptr);
    ~frmDosyaSMS() override;

    void Form_Load();

    Ui_frmDosyaSMS& form() { return *m_ui; }
    PackageListModel& rsPaket() { return *m_rsPaket; }
    QTimer& Timer1() { return m_timer; }
    bool isBuilding() const { return m_builder != nullptr; }

signals:
    // Left through its own buttons or closed: the main window lets it go.
    void finished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void cmdGozat_Click();
    // A workbook read again with another sheet or header choice.
    void cmbSayfa_Click();
    void cmbBaslik_Click();
    void cmdAlanEkle_Click();
    void cmdIleri_1_Click();
    void Command1_Click();
    void cmdVazgec_1_Click();
    void cmdVazgec_2_Click();
    void cmdGonder_Click();
    void Timer1_Timer();

    SampleControls sampleControls() const;
    // Shows `next` in place of the workbook's sample; false when it cannot
    // be read, the sample staying.
    bool rereadWorkbook(const SampleFile& next);
    // A list built from the sample before is not the new sample's.
    void sampleChanged();
    // Builds the list; false when there is none to go on with.
    bool buildList();
    // GetInfo: the credit and the sender names; false when it failed.
    bool askAccount();
    void showTotal();
    // SMS Gönder is available while a credit is known and covers the list.
    void updateSendButton();
    // Its frame in the main window, or itself.
    void closeWindow();

    WorkingWindowHost& m_host;
    std::unique_ptr<Ui_frmDosyaSMS> m_ui;
    PackageListModel* m_rsPaket;
    SampleFileModel* m_rsDosya;
    QTimer m_timer;
    std::optional<SampleFile> m_sample;
    PackageBuilder* m_builder = nullptr; // while building
    std::optional<qint64> m_credit;      // from the last account check
    // What the last build left out by the package's policy, and whether it
    // is commercial without a refusal line.
    qint64 m_optedOut = 0;
    qint64 m_repeated = 0;
    bool m_lacksRefusalLine = false;
    bool m_submitted = false; // SMS Gönder was confirmed
    bool m_closeAfterBuild = false;
};
