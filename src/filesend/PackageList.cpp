#include "PackageList.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int NumberBits = 8;
constexpr int MessageBits = 16;

} // namespace

PackageList::PackageList() = default;
PackageList::~PackageList() = default;
PackageList::PackageList(PackageList&&) noexcept = default;
PackageList& PackageList::operator=(PackageList&&) noexcept = default;

void PackageList::append(QStringView number, QStringView message, int parts) {
    number = number.left(MaxNumberLength);
    message = message.left(MaxMessageLength);
    const qsizetype length = number.size() + message.size();
    if (m_blockUsed + length > BlockChars) {
        m_blocks.push_back(std::make_unique<char16_t[]>(BlockChars));
        m_blockUsed = 0;
    }
    char16_t* at = m_blocks.back().get() + m_blockUsed;
    std::memcpy(at, number.utf16(), number.size() * sizeof(char16_t));
    std::memcpy(at + number.size(), message.utf16(), message.size() * sizeof(char16_t));
    const auto start = static_cast<std::uint64_t>(m_blocks.size() - 1) * BlockChars + m_blockUsed;
    m_blockUsed += length;
    m_entries.push_back(start << (NumberBits + MessageBits) |
                        static_cast<std::uint64_t>(number.size()) << MessageBits |
                        static_cast<std::uint64_t>(message.size()));
    m_removed.push_back(false);
    m_parts.push_back(static_cast<std::uint16_t>(std::clamp(parts, 0, 0xFFFF)));
    m_sms += m_parts.back();
    ++m_left;
    // The new node covers itself and the nodes just below it.
    const auto i = static_cast<std::size_t>(m_entries.size());
    std::int32_t covered = 1;
    for (std::size_t step = 1; step < (i & (~i + 1)); step *= 2)
        covered += m_tree[i - step];
    m_tree.push_back(covered);
}

void PackageList::clear() {
    *this = PackageList();
}

QStringView PackageList::textOf(qint64 index, bool numberPart) const {
    const std::uint64_t entry = m_entries[static_cast<std::size_t>(index)];
    const std::uint64_t start = entry >> (NumberBits + MessageBits);
    const auto numberLength =
        static_cast<qsizetype>(entry >> MessageBits & ((1u << NumberBits) - 1));
    const auto messageLength = static_cast<qsizetype>(entry & ((1u << MessageBits) - 1));
    const char16_t* text =
        m_blocks[static_cast<std::size_t>(start / BlockChars)].get() + start % BlockChars;
    return numberPart ? QStringView(text, numberLength)
                      : QStringView(text + numberLength, messageLength);
}

bool PackageList::isRemoved(qint64 index) const {
    return m_removed[static_cast<std::size_t>(index)];
}

// The tree holds, at i (from 1), the entries left in (i - lowbit(i), i].
qint64 PackageList::indexOf(qint64 place) const {
    if (place < 0 || place >= m_left)
        return -1;
    if (m_left == added())
        return place; // nothing taken off yet
    // The entry with `place` entries left before it.
    std::size_t at = 0;
    qint64 rest = place + 1;
    std::size_t step = 1;
    while (step * 2 <= m_tree.size() - 1)
        step *= 2;
    for (; step > 0; step /= 2) {
        if (at + step < m_tree.size() && m_tree[at + step] < rest) {
            at += step;
            rest -= m_tree[at];
        }
    }
    return static_cast<qint64>(at); // 0-based index of the entry
}

QString PackageList::number(qint64 place) const {
    const qint64 index = indexOf(place);
    return index < 0 ? QString() : textOf(index, true).toString();
}

QString PackageList::message(qint64 place) const {
    const qint64 index = indexOf(place);
    return index < 0 ? QString() : textOf(index, false).toString();
}

int PackageList::parts(qint64 place) const {
    const qint64 index = indexOf(place);
    return index < 0 ? 0 : m_parts[static_cast<std::size_t>(index)];
}

bool PackageList::removeAt(qint64 place) {
    const qint64 index = indexOf(place);
    if (index < 0)
        return false;
    m_removed[static_cast<std::size_t>(index)] = true;
    m_sms -= m_parts[static_cast<std::size_t>(index)];
    for (auto i = static_cast<std::size_t>(index) + 1; i < m_tree.size(); i += i & (~i + 1))
        --m_tree[i];
    --m_left;
    return true;
}

qint64 PackageList::bytesHeld() const {
    return static_cast<qint64>(m_blocks.size()) * BlockChars * sizeof(char16_t) +
           added() * static_cast<qint64>(sizeof(std::uint64_t)) +
           static_cast<qint64>(m_tree.size() * sizeof(std::int32_t)) + added() / 8 +
           added() * static_cast<qint64>(sizeof(std::uint16_t));
}
