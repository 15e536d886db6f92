#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QAbstractTableModel>
#include <QStringList>

#include "textsource/SampleFile.h"

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableView;
class TableFile;

// A sample file in a grid, read as the grid asks: the first screen at once,
// more rows as it scrolls, so a list of a million rows opens at once. The
// model owns its reader. A workbook's sheet shows its cells as the sheet
// shows them ("150,50", "007").
class SampleFileModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int PageRows = 200;

    explicit SampleFileModel(QObject* parent = nullptr);
    ~SampleFileModel() override;

    // Reads the first page of the data file, or of the workbook's sheet;
    // false with errorString() when it cannot be read. The model then still
    // shows what it showed before.
    bool open(const QString& path, const TextFormat& format, int sheet = 0);
    // Lets the file go; the model is empty.
    void close();
    QString errorString() const { return m_error; }
    QStringList columnNames() const { return m_columns; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    // Up to PageRows rows; `atEnd` when the file has no more.
    static std::vector<QStringList> readPage(TableFile& reader, bool& atEnd);

    std::unique_ptr<TableFile> m_reader;
    QStringList m_columns;
    std::vector<QStringList> m_rows;
    bool m_atEnd = true;
    // Set while rows are being added: a view asking for more from inside
    // that change must wait for it to end.
    bool m_fetching = false;
    QString m_error;
};

// The window half of loading a sample: the controls of the window that
// loads one (send wizard or rule editor).
struct SampleControls {
    QRadioButton* optSekme = nullptr;
    QRadioButton* optOzel = nullptr;
    QLineEdit* txtAyrac = nullptr;
    QComboBox* cmbBaslik = nullptr;
    QLineEdit* txtDosyaAdi = nullptr; // the wizard shows the chosen path
    QAbstractButton* pressed = nullptr;
    QTableView* grid = nullptr;
    QLabel* gridCaption = nullptr;
    QComboBox* cmbFGSMNo = nullptr;
    SampleFileModel* model = nullptr;
    // The wizard's sheet choice, shown for a workbook only.
    QLabel* lblSayfa = nullptr;
    QComboBox* cmbSayfa = nullptr;
    // The rule editor asks for the separator before any file: the rule
    // keeps it for the data files it reads. The wizard asks only when the
    // chosen file is one.
    bool separatorBeforeFile = true;
};

// The controls of a form laid out as the send wizard's first tab (its
// controls named as there): the wizard and the opt-out list's import.
template <typename Form>
SampleControls WizardLayoutControls(const Form& ui, SampleFileModel* model) {
    SampleControls controls;
    controls.optSekme = ui.optSekme;
    controls.optOzel = ui.optOzel;
    controls.txtAyrac = ui.txtAyrac;
    controls.cmbBaslik = ui.cmbBaslik;
    controls.txtDosyaAdi = ui.txtDosyaAdi;
    controls.pressed = ui.cmdGozat;
    controls.grid = ui.DataGrid1;
    controls.gridCaption = ui.lblOrnekDosya;
    controls.cmbFGSMNo = ui.cmbFGSMNo;
    controls.model = model;
    controls.lblSayfa = ui.lblSayfa;
    controls.cmbSayfa = ui.cmbSayfa;
    controls.separatorBeforeFile = false;
    return controls;
}

// What a failed read shows, by window.
struct SampleFailureTexts {
    QString text;
    QString title;
    bool withSystemError = false;
};
inline const SampleFailureTexts WizardSampleFailure{
    QStringLiteral("Tanımlanamayan hata oluştu."),
    QStringLiteral("Parlex Otomatik gönderim ayarları"), true};
inline const SampleFailureTexts EditorSampleFailure{
    QStringLiteral("Dosya içeriği okunamıyor. Alan ayracı ayarı, sistem ayarlarınızla "
                   "çakışıyor olabilir."),
    QStringLiteral("Parlex"), false};

// Checks the choices, asks for a file, describes its folder, shows the
// sample (a workbook's first sheet) and fills the field menu and the
// GSM-column combo; the separator controls are for data files only. Nothing
// when the user stops or the file cannot be read (a box has said why): the
// window keeps the file it had, its path, sample and lists alike.
std::optional<SampleFile> LoadSampleFile(const SampleControls& controls, const SampleTexts& texts,
                                         const SampleFailureTexts& failure);

// Reads `sample` again as it now says (another sheet, another header
// choice) and shows it with its columns; false after the failure box, the
// sample shown before staying.
bool ReloadSampleFile(const SampleControls& controls, const SampleFile& sample,
                      const SampleFailureTexts& failure);

// A sample grid of one-line rows as tall as the text needs, so that its
// design height shows at least four of them.
void PrepareSampleGrid(QTableView* grid);
