#include "frmPop.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace {

frmPop* g_pop = nullptr;

} // namespace

frmPop& frmPop::instance() {
    if (!g_pop)
        g_pop = new frmPop;
    return *g_pop;
}

bool frmPop::isLoaded() {
    return g_pop != nullptr;
}

void frmPop::unload() {
    delete g_pop;
    g_pop = nullptr;
}

frmPop::frmPop()
    : m_menu(new QMenu(this)) {
    setObjectName(QStringLiteral("frmPop"));
    setWindowTitle(QStringLiteral("popup"));
    m_menu->setObjectName(QStringLiteral("mnuGizli"));
    setColumns({});
}

void frmPop::setColumns(const QStringList& columns) {
    for (QAction* item : m_items)
        delete item;
    m_items.clear();
    const qsizetype count = qMax<qsizetype>(columns.size(), 1);
    for (int i = 0; i < count; ++i) {
        const QString name = i < columns.size() ? columns.at(i) : QString();
        // A column may hold "&", which a menu would take for an access key.
        auto* item = m_menu->addAction(QString(name).replace(u'&', QStringLiteral("&&")));
        item->setData(name);
        item->setObjectName(QStringLiteral("AltmnuAry_%1").arg(i));
        connect(item, &QAction::triggered, this, [this, i] { AltmnuAry_Click(i); });
        m_items << item;
    }
}

QStringList frmPop::columns() const {
    QStringList names;
    for (QAction* item : m_items)
        if (!item->data().toString().isEmpty())
            names << item->data().toString();
    return names;
}

QPlainTextEdit* frmPop::target() const {
    return m_target;
}

void frmPop::popup(QWidget* owner, QPlainTextEdit* target, const QPoint& where) {
    m_owner = owner;
    m_target = target;
    m_menu->popup(where);
}

void frmPop::AltmnuAry_Click(int index) {
    if (!m_target || index < 0 || index >= m_items.size())
        return;
    const QString caption = m_items.at(index)->data().toString();
    if (caption.isEmpty())
        return;
    const QString text = m_target->toPlainText();
    const int caret = m_target->textCursor().position();
    m_target->setPlainText(text.left(caret) + QStringLiteral("[##") + caption +
                           QStringLiteral("##]") + text.mid(caret));
    m_target->moveCursor(QTextCursor::End);
    m_target->setFocus();
}
