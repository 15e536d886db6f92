#pragma once

#include <memory>
#include <optional>

#include <QDialog>

#include "OptOutList.h"
#include "textsource/SampleFile.h"

class SampleFileModel;
struct SampleControls;
class Ui_frmRetAktar;

// "Parlex - Ret listesine aktar": which file, how it is laid out (separator
// and header as the send wizard asks them), which column holds the numbers
// and, for an İYS export, which column tells RET from consent. The first
// rows show as they will be read. İçe aktar accepts; the window that opened
// it does the import.
class frmRetAktar : public QDialog {
    Q_OBJECT

public:
    explicit frmRetAktar(QWidget* parent = nullptr);
    ~frmRetAktar() override;

    Ui_frmRetAktar& form() { return *m_ui; }
    // The import the choices describe; set once a file is loaded.
    OptOutImport request() const;

private:
    SampleControls sampleControls() const;
    void cmdGozat_Click();
    void cmbSayfa_Click();
    void cmbBaslik_Click();
    void cmdAktar_Click();
    void showColumns();

    std::unique_ptr<Ui_frmRetAktar> m_ui;
    SampleFileModel* m_model;
    std::optional<SampleFile> m_sample;
};
