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
#include "textsource/DelimitedReader.h"

SampleFileModel::SampleFileModel(QObject* parent)
    : QAbstractTableModel(parent) {}

SampleFileModel::~SampleFileModel() = default;

bool SampleFileModel::open(const QString& path, const TextFormat& format) {
    // Read before anything is replaced: a file that cannot be read leaves
    // the sample shown before, which the window's lists still belong to.
    auto reader = std::make_unique<DelimitedReader>();
    if (!reader->openWithFormat(path, format)) {
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

std::vector<QStringList> SampleFileModel::readPage(DelimitedReader& reader, bool& atEnd) {
    std::vector<QStringList> page;
    while (static_cast<int>(page.size()) < PageRows && reader.next()) {
        const TextRecord& record = reader.record();
        QStringList row;
        for (int i = 0; i < record.size(); ++i)
            row << (record.isNull(i) ? QString() : record.text(i));
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

std::optional<SampleFile> LoadSampleFile(const SampleControls& c, const SampleTexts& texts,
                                         const SampleFailureTexts& failure) {
    const SampleChoice choice{c.optSekme->isChecked(), c.txtAyrac->text(),
                              c.cmbBaslik->currentText()};
    switch (CheckSampleChoice(choice)) {
    case SampleProblem::NoSeparator:
        UserInterface().information(QStringLiteral("Parlex"), texts.noSeparator);
        c.txtAyrac->setFocus();
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

    const SampleFile sample = DescribeSampleFile(path, choice);
    if (!c.model->open(path, sample.format)) {
        QString text = failure.text;
        if (failure.withSystemError)
            text += QStringLiteral("\r\nSistemin ürettiği hata mesajı : ") + c.model->errorString();
        UserInterface().error(failure.title, text);
        keepShownPath();
        return std::nullopt;
    }
    c.grid->setModel(c.model);
    c.grid->setWordWrap(false);
    c.grid->resizeColumnsToContents(); // of the first page only
    c.gridCaption->setText(QStringLiteral("Örnek dosya : ") + path);

    const QStringList columns = c.model->columnNames();
    frmPop::instance().setColumns(columns);
    c.cmbFGSMNo->clear();
    c.cmbFGSMNo->addItems(columns);
    c.cmbFGSMNo->setCurrentIndex(0);
    return sample;
}

void PrepareSampleGrid(QTableView* grid) {
    // Rows of one line each: the grid need not measure them.
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
}
