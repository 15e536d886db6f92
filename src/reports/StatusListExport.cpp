#include "StatusListExport.h"

#include <array>

namespace {

// The four state texts in UTF-8, made once: a million rows need no
// conversion of their state.
const std::array<QByteArray, StatusList::StateCount>& stateTexts() {
    static const std::array<QByteArray, StatusList::StateCount> texts = [] {
        std::array<QByteArray, StatusList::StateCount> made;
        for (int i = 0; i < StatusList::StateCount; ++i)
            made[size_t(i)] = StatusList::stateText(StatusList::State(i)).toUtf8();
        return made;
    }();
    return texts;
}

} // namespace

void StatusListExport::writeRow(qint64 row, ExportRowSink& sink) {
    sink.text(0, m_list.gsmNo(row));
    const StatusList::State state = m_list.state(row);
    if (state < StatusList::StateCount)
        sink.utf8(1, stateTexts()[state].constData());
    else
        sink.text(1, m_list.durum(row));
}

QStringList StatusListExport::columnNames() {
    return {QStringLiteral("GsmNo"), QStringLiteral("Durum")};
}
