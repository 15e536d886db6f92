#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include <QString>
#include <QStringView>

// The package list of the send wizard: one entry per message, the
// normalised number, the cleaned message and the SMS it is billed as. A list of a million entries
// is held as compactly as its text allows: the characters live in blocks that never move, each
// entry costs one offset, and an entry taken off the list is only marked, so removing one never
// copies the list. Entries are reached by their place among those left (0 first), in the order they
// were added.
class PackageList {
public:
    PackageList();
    ~PackageList();
    PackageList(PackageList&&) noexcept;
    PackageList& operator=(PackageList&&) noexcept;

    // The message is CleanMessageText of the filled one, `parts` its SMS.
    // Longer texts than the limits below are cut (the builder never gives
    // any).
    void append(QStringView number, QStringView message, int parts);
    void clear();

    // Entries left.
    qint64 size() const { return m_left; }
    bool isEmpty() const { return m_left == 0; }
    // Entries ever added, removed ones included.
    qint64 added() const { return static_cast<qint64>(m_entries.size()); }
    // SMS of the entries left: what the package is billed as.
    qint64 sms() const { return m_sms; }

    // The longest number and message an entry holds; the basket takes less.
    static constexpr qsizetype MaxNumberLength = 255;
    static constexpr qsizetype MaxMessageLength = 65535;

    QString number(qint64 place) const;
    QString message(qint64 place) const;
    // The entry's SMS; 0 when there is no entry at `place`.
    int parts(qint64 place) const;
    // Takes the entry at `place` off the list; false when there is none.
    bool removeAt(qint64 place);

    // Calls f(number, message) for every entry left, in order.
    template <typename F> void forEach(F f) const {
        for (qint64 i = 0; i < added(); ++i)
            if (!isRemoved(i))
                f(textOf(i, true), textOf(i, false));
    }

    // Bytes the list holds, for the benchmark's memory figure.
    qint64 bytesHeld() const;

private:
    bool isRemoved(qint64 index) const;
    QStringView textOf(qint64 index, bool numberPart) const;
    qint64 indexOf(qint64 place) const;

    static constexpr qsizetype BlockChars = 1 << 20;
    std::vector<std::unique_ptr<char16_t[]>> m_blocks;
    qsizetype m_blockUsed = BlockChars; // the last block is full: start one
    // Per entry: where its text starts among all blocks' characters (40
    // bits), the number's length (8) and the message's (16). A deque grows
    // without moving what it holds.
    std::deque<std::uint64_t> m_entries;
    qint64 m_left = 0;
    // Entries left per range, a binary indexed tree over the entries (from
    // 1; 0 unused), kept as entries come and go, so neither a removal nor a
    // look-up ever walks the list.
    std::deque<std::int32_t> m_tree{0};
    std::vector<bool> m_removed;
    std::deque<std::uint16_t> m_parts;
    qint64 m_sms = 0;
};
