#include "SmsBasket.h"

#include "HttpTransport.h"
#include "ReplyText.h"
#include "core/Recordset.h"

namespace {

constexpr size_t BlockSize = size_t(1) << 20;

constexpr std::string_view MessageOpen = "<Message><Mesgbody>";
constexpr std::string_view NumberOpen = "</Mesgbody><Number>";
constexpr std::string_view MessageClose = "</Number></Message>";

void checkSize(const QString& value, const char* field, int size) {
    if (value.size() > size) {
        throw RecordsetError(QStringLiteral("Value of %1 characters is too long for field %2 (%3)")
                                 .arg(value.size())
                                 .arg(QLatin1String(field))
                                 .arg(size));
    }
}

} // namespace

void SmsBasket::append(const QString& message, const QString& gsm) {
    checkSize(message, "MSG", MsgSize);
    checkSize(gsm, "GSM", GsmSize);

    // At most five bytes per character ("&amp;"), so a row always fits a
    // block that has this much room left.
    const size_t worst = MessageOpen.size() + NumberOpen.size() + MessageClose.size() +
                         5 * static_cast<size_t>(message.size() + gsm.size());
    if (m_blocks.empty() || m_blocks.back().capacity() - m_blocks.back().size() < worst) {
        m_blocks.emplace_back();
        m_blocks.back().reserve(BlockSize);
    }
    std::string& block = m_blocks.back();
    const size_t before = block.size();
    block += MessageOpen;
    AppendEscapedUtf8(block, message);
    block += NumberOpen;
    AppendEscapedUtf8(block, gsm);
    block += MessageClose;
    m_bytes += static_cast<qint64>(block.size() - before);
    ++m_count;
}

void SmsBasket::clear() {
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_count = 0;
    m_bytes = 0;
}

void SmsBasket::appendTo(RequestBody& body) const {
    for (const std::string& block : m_blocks)
        body.appendView(block);
}
