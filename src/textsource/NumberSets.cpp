#include "NumberSets.h"

#include <algorithm>
#include <bit>

#include "core/AppState.h"
#include "core/DbRoutines.h"

namespace {

constexpr std::uint32_t Lowest = 5; // every key's number starts with this digit
constexpr int KeyBits = 30;         // keys are below 10^9 < 2^30

template <typename Char> std::optional<std::uint32_t> keyOf(const Char* digits, qsizetype size) {
    if (size != 10 || digits[0] != Char('0' + Lowest))
        return std::nullopt;
    std::uint32_t key = 0;
    for (qsizetype i = 1; i < size; ++i) {
        const auto d = static_cast<std::uint32_t>(digits[i]) - '0';
        if (d > 9)
            return std::nullopt;
        key = key * 10 + d;
    }
    return key;
}

} // namespace

std::optional<std::uint32_t> NumberKey(QStringView normalized) {
    return keyOf(normalized.utf16(), normalized.size());
}

OptOutSet::OptOutSet(std::vector<std::uint32_t> keys)
    : m_keys(std::move(keys)) {
    if (!std::is_sorted(m_keys.begin(), m_keys.end()))
        std::sort(m_keys.begin(), m_keys.end());
    m_keys.erase(std::unique(m_keys.begin(), m_keys.end()), m_keys.end());
    m_keys.shrink_to_fit();
    // About one key a range: the look-up then rarely compares more than one.
    const int rangeBits = std::min(
        KeyBits, static_cast<int>(std::bit_width(std::max<std::size_t>(m_keys.size(), 1))));
    m_shift = KeyBits - rangeBits;
    m_starts.assign((std::size_t(1) << rangeBits) + 1, 0);
    std::size_t at = 0;
    for (std::size_t r = 0; r + 1 < m_starts.size(); ++r) {
        while (at < m_keys.size() && (m_keys[at] >> m_shift) < r)
            ++at;
        m_starts[r] = static_cast<std::uint32_t>(at);
    }
    m_starts.back() = static_cast<std::uint32_t>(m_keys.size());
}

bool OptOutSet::contains(QStringView normalized) const {
    const std::optional<std::uint32_t> key = NumberKey(normalized);
    return key && containsKey(*key);
}

bool OptOutSet::containsKey(std::uint32_t key) const {
    if (m_keys.empty() || key >> KeyBits)
        return false;
    const std::uint32_t range = key >> m_shift;
    const auto first = m_keys.begin() + m_starts[range];
    const auto last = m_keys.begin() + m_starts[range + 1];
    return std::binary_search(first, last, key);
}

std::size_t OptOutSet::bytesHeld() const {
    return (m_keys.capacity() + m_starts.capacity()) * sizeof(std::uint32_t);
}

std::shared_ptr<const OptOutSet> LoadOptOutSet() {
    // The date triggers keep DELETE from emptying the table without a
    // word to the connection's row count.
    static Database::TableVersion readAt;
    static std::shared_ptr<const OptOutSet> kept;
    OpenDatabase();
    Database& db = App().gConnection;
    const Database::TableVersion now = db.tableVersion("tbl_ret");
    if (kept && now == readAt)
        return kept;
    kept.reset(); // a million numbers are not held twice
    std::vector<std::uint32_t> keys;
    // In the key's order, read from the table's own index: nothing to sort.
    db.forEachText(QStringLiteral("SELECT numara FROM tbl_ret ORDER BY numara"),
                   [&keys](const char* text, int size) {
                       if (const auto key = keyOf(text, size))
                           keys.push_back(*key);
                   });
    kept = std::make_shared<const OptOutSet>(std::move(keys));
    readAt = now;
    return kept;
}

bool SeenNumbers::insert(std::uint32_t key) {
    if ((m_count + 1) * 2 > m_slots.size())
        grow();
    const std::size_t mask = m_slots.size() - 1;
    // Fibonacci hashing spreads numbers that share their leading digits.
    std::size_t at = (key * 0x9E3779B1u) >> (32 - m_bits);
    while (m_slots[at] != Empty) {
        if (m_slots[at] == key)
            return false;
        at = (at + 1) & mask;
    }
    m_slots[at] = key;
    ++m_count;
    return true;
}

void SeenNumbers::grow() {
    std::vector<std::uint32_t> old = std::move(m_slots);
    m_bits = m_bits == 0 ? 10 : m_bits + 1;
    m_slots.assign(std::size_t(1) << m_bits, Empty);
    m_count = 0;
    for (const std::uint32_t key : old) {
        if (key != Empty)
            insert(key);
    }
}
