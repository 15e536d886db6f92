#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <QStringView>

// Sets of mobile numbers for a package of a million rows: a number in the
// form NormalizeGsm gives (ten digits beginning with 5) is held as its value
// less 5,000,000,000, which fits 30 bits, so no set keeps a string.

// The key of a normalised number; none for anything else ("" included).
std::optional<std::uint32_t> NumberKey(QStringView normalized);

// The opt-out list as a sender checks it: the keys sorted, and where each
// range of keys starts among them, so a look-up reads two places and a
// handful of neighbours. About 8 bytes a number.
class OptOutSet {
public:
    OptOutSet() = default;
    // Any order, repeats allowed.
    explicit OptOutSet(std::vector<std::uint32_t> keys);

    bool contains(QStringView normalized) const;
    bool containsKey(std::uint32_t key) const;
    std::size_t size() const { return m_keys.size(); }
    // Memory the set holds.
    std::size_t bytesHeld() const;

private:
    std::vector<std::uint32_t> m_keys;
    // m_starts[r]: the first key of range r (key >> m_shift) and after.
    std::vector<std::uint32_t> m_starts;
    int m_shift = 30;
};

// The opt-out list of the program folder's database (tbl_ret) as it stands
// now. Read whole the first time and again only once the table may have
// changed (Database::tableVersion), so a package of a few rows does not pay
// for a list of a million. A stored text that is not a normalised number
// is skipped (nothing stores one). Raises DatabaseError as any statement
// does.
std::shared_ptr<const OptOutSet> LoadOptOutSet();

// The numbers already met in a package, for "one message per number": an
// open-addressing table of keys, at most half full, so 8 to 16 bytes a
// number.
class SeenNumbers {
public:
    // True when the number had not been met before.
    bool insert(std::uint32_t key);
    std::size_t size() const { return m_count; }
    std::size_t bytesHeld() const { return m_slots.capacity() * sizeof(std::uint32_t); }

private:
    void grow();

    static constexpr std::uint32_t Empty = 0xFFFFFFFFu; // no key is that large
    std::vector<std::uint32_t> m_slots;
    std::size_t m_count = 0;
    int m_bits = 0;
};
