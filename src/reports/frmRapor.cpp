#include "frmRapor.h"

#include <algorithm>
#include <exception>
#include <iterator>

#include <QCloseEvent>
#include <QHeaderView>
#include <QLoggingCategory>
#include <QMdiSubWindow>

#include "ui_frmRapor.h"

#include "DeliveryReports.h"
#include "PackageHistory.h"
#include "StateChart.h"
#include "StatusListExport.h"
#include "StatusListModel.h"
#include "core/AppState.h"
#include "core/Routines.h"
#include "core/SystemError.h"
#include "spreadsheet/ExcelExport.h"
#include "widgets/CompactTabs.h"
#include "widgets/GridModels.h"
#include "widgets/WorkingWindowHost.h"
#include "widgets/frmBekle.h"

Q_LOGGING_CATEGORY(lcRapor, "parlex.reports.window")

namespace {

constexpr int twips(int value) {
    return value / 15;
}

// The design's width, or what a ten-digit number needs in this font: a
// number cut short is no use.
int fitted(const QTableView* grid, int widthTwips) {
    const int digits = grid->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12;
    return std::max(twips(widthTwips), digits);
}

void setWidths(QTableView* grid, std::initializer_list<int> widths) {
    int column = 0;
    for (const int width : widths)
        grid->setColumnWidth(column++, fitted(grid, width));
}

// A grid of a million rows: fixed row heights, no row numbers to measure.
void prepareGrid(QTableView* grid) {
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->verticalHeader()->hide();
}

} // namespace

frmRapor::frmRapor(WorkingWindowHost& host, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
    , m_ui(std::make_unique<Ui_frmRapor>()) {
    m_ui->setupUi(this);
    setFixedSize(DesignWidth, DesignHeight);
    CompactTabs(m_ui->SSTab1);
    m_packages = new RecordsetModel(this);
    m_statusModel =
        new StatusListModel(m_list, {QStringLiteral("GsmNo"), QStringLiteral("Durum")}, this);
    m_numberModel =
        new StatusListModel(m_list, {QStringLiteral("MsgID"), QStringLiteral("Tarih")}, this);
    m_ui->DataGrid1->setModel(m_packages);
    m_ui->DataGrid2->setModel(m_statusModel);
    m_ui->DataGrid3->setModel(m_statusModel);
    m_ui->DataGrid4->setModel(m_numberModel);
    for (QTableView* grid : {m_ui->DataGrid1, m_ui->DataGrid2, m_ui->DataGrid3, m_ui->DataGrid4})
        prepareGrid(grid);

    // A report still filling the list keeps it: the tabs are held still then.
    connect(m_ui->SSTab1, &QTabWidget::currentChanged, this, [this] {
        if (!m_running)
            CreateFields1();
    });
    connect(m_ui->cmdRaporGoruntule_1, &QPushButton::clicked, this,
            &frmRapor::cmdRaporGoruntule_1_Click);
    connect(m_ui->cmdRaporGoruntule_2, &QPushButton::clicked, this,
            &frmRapor::cmdRaporGoruntule_2_Click);
    connect(m_ui->cmdRaporGoruntule_3, &QPushButton::clicked, this,
            &frmRapor::cmdRaporGoruntule_3_Click);
    connect(m_ui->cmdMsgGoster, &QPushButton::clicked, this, &frmRapor::cmdMsgGoster_Click);
    connect(m_ui->cmdMesajGoster, &QPushButton::clicked, this, &frmRapor::cmdMesajGoster_Click);
    connect(m_ui->cmdVazgec_1, &QPushButton::clicked, this,
            [this] { cmdVazgec_Click(m_ui->cmdVazgec_1, false); });
    connect(m_ui->cmdVazgec_2, &QPushButton::clicked, this,
            [this] { cmdVazgec_Click(m_ui->cmdVazgec_2, true); });
    connect(m_ui->cmdVazgec_3, &QPushButton::clicked, this,
            [this] { cmdVazgec_Click(m_ui->cmdVazgec_3, false); });
    connect(m_ui->cmdExceleGonder_1, &QPushButton::clicked, this,
            [this] { cmdExceleGonder_Click(0); });
    connect(m_ui->cmdExceleGonder_2, &QPushButton::clicked, this,
            [this] { cmdExceleGonder_Click(1); });
    connect(m_ui->cmdExceleGonder_3, &QPushButton::clicked, this,
            [this] { cmdExceleGonder_Click(2); });
    const auto boxes = checks();
    for (size_t i = 0; i < boxes.size(); ++i)
        connect(boxes[i], &QCheckBox::clicked, this, [this, i] { filterClicked(i < 4 ? 0 : 4); });
}

frmRapor::~frmRapor() {
    delete m_bekle;
}

void frmRapor::Form_Load() {
    m_host.unloadAdvertisement();
    const QDate today = QDate::currentDate();
    for (QDateEdit* picker : {m_ui->DTPicker1, m_ui->DTPicker2, m_ui->DTPicker3, m_ui->DTPicker4})
        picker->setDate(today);
    try {
        m_packages->setRecordset(PackageList());
    } catch (const std::exception& e) {
        qCWarning(lcRapor).noquote() << "package list:" << e.what();
        UserInterface().error(QStringLiteral("Parlex"), ErrorText(e));
    }
    Grid1Ayar();
    CreateFields1();
    for (QCheckBox* box : checks())
        box->setChecked(true);
    m_ui->WebBrowser1->Navigate(App().gAdPageUrl);
    App().gReportCancel = false;
    m_ui->SSTab1->setTabEnabled(2, false);
}

void frmRapor::Form_Activate() {
    m_host.unloadAdvertisement();
}

void frmRapor::Grid1Ayar() {
    QTableView* grid = m_ui->DataGrid1;
    grid->setColumnHidden(0, true);
    // The design's widths, or what the listed packages need: a value cut
    // short is no use.
    const int designed[] = {0, fitted(grid, 800), twips(1800), twips(3300), twips(1800)};
    for (int column = 1; column < m_packages->columnCount(); ++column) {
        grid->resizeColumnToContents(column);
        if (column < int(std::size(designed)))
            grid->setColumnWidth(column, std::max(grid->columnWidth(column), designed[column]));
    }
}

void frmRapor::CreateFields1() {
    m_list.clear();
    m_statusModel->reset();
    m_numberModel->reset();
    setWidths(m_ui->DataGrid2, {1100, 1050});
    setWidths(m_ui->DataGrid3, {1100, 1050});
    setWidths(m_ui->DataGrid4, {3200, 3200});
}

std::array<QCheckBox*, 8> frmRapor::checks() const {
    return {m_ui->Check1, m_ui->Check2, m_ui->Check3, m_ui->Check4,
            m_ui->Check5, m_ui->Check6, m_ui->Check7, m_ui->Check8};
}

std::array<QLineEdit*, 5> frmRapor::counterBoxes(int tab) const {
    if (tab == 0)
        return {m_ui->Text1, m_ui->Text2, m_ui->Text3, m_ui->Text4, m_ui->Text5};
    return {m_ui->Text6, m_ui->Text7, m_ui->Text8, m_ui->Text9, m_ui->Text10};
}

void frmRapor::showCounters(int tab, const ReportCounters& counters) {
    const auto boxes = counterBoxes(tab);
    boxes[0]->setText(QString::number(counters.total));
    for (size_t i = 0; i < counters.byState.size(); ++i)
        boxes[i + 1]->setText(QString::number(counters.byState[i]));
    m_counters[size_t(tab)] = counters;
    showChart(tab);
    m_statusModel->sync();
}

void frmRapor::showChart(int tab) {
    const auto boxes = checks();
    std::array<bool, StatusList::StateCount> ticked{};
    for (size_t i = 0; i < ticked.size(); ++i)
        ticked[i] = boxes[size_t(tab) * 4 + i]->isChecked();
    StateChart* chart = tab == 0 ? m_ui->chtDurum1 : m_ui->chtDurum2;
    chart->setCounts(ShownStateCounts(m_counters[size_t(tab)], ticked));
}

void frmRapor::filterClicked(int firstBox) {
    const auto boxes = checks();
    std::array<bool, StatusList::StateCount> ticked{};
    for (size_t i = 0; i < ticked.size(); ++i)
        ticked[i] = boxes[size_t(firstBox) + i]->isChecked();
    m_list.setFilter(ticked);
    m_statusModel->reset();
    showChart(firstBox / 4);
}

void frmRapor::holdFilterBoxes(int firstBox) {
    const auto boxes = checks();
    for (size_t i = 0; i < StatusList::StateCount; ++i) {
        boxes[size_t(firstBox) + i]->setEnabled(false);
        boxes[size_t(firstBox) + i]->setChecked(true);
    }
    // The ticks must be what the grid shows and exports, also when the fetch
    // fails and the old rows stay.
    filterClicked(firstBox);
}

template <typename Report> void frmRapor::runReport(Report report) {
    m_running = true;
    m_ui->SSTab1->tabBar()->setEnabled(false);
    try {
        report();
    } catch (const std::exception& e) {
        qCWarning(lcRapor).noquote() << "report:" << e.what();
        UserInterface().error(QStringLiteral("Uyarı"), ErrorText(e));
    }
    delete m_bekle;
    m_ui->SSTab1->tabBar()->setEnabled(true);
    m_running = false;
    if (m_closeWhenDone)
        closeWindow();
}

QString frmRapor::selectedPackageId() const {
    const QModelIndex current = m_ui->DataGrid1->currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    return m_packages->data(m_packages->index(row, 1)).toString();
}

void frmRapor::cmdRaporGoruntule_1_Click() {
    for (QWidget* button : {m_ui->cmdMsgGoster, m_ui->cmdRaporGoruntule_1, m_ui->cmdExceleGonder_1})
        button->setEnabled(false);
    if (m_packages->rowCount() == 0)
        return;
    const QString msgId = selectedPackageId();
    runReport([&] {
        holdFilterBoxes(0);
        showCounters(0, {});
        ReportView view;
        view.cleared = [&] {
            CreateFields1();
            m_ui->Text11->setText(msgId);
        };
        view.started = [this] {
            m_bekle = new frmBekle(window());
            m_bekle->show();
        };
        view.shown = [this](const ReportCounters& counters) {
            showCounters(0, counters);
        };
        RaporCek(msgId, m_list, view);
    });
    for (QWidget* control :
         {static_cast<QWidget*>(m_ui->Check1), static_cast<QWidget*>(m_ui->Check2),
          static_cast<QWidget*>(m_ui->Check3), static_cast<QWidget*>(m_ui->Check4),
          static_cast<QWidget*>(m_ui->cmdMsgGoster),
          static_cast<QWidget*>(m_ui->cmdRaporGoruntule_1),
          static_cast<QWidget*>(m_ui->cmdExceleGonder_1)})
        control->setEnabled(true);
}

void frmRapor::cmdRaporGoruntule_2_Click() {
    m_ui->cmdRaporGoruntule_2->setEnabled(false);
    m_ui->cmdExceleGonder_2->setEnabled(false);
    runReport([&] {
        holdFilterBoxes(4);
        showCounters(1, {});
        ReportView view;
        view.cleared = [this] {
            CreateFields1();
        };
        view.started = [this] {
            m_ui->Text12->setText(m_ui->DTPicker1->date().toString(QStringLiteral("dd.MM.yyyy")));
            m_ui->Text13->setText(m_ui->DTPicker2->date().toString(QStringLiteral("dd.MM.yyyy")));
            m_bekle = new frmBekle(window());
            m_bekle->show();
        };
        view.shown = [this](const ReportCounters& counters) {
            showCounters(1, counters);
        };
        RaporCek2(m_ui->DTPicker1->date(), m_ui->DTPicker2->date(), m_list, view);
    });
    // Every end of a report gives the boxes and buttons back, a failure too.
    for (QWidget* control :
         {static_cast<QWidget*>(m_ui->Check5), static_cast<QWidget*>(m_ui->Check6),
          static_cast<QWidget*>(m_ui->Check7), static_cast<QWidget*>(m_ui->Check8),
          static_cast<QWidget*>(m_ui->cmdRaporGoruntule_2),
          static_cast<QWidget*>(m_ui->cmdExceleGonder_2)})
        control->setEnabled(true);
}

void frmRapor::cmdRaporGoruntule_3_Click() {
    for (QWidget* button :
         {m_ui->cmdRaporGoruntule_3, m_ui->cmdMesajGoster, m_ui->cmdExceleGonder_3})
        button->setEnabled(false);
    ReportOutcome outcome;
    runReport([&] {
        ReportView view;
        view.cleared = [this] {
            CreateFields1();
        };
        view.started = [this] {
            m_bekle = new frmBekle(window());
            m_bekle->show();
        };
        view.shown = [this](const ReportCounters&) {
            m_numberModel->sync();
            setWindowTitle(
                QStringLiteral("%1/%2").arg(App().gProgressDone).arg(App().gProgressTotal));
        };
        outcome = NumberReport(m_ui->txtGsmNo->text(), m_ui->DTPicker3->date(),
                               m_ui->DTPicker4->date(), m_list, view);
    });
    for (QWidget* button : {m_ui->cmdRaporGoruntule_3, m_ui->cmdMesajGoster,
                            m_ui->cmdExceleGonder_3, m_ui->cmdVazgec_3})
        button->setEnabled(true);
    if (outcome.end == ReportOutcome::End::Refused)
        m_ui->txtGsmNo->setFocus();
}

void frmRapor::cmdMsgGoster_Click() {
    if (m_list.isEmpty()) {
        UserInterface().information(QStringLiteral("Uyarı"),
                                    QStringLiteral("Önce Rapor Çekmelisiniz"));
        return;
    }
    const QModelIndex current = m_ui->DataGrid2->currentIndex();
    const qsizetype row = current.isValid() ? current.row() : 0;
    MesajGoster(m_list.gsmNo(row).toString(), m_ui->Text11->text(), false);
}

void frmRapor::cmdMesajGoster_Click() {
    const QString gsmNo = m_ui->txtGsmNo->text();
    if (!IsReportGsmNo(gsmNo)) {
        UserInterface().information(QStringLiteral("Uyarı"),
                                    QStringLiteral("GSMNo Alanını Kontrol Ediniz"));
        m_ui->txtGsmNo->setFocus();
        return;
    }
    if (m_list.isEmpty()) {
        UserInterface().information(QStringLiteral("Uyarı"),
                                    QStringLiteral("Önce Rapor Çekmelisiniz"));
        return;
    }
    const QModelIndex current = m_ui->DataGrid4->currentIndex();
    const qsizetype row = current.isValid() ? current.row() : 0;
    MesajGoster(gsmNo, m_list.gsmNo(row).toString(), true);
}

void frmRapor::cmdVazgec_Click(QPushButton* button, bool readyText) {
    if (button->text() == QStringLiteral("Vazgeç")) {
        App().gReportCancel = true;
        button->setText(QStringLiteral("Kapat"));
        return;
    }
    if (readyText)
        SetStatusText(QStringLiteral("Hazır"));
    closeWindow();
}

void frmRapor::cmdExceleGonder_Click(int tab) {
    UiServices& ui = UserInterface();
    if (m_list.totalCount() == 0) {
        ui.information(QStringLiteral("Uyarı"), QStringLiteral("Önce Rapor Çekmelisiniz"));
        return;
    }
    // The GSM-number tab's rows have no state: no box of its own to ask.
    const auto boxes = checks();
    if (tab < 2 && std::none_of(boxes.begin() + tab * 4, boxes.begin() + tab * 4 + 4,
                                [](QCheckBox* box) { return box->isChecked(); })) {
        ui.information(QStringLiteral("Parlex"),
                       QStringLiteral("Lütfen Excel dosyası olarak kaydetmek istediğiniz durum "
                                      "bilgilerini seçin"));
        return;
    }
    if (!ui.askQuestion(QStringLiteral("Uyarı"),
                        QStringLiteral("Mesaj Raporlarını Excele Kopyalamak İstediğinizden "
                                       "Eminmisiniz")))
        return;
    const QString fileName = GetExcelFileToSave();
    if (fileName.isEmpty())
        return;
    if (m_list.isEmpty()) {
        ui.information(QStringLiteral("Uyarı"), QStringLiteral("Aktarılacak Hiç Kayıt Yok"));
        return;
    }
    App().gReportCancel = false;
    bool written = false;
    // The rows shown must not change while they are written.
    m_ui->SSTab1->setEnabled(false);
    runReport([&] {
        m_bekle = new frmBekle(window());
        m_bekle->show();
        StatusListExport source(m_list);
        written = ExportToExcel(source, fileName, StatusListExport::columnNames());
    });
    m_ui->SSTab1->setEnabled(true);
    // After a failure the report stays on screen for another try.
    if (written && !m_closeWhenDone)
        closeWindow();
}

void frmRapor::closeWindow() {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

void frmRapor::closeEvent(QCloseEvent* event) {
    // The running report's loop still uses the list: it stops at its next
    // line and the window closes then.
    if (m_running) {
        App().gReportCancel = true;
        m_closeWhenDone = true;
        event->ignore();
        return;
    }
    delete m_bekle;
    m_host.loadAdvertisement();
    event->accept();
    emit finished();
}
