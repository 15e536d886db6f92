#pragma once

#include <QLabel>
#include <QString>

// A one-line label for texts of any length (status messages with long
// paths): what does not fit ends in "…", and the whole text is the tool
// tip. It asks for no more room than its minimum width.
class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);

    void setFullText(const QString& text);
    QString fullText() const { return m_full; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();

    QString m_full;
};
