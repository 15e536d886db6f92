#include "WebPane.h"

#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

#include "core/AppState.h"

WebPane::WebPane(QWidget* parent)
    : QWidget(parent)
    , m_link(new QLabel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_link);
    m_link->setObjectName(QStringLiteral("lblAddress"));
    m_link->setAlignment(Qt::AlignCenter);
    m_link->setWordWrap(true);
    m_link->setTextFormat(Qt::RichText);
    m_link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    m_link->setOpenExternalLinks(false);
    connect(m_link, &QLabel::linkActivated, this, &WebPane::openAddress);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void WebPane::Navigate(const QString& address) {
    m_address = address;
    const QUrl url(address);
    if (address.isEmpty() || !url.isValid()) {
        m_link->clear();
        return;
    }
    // The address is shown, never interpreted as markup.
    m_link->setText(QStringLiteral("<a href=\"#\">%1</a>").arg(address.toHtmlEscaped()));
    m_link->setToolTip(address);
}

void WebPane::openAddress() {
    if (!m_address.isEmpty())
        UserInterface().openWithDesktop(m_address);
}
