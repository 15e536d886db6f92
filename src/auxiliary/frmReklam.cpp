#include "frmReklam.h"

#include <cmath>
#include <exception>

#include <QLoggingCategory>

#include "ui_frmReklam.h"

#include "AuxiliaryAddresses.h"
#include "core/AppState.h"

Q_LOGGING_CATEGORY(lcReklam, "parlex.advertisement")

namespace {

// 8865 and 1100 twips; 4480 twips from the middle to the left edge.
constexpr int PaneWidth = 591;
constexpr int BandFromBottom = 73;
constexpr int HalfPane = 299;

} // namespace

frmReklam::frmReklam(QWidget* parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui_frmReklam>()) {
    m_ui->setupUi(this);
    try {
        m_webClient = WebClientAddress();
    } catch (const std::exception& e) {
        // An unreadable host leaves the pane empty; the program goes on.
        qCWarning(lcReklam).noquote()
            << "web client address unreadable:" << QString::fromUtf8(e.what());
    }
    m_ui->WebBrowser1->Navigate(App().gAdPageUrl);
    m_ui->WebBrowser2->Navigate(m_webClient);
}

frmReklam::~frmReklam() = default;

void frmReklam::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // A window smaller than the panes keeps them on screen from the top-left.
    const int left = qMax(0, int(std::lround(width() / 2.0)) - HalfPane);
    const int band = qMax(m_ui->WebBrowser2->y(), height() - BandFromBottom);
    m_ui->WebBrowser1->setGeometry(left, band, PaneWidth, m_ui->WebBrowser1->height());
    m_ui->WebBrowser2->setGeometry(left, m_ui->WebBrowser2->y(), PaneWidth,
                                   qMax(0, height() - BandFromBottom - m_ui->WebBrowser2->y()));
}
