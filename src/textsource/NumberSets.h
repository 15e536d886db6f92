#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include <QStringView>

// Sets of mobile numbers for a package of a million rows: a number in the
// form NormalizeGsm gives (ten digits beginning with 5) is held as its value
// less 5,000,000,000, which fits 30 bits, so no set keeps a string.

// The key of a normalised number; none for anything else ("" included).
std::optional<std::uint32_t> NumberKey(QStringView normalized);

// A set of keys in one open-addressing table, at most half full, so 8 to
// 16 bytes a key: a look-up reads one place, which prefetch() can ask for
// while the row's other work goes on. A package of a million rows against
// a list of a million numbers would otherwise wait on memory at every row.
class KeySet {
public:
    // Room for `count` keys before the table grows.
    void reserve(std::size_t count);
    // True when the key was not in the set before.
    bool insert(std::uint32_t key);
    bool contains(std::uint32_t key) const;
    // A hint that the key is looked up soon.
    void prefetch(std::uint32_t key) const;
    std::size_t size() const { return m_count; }
    std::size_t bytesHeld() const { return m_size * sizeof(std::uint32_t); }

private:
    std::size_t slotOf(std::uint32_t key) const {
        // Fibonacci hashing spreads numbers that share their leading digits.
        return (key * 0x9E3779B1u) >> (32 - m_bits);
    }
    void rehash(int bits);

    struct Release {
        void operator()(std::uint32_t* table) const { std::free(table); }
    };
    using Slots = std::unique_ptr<std::uint32_t[], Release>;
    static Slots allocate(std::size_t size);

    static constexpr std::uint32_t Empty = 0xFFFFFFFFu; // no key is that large
    Slots m_slots;
    std::size_t m_size = 0;
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
