#pragma once

#include <memory>
#include <optional>

#include <QWidget>

#include "RuleEditing.h"
#include "RuleStore.h"
#include "textsource/SampleFile.h"

class RecordsetModel;
class SampleFileModel;
class WorkingWindowHost;
class Ui_frmOtoAyar;

// " Otomatik gönderim ayarları": the rule editor. The list of rules on the
// left, the shown rule on the right; new rules are made, stopped rules
// changed, rules started, stopped and deleted here. What is decided without
// the window is in RuleEditing.
class frmOtoAyar : public QWidget {
    Q_OBJECT

public:
    // 8460 x 7665 twips and 22 pixels for the line that tells what the
    // template costs (the example grid must still show four rows); the
    // window keeps this size.
    static constexpr int DesignWidth = 564;
    static constexpr int DesignHeight = 559;
    static inline const QString Title = QStringLiteral("Parlex Otomatik gönderim ayarları");
    static inline const QString NoRefusalLineWarning = QStringLiteral(
        "Kural ticari ileti gönderecek, ancak ret metni tanımlı değil: ticari iletilerde "
        "alıcılara ret yolunun bildirilmesi gerekir. Ret metnini, SMS > Hesap ayarları ile "
        "açılan Ayarlar penceresinin Genel sekmesinde \"Ret metni\" alanına yazabilirsiniz.");

    enum class Mode { Viewing, NewRule, Changing };

    explicit frmOtoAyar(WorkingWindowHost& host, QWidget* parent = nullptr);
    ~frmOtoAyar() override;

    void Form_Load();
    // Fills the sender combo the first time the window becomes active.
    void Form_Activate();

    Ui_frmOtoAyar& form() { return *m_ui; }
    Mode mode() const { return m_mode; }

signals:
    void finished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void cmdYeniKural_Click();
    void cmdKuralDegistir_Click();
    void cmdSil_Click();
    void cmdDurum_Click();
    void cmdVazgec_Click();
    void cmdMesajBelirle_Click();
    void chooseFolder(bool incoming);

    void viewingMode();
    void loadList(std::optional<qint32> select = std::nullopt);
    void showCurrentRule();
    void startChanging();
    void saveNewRule();
    void saveChange();
    // After a save or a delete: the example let go, the list read anew.
    void finishEdit();
    void showPolicy(const PackagePolicy& policy);
    // Saved all the same: the user hears that nobody will be told how to
    // refuse until "Ret metni" is set.
    void warnWithoutRefusalLine(const Rule& rule);
    // Asks the gateway for the sender names; false when it could not.
    bool fillSenders();
    // The editor's fields as a rule to check and store.
    RuleDraft draft() const;
    // The checks before a save; false after their box.
    bool draftPasses();
    void setTemplate(const QString& text);
    void failed(const QString& what, const QString& reason);
    void setSeparatorOptions(bool tab, bool custom);
    void showCombos(bool editing);
    void closeWindow();

    WorkingWindowHost& m_host;
    std::unique_ptr<Ui_frmOtoAyar> m_ui;
    RecordsetModel* m_rsKurallar;
    SampleFileModel* m_rsKural;
    std::optional<Rule> m_shown;
    QString m_shownTemplate; // the shown rule's template as the box holds it
    std::optional<SampleFile> m_sample;
    Mode m_mode = Mode::Viewing;
    bool m_activated = false;
    bool m_sendersFromGateway = false; // else stored senders, or none
};
