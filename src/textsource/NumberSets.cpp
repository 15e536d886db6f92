#include "NumberSets.h"

#include <algorithm>
#include <new>

#include <sys/mman.h>

#include "core/AppState.h"
#include "core/DbRoutines.h"

OptOutSet::OptOutSet(const std::vector<std::uint32_t>& keys) {
    m_keys.reserve(keys.size());
    for (const std::uint32_t key : keys)
        m_keys.insert(key);
}

bool OptOutSet::contains(QStringView normalized) const {
    const std::optional<std::uint32_t> key = NumberKey(normalized);
    return key && containsKey(*key);
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
    // The numbers alone, from the table's own index.
    db.forEachText(QStringLiteral("SELECT numara FROM tbl_ret ORDER BY numara"),
                   [&keys](const char* text, int size) {
                       if (const auto key = KeyOfDigits(text, size))
                           keys.push_back(*key);
                   });
    kept = std::make_shared<const OptOutSet>(std::move(keys));
    readAt = now;
    return kept;
}

void KeySet::reserve(std::size_t count) {
    int bits = std::max(m_bits, MinBits);
    while ((std::size_t(1) << bits) < 2 * count)
        ++bits;
    if (bits != m_bits)
        rehash(bits);
}

KeySet::Slots KeySet::allocate(std::size_t size) {
    // Buckets on cache lines, and a table of megabytes in large pages: a
    // look-up then seldom waits for the processor to find the page as well
    // as the memory.
    constexpr std::size_t LargePage = std::size_t(2) << 20;
    const std::size_t bytes = size * sizeof(std::uint32_t);
    const bool large = bytes >= LargePage;
    auto* table = static_cast<std::uint32_t*>(std::aligned_alloc(large ? LargePage : 64, bytes));
    if (!table)
        throw std::bad_alloc();
    if (large)
        madvise(table, bytes, MADV_HUGEPAGE);
    std::fill_n(table, size, Empty);
    return Slots(table);
}

void KeySet::rehash(int bits) {
    const Slots old = std::move(m_slots);
    const std::size_t oldSize = m_size;
    m_bits = bits;
    m_size = std::size_t(1) << m_bits;
    m_bucketMask = m_size / BucketSlots - 1;
    m_slots = allocate(m_size);
    // The keys differ and fit: each goes to the first free place of its
    // buckets, with no look for itself and no count.
    for (std::size_t i = 0; i < oldSize; ++i) {
        if (old[i] == Empty)
            continue;
        for (std::size_t b = bucketOf(old[i]);; b = (b + 1) & m_bucketMask) {
            std::uint32_t* bucket = &m_slots[b * BucketSlots];
            if (const std::uint32_t free = match(bucket, old[i]).empty) {
                bucket[__builtin_ctz(free)] = old[i];
                break;
            }
        }
    }
}
