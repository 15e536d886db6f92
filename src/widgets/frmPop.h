#pragma once

#include <QList>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QAction;
class QMenu;
class QPlainTextEdit;

// The field menu both message windows share: a hidden window whose menu
// lists the columns of the sample loaded last; choosing one inserts its
// placeholder into the message box of the window that opened the menu.
class frmPop : public QWidget {
    Q_OBJECT

public:
    // Made on first use; unload() ends it (and its references).
    static frmPop& instance();
    static bool isLoaded();
    static void unload();

    // One item per column; item 0 is there always.
    void setColumns(const QStringList& columns);
    QStringList columns() const;

    // "Alan ekle": remembers the window and its message box, then shows the
    // menu at `where`.
    void popup(QWidget* owner, QPlainTextEdit* target, const QPoint& where);
    QWidget* owner() const { return m_owner; }
    QPlainTextEdit* target() const;
    QMenu* mnuGizli() const { return m_menu; }

    // The item's placeholder into the target at its caret; the caret goes
    // to the end of the text.
    void AltmnuAry_Click(int index);

private:
    frmPop();

    QMenu* m_menu;
    QList<QAction*> m_items; // AltmnuAry
    QPointer<QWidget> m_owner;
    QPointer<QPlainTextEdit> m_target;
};
