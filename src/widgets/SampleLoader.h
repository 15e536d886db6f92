#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QAbstractTableModel>
#include <QStringList>

#include "textsource/SampleFile.h"

class DelimitedReader;
class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableView;

// A sample file in a grid, read as the grid asks: the first screen at once,
// more rows as it scrolls, so a list of a million rows opens at once. The
// model owns its reader.
class SampleFileModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int PageRows = 200;

    explicit SampleFileModel(QObject* parent = nullptr);
    ~SampleFileModel() override;

    // Reads the first page; false with errorString() when the file cannot
    // be read. The model then still shows the file it showed before.
    bool open(const QString& path, const TextFormat& format);
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
    static std::vector<QStringList> readPage(DelimitedReader& reader, bool& atEnd);

    std::unique_ptr<DelimitedReader> m_reader;
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
    QLineEdit* txtAyrac = nullptr;
    QComboBox* cmbBaslik = nullptr;
    QLineEdit* txtDosyaAdi = nullptr; // the wizard shows the chosen path
    QAbstractButton* pressed = nullptr;
    QTableView* grid = nullptr;
    QLabel* gridCaption = nullptr;
    QComboBox* cmbFGSMNo = nullptr;
    SampleFileModel* model = nullptr;
};

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
// sample and fills the field menu and the GSM-column combo. Nothing when
// the user stops or the file cannot be read (a box has said why): the
// window keeps the file it had, its path, sample and lists alike.
std::optional<SampleFile> LoadSampleFile(const SampleControls& controls, const SampleTexts& texts,
                                         const SampleFailureTexts& failure);

// A sample grid of one-line rows as tall as the text needs, so that its
// design height shows at least four of them.
void PrepareSampleGrid(QTableView* grid);
