#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include <QStringView>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Sets of mobile numbers for a package of a million rows: a number in the
// form NormalizeGsm gives (ten digits beginning with 5) is held as its value
// less 5,000,000,000, which fits 30 bits, so no set keeps a string.

// The key of ten digits beginning with 5, as text of either width; none
// for anything else. Every row of a checked package comes here: the digits
// are checked all at once, not one branch each.
template <typename Char>
std::optional<std::uint32_t> KeyOfDigits(const Char* digits, qsizetype size) {
    if (size != 10 || digits[0] != Char('5'))
        return std::nullopt;
#if defined(__SSE2__)
    if constexpr (sizeof(Char) == 2) {
        // Digits 2 to 9 side by side: checked by two compares, then joined
        // in pairs and fours by multiplying.
        const __m128i eight = _mm_sub_epi16(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(digits + 1)), _mm_set1_epi16('0'));
        const __m128i wrong = _mm_or_si128(_mm_cmpgt_epi16(eight, _mm_set1_epi16(9)),
                                           _mm_cmplt_epi16(eight, _mm_setzero_si128()));
        const auto last = static_cast<std::uint32_t>(digits[9]) - '0';
        if (_mm_movemask_epi8(wrong) != 0 || last > 9)
            return std::nullopt;
        const __m128i pairs = _mm_madd_epi16(eight, _mm_set1_epi32((1 << 16) | 10));
        const __m128i fours =
            _mm_madd_epi16(_mm_packs_epi32(pairs, pairs), _mm_set1_epi32((1 << 16) | 100));
        const auto high = static_cast<std::uint32_t>(_mm_cvtsi128_si32(fours));
        const auto low = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(fours, 4)));
        return (high * 10000 + low) * 10 + last;
    }
#endif
    std::uint32_t key = 0;
    std::uint32_t notDigit = 0;
    for (int i = 1; i < 10; ++i) {
        const auto d = static_cast<std::uint32_t>(digits[i]) - '0';
        notDigit |= std::uint32_t(d > 9);
        key = key * 10 + d;
    }
    if (notDigit)
        return std::nullopt;
    return key;
}

// The key of a normalised number; none for anything else ("" included).
inline std::optional<std::uint32_t> NumberKey(QStringView normalized) {
    return KeyOfDigits(normalized.utf16(), normalized.size());
}

// A set of keys in one open-addressing table, at most half full, so 8 to
// 16 bytes a key. The table is cut into buckets of eight keys, half a cache
// line: a key lives in its own bucket or, when that one is full, in the
// next that has room. A look-up compares a whole bucket at once, without a
// branch for each place, and mostly reads one line of memory, which
// prefetch() can ask for while the row's other work goes on: a package of
// a million rows against a list of a million numbers would otherwise wait
// on memory, and on mispredicted branches, at every row.
class KeySet {
public:
    // Room for `count` keys before the table grows.
    void reserve(std::size_t count);
    // True when the key was not in the set before.
    bool insert(std::uint32_t key) {
        if ((m_count + 1) * 2 > m_size)
            rehash(m_bits == 0 ? MinBits : m_bits + 1);
        for (std::size_t b = bucketOf(key);; b = (b + 1) & m_bucketMask) {
            std::uint32_t* bucket = &m_slots[b * BucketSlots];
            const Match found = match(bucket, key);
            if (found.key)
                return false;
            if (found.empty) {
                bucket[__builtin_ctz(found.empty)] = key;
                ++m_count;
                return true;
            }
        }
    }
    bool contains(std::uint32_t key) const {
        if (m_count == 0)
            return false;
        for (std::size_t b = bucketOf(key);; b = (b + 1) & m_bucketMask) {
            const Match found = match(&m_slots[b * BucketSlots], key);
            if (found.key)
                return true;
            if (found.empty)
                return false;
        }
    }
    // A hint that the key is looked up soon.
    void prefetch(std::uint32_t key) const {
        if (m_slots)
            __builtin_prefetch(&m_slots[bucketOf(key) * BucketSlots]);
    }
    std::size_t size() const { return m_count; }
    std::size_t bytesHeld() const { return m_size * sizeof(std::uint32_t); }

private:
    static constexpr int BucketBits = 3;
    static constexpr int BucketSlots = 1 << BucketBits; // 32 bytes, within a cache line
    static constexpr int MinBits = 10;
    static constexpr std::uint32_t Empty = 0xFFFFFFFFu; // no key is that large

    std::size_t bucketOf(std::uint32_t key) const {
        // Fibonacci hashing spreads numbers that share their leading digits.
        return (key * 0x9E3779B1u) >> (32 - m_bits + BucketBits);
    }
    // Bit i of `key` set when place i holds the key, of `empty` when it
    // holds none.
    struct Match {
        std::uint32_t key;
        std::uint32_t empty;
    };
    static Match match(const std::uint32_t* bucket, std::uint32_t key) {
        Match m{0, 0};
#if defined(__SSE2__)
        // Compares of four places each instead of a branch a place.
        const __m128i wanted = _mm_set1_epi32(static_cast<int>(key));
        const __m128i none = _mm_set1_epi32(-1);
        for (int i = 0; i < BucketSlots; i += 4) {
            const __m128i places = _mm_load_si128(reinterpret_cast<const __m128i*>(bucket + i));
            m.key |=
                std::uint32_t(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(places, wanted))))
                << i;
            m.empty |=
                std::uint32_t(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(places, none))))
                << i;
        }
#else
        for (int i = 0; i < BucketSlots; ++i) {
            m.key |= std::uint32_t(bucket[i] == key) << i;
            m.empty |= std::uint32_t(bucket[i] == Empty) << i;
        }
#endif
        return m;
    }
    void rehash(int bits);

    struct Release {
        void operator()(std::uint32_t* table) const { std::free(table); }
    };
    using Slots = std::unique_ptr<std::uint32_t[], Release>;
    static Slots allocate(std::size_t size);

    Slots m_slots;
    std::size_t m_size = 0;
    std::size_t m_bucketMask = 0;
    std::size_t m_count = 0;
    int m_bits = 0;
};

// The opt-out list as a sender checks it.
class OptOutSet {
public:
    OptOutSet() = default;
    // Any order, repeats allowed.
    explicit OptOutSet(const std::vector<std::uint32_t>& keys);

    bool contains(QStringView normalized) const;
    bool containsKey(std::uint32_t key) const { return m_keys.contains(key); }
    void prefetch(std::uint32_t key) const { m_keys.prefetch(key); }
    std::size_t size() const { return m_keys.size(); }
    // Memory the set holds.
    std::size_t bytesHeld() const { return m_keys.bytesHeld(); }

private:
    KeySet m_keys;
};

// The opt-out list of the program folder's database (tbl_ret) as it stands
// now. Read whole the first time and again only once the table may have
// changed (Database::tableVersion), so a package of a few rows does not pay
// for a list of a million. A stored text that is not a normalised number
// is skipped (nothing stores one). Raises DatabaseError as any statement
// does.
std::shared_ptr<const OptOutSet> LoadOptOutSet();

// The numbers already met in a package, for "one message per number".
using SeenNumbers = KeySet;
