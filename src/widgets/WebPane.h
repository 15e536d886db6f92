#pragma once

#include <QString>
#include <QWidget>

class QLabel;

// Stands in for a web-browser pane: shows the address it was sent to and
// opens it in the desktop's browser on a click.
class WebPane : public QWidget {
    Q_OBJECT

public:
    explicit WebPane(QWidget* parent = nullptr);

    void Navigate(const QString& address);
    QString LocationURL() const { return m_address; }

private:
    void openAddress();

    QLabel* m_link;
    QString m_address;
};
