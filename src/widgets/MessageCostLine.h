#pragma once

#include <QPointer>
#include <QString>
#include <QStringView>
#include <QWidget>

class ElidedLabel;
class QPlainTextEdit;
class QToolButton;

// The line under a message box: the alphabet the template goes out in and
// the characters that make it dearer, with "Değiştir", which puts their
// cheaper equivalents into the box in one step the user can undo. It
// follows the box as the user types and measures the template as typed,
// cleaned as a message is for sending, a placeholder counting as its
// column's name (its markers never go out).
class MessageCostLine : public QWidget {
    Q_OBJECT

public:
    explicit MessageCostLine(QWidget* parent = nullptr);

    // Follows `box` from now on.
    void follow(QPlainTextEdit* box);

    // What the line says of a template.
    static QString describe(QStringView templateText);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void useCheaperCharacters();

    ElidedLabel* m_text;
    QToolButton* m_cheaper;
    QPointer<QPlainTextEdit> m_box;
    QPointer<QObject> m_watched; // the same box, for the filter
};
