#include "SmsBasket.h"

#include "HttpTransport.h"
#include "ReplyText.h"
#include "core/Recordset.h"
#include "core/Routines.h"

namespace {

constexpr size_t BlockSize = size_t(1) << 20;

constexpr std::string_view MessageOpen = "<Message><Mesgbody>";
constexpr std::string_view NumberOpen = "</Mesgbody><Number>";
constexpr std::string_view MessageClose = "</Number></Message>";

void checkSize(QStringView value, const char* field, int size) {
    if (value.size() > size) {
        throw RecordsetError(QStringLiteral("Value of %1 characters is too long for field %2 (%3)")
                                 .arg(value.size())
                                 .arg(QLatin1String(field))
                                 .arg(size));
    }
}

} // namespace

std::string& SmsBasket::blockFor(qsizetype characters) {
    // At most five bytes per character ("&amp;"), so a row always fits a
    // block that has this much room left.
    const size_t worst = MessageOpen.size() + NumberOpen.size() + MessageClose.size() +
                         5 * static_cast<size_t>(characters);
    if (m_blocks.empty() || m_blocks.back().capacity() - m_blocks.back().size() < worst) {
        m_blocks.emplace_back();
        m_blocks.back().reserve(BlockSize);
    }
    return m_blocks.back();
}

void SmsBasket::append(const QString& message, const QString& gsm) {
    checkSize(message, "MSG", MsgSize);
    appendRow(message, gsm, &AppendEscapedUtf8);
}

void SmsBasket::appendCleaned(QStringView message, QStringView gsm) {
    if (message.size() > MsgSize) {
        // Cleaning only drops or replaces: only a text this long may still
        // not fit once cleaned, and the field check decides.
        append(CleanMessageText(message.toString()), gsm.toString());
        return;
    }
    appendRow(message, gsm, &AppendCleanedUtf8);
}

void SmsBasket::appendRow(QStringView message, QStringView gsm,
                          void (*encodeMessage)(std::string&, QStringView)) {
    checkSize(gsm, "GSM", GsmSize);
    std::string& block = blockFor(message.size() + gsm.size());
    const size_t before = block.size();
    block += MessageOpen;
    encodeMessage(block, message);
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
