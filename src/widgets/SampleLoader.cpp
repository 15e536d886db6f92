#include "SampleLoader.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>

#include "core/AppState.h"
#include "core/UiServices.h"
#include "frmPop.h"
#include "spreadsheet/TableFile.h"
#include "spreadsheet/WorkbookReader.h"

SampleFileModel::SampleFileModel(QObject* parent)
    : QAbstractTableModel(parent) {}

SampleFileModel::~SampleFileModel() = default;

bool SampleFileModel::open(const QString& path, const TextFormat& format, int sheet) {
    // Read before anything is replaced: a file that cannot be read leaves
    // the sample shown before, which the window's lists still belong to.
    auto reader = std::make_unique<TableFile>();
    if (!reader->open(path, format, sheet)) {
        m_error = reader->errorString();
        return false;
    }
    bool atEnd = false;
    std::vector<QStringList> page = readPage(*reader, atEnd);
    if (reader->hasError()) {
        m_error = reader->errorString();
        return false;
    }
    beginResetModel();
    m_error.clear();
    m_columns = reader->columnNames();
    m_reader = std::move(reader);
    m_rows = std::move(page);
    m_atEnd = atEnd;
    endResetModel();
    return true;
}

void SampleFileModel::close() {
    beginResetModel();
    m_reader.reset();
    m_rows.clear();
    m_columns.clear();
    m_atEnd = true;
    m_error.clear();
    endResetModel();
}

std::vector<QStringList> SampleFileModel::readPage(TableFile& reader, bool& atEnd) {
    std::vector<QStringList> page;
    const bool asWritten = reader.isWorkbook(); // the cell as the sheet shows it
    while (static_cast<int>(page.size()) < PageRows && reader.next()) {
        const TextRecord& record = reader.record();
        QStringList row;
        for (int i = 0; i < record.size(); ++i) {
            QString cell;
            if (asWritten)
                record.appendWrittenText(i, cell);
            else if (!record.isNull(i))
                cell = record.text(i);
            row << cell;
        }
        page.push_back(std::move(row));
    }
    atEnd = static_cast<int>(page.size()) < PageRows;
    return page;
}

int SampleFileModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int SampleFileModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant SampleFileModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const QStringList& row = m_rows[static_cast<size_t>(index.row())];
    return index.column() < row.size() ? row.at(index.column()) : QString();
}

QVariant SampleFileModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section < m_columns.size() ? m_columns.at(section) : QVariant();
    return section + 1;
}

bool SampleFileModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !m_atEnd && !m_fetching;
}

void SampleFileModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    std::vector<QStringList> page = readPage(*m_reader, m_atEnd);
    if (page.empty())
        return;
    const int first = rowCount();
    m_fetching = true;
    beginInsertRows({}, first, first + static_cast<int>(page.size()) - 1);
    for (QStringList& row : page)
        m_rows.push_back(std::move(row));
    endInsertRows();
    m_fetching = false;
}

namespace {

void showSample(const SampleControls& c, const QString& path) {
    c.grid->setModel(c.model);
    c.grid->setWordWrap(false);
    c.grid->resizeColumnsToContents(); // of the first page only
    c.gridCaption->setText(QStringLiteral("Örnek dosya : ") + path);

    const QStringList columns = c.model->columnNames();
    frmPop::instance().setColumns(columns);
    c.cmbFGSMNo->clear();
    c.cmbFGSMNo->addItems(columns);
    c.cmbFGSMNo->setCurrentIndex(0);
}

void showFailure(const SampleFailureTexts& failure, const QString& reason) {
    QString text = failure.text;
    if (failure.withSystemError)
        text += QStringLiteral("\r\nSistemin ürettiği hata mesajı : ") + reason;
    UserInterface().error(failure.title, text);
}

void enableSeparator(const SampleControls& c, bool on) {
    for (QWidget* w : {static_cast<QWidget*>(c.optSekme), static_cast<QWidget*>(c.optOzel),
                       static_cast<QWidget*>(c.txtAyrac)}) {
        if (w)
            w->setEnabled(on);
    }
}

} // namespace

std::optional<SampleFile> LoadSampleFile(const SampleControls& c, const SampleTexts& texts,
                                         const SampleFailureTexts& failure) {
    const SampleChoice choice{c.optSekme->isChecked(), c.txtAyrac->text(),
                              c.cmbBaslik->currentText()};
    const auto askSeparator = [&] {
        UserInterface().information(QStringLiteral("Parlex"), texts.noSeparator);
        enableSeparator(c, true);
        c.txtAyrac->setFocus();
    };
    switch (CheckSampleChoice(choice, c.separatorBeforeFile)) {
    case SampleProblem::NoSeparator:
        askSeparator();
        return std::nullopt;
    case SampleProblem::NoHeader:
        UserInterface().information(QStringLiteral("Parlex"), texts.noHeader);
        c.cmbBaslik->setFocus();
        return std::nullopt;
    case SampleProblem::None:
        break;
    }

    // The box names the file whose sample and lists the window holds: a load
    // that comes to nothing gives it back its path.
    const QString shownPath = c.txtDosyaAdi ? c.txtDosyaAdi->text() : QString();
    const auto keepShownPath = [&] {
        if (c.txtDosyaAdi)
            c.txtDosyaAdi->setText(shownPath);
    };
    const QString path = GetTextFileToOpen();
    if (c.txtDosyaAdi)
        c.txtDosyaAdi->setText(path);
    if (path.isEmpty()) {
        UserInterface().information(QStringLiteral("Parlex"), NoFileChosenText);
        keepShownPath();
        c.pressed->setFocus();
        return std::nullopt;
    }

    const bool workbook = IsWorkbookName(path);
    if (!workbook && CheckSampleChoice(choice) == SampleProblem::NoSeparator) {
        askSeparator();
        keepShownPath();
        return std::nullopt;
    }
    QStringList sheets;
    if (workbook) {
        QString error;
        sheets = WorkbookReader::SheetNames(path, &error);
        if (sheets.isEmpty()) {
            showFailure(failure, error);
            keepShownPath();
            return std::nullopt;
        }
    }
    const SampleFile sample = DescribeSampleFile(path, choice);
    if (!c.model->open(path, sample.format)) {
        showFailure(failure, c.model->errorString());
        keepShownPath();
        return std::nullopt;
    }
    showSample(c, path);
    enableSeparator(c, !workbook);
    if (c.cmbSayfa) {
        const QSignalBlocker quiet(c.cmbSayfa);
        c.cmbSayfa->clear();
        c.cmbSayfa->addItems(sheets);
        c.cmbSayfa->setCurrentIndex(0);
        c.cmbSayfa->setVisible(workbook);
        c.lblSayfa->setVisible(workbook);
    }
    return sample;
}

bool ReloadSampleFile(const SampleControls& c, const SampleFile& sample,
                      const SampleFailureTexts& failure) {
    if (!c.model->open(sample.path, sample.format, sample.sheet)) {
        showFailure(failure, c.model->errorString());
        return false;
    }
    showSample(c, sample.path);
    return true;
}

void PrepareSampleGrid(QTableView* grid) {
    // Rows of one line each: the grid need not measure them.
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
}
