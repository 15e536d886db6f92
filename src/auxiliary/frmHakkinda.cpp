#include "frmHakkinda.h"

#include "ui_frmHakkinda.h"

#include "core/AppState.h"
#include "core/GatewayMode.h"
#include "widgets/Artwork.h"
#include "widgets/XpButton.h"

frmHakkinda::frmHakkinda(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui_frmHakkinda>()) {
    m_ui->setupUi(this);
    setFixedSize(size());
    m_ui->Image1->setPixmap(Artwork::bannerPicture(64));
    connect(m_ui->XpButton1, &XpButton::Click, this, &QDialog::accept);
    Form_Load();
}

frmHakkinda::~frmHakkinda() = default;

void frmHakkinda::Form_Load() {
    const AppState& app = App();
    m_ui->lblKullanici->setText(app.gUserName);
    const bool main = app.gGatewayMode == GatewayMode::Main;
    m_ui->lblBayi->setText(main ? app.gClientCode : QString());
    m_ui->lblBayi->setVisible(main);
    m_ui->lblBayiKodu->setVisible(main);
}
