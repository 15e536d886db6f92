#include "frmBaslangic.h"

#include <QScreen>

#include "ui_frmBaslangic.h"

#include "widgets/Artwork.h"

frmBaslangic::frmBaslangic(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_ui(std::make_unique<Ui_frmBaslangic>()) {
    m_ui->setupUi(this);
    setWindowIcon(Artwork::applicationIcon());
    m_ui->imgLogo->setPixmap(Artwork::applicationIcon().pixmap(64));
    QFont title = m_ui->lblBaslik->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.3);
    m_ui->lblBaslik->setFont(title);
    m_ui->fraCerceve->setStyleSheet(
        QStringLiteral("#fraCerceve { color: %1; }").arg(Artwork::BannerBlue.name()));
}

frmBaslangic::~frmBaslangic() = default;

void frmBaslangic::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // No frame and no window manager's placement: the middle of the screen.
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}
