#pragma once

#include <QString>
#include <QStringView>

#include "MessageTemplate.h"
#include "NumberSets.h"

// What the user said of a package beyond its file: a commercial package
// (ticari ileti) is checked against the opt-out list and carries the
// refusal line; with one message per number a number's later rows are not
// sent. Off by default, so rules and files send as they always have.
struct PackagePolicy {
    bool commercial = false;
    bool oneMessagePerNumber = false;
};

// The refusal line of the settings ("Ret metni"), blanks around it dropped;
// "" when none is set. Read at each package, so a change reaches a watcher
// without a restart; an unreadable setting counts as none.
QString ReadRefusalText();

// What every message of a package ends with, after a blank: the refusal
// line for a commercial package whose template does not already hold it,
// otherwise "". A blank, not a line break: line breaks are taken out of a
// message before it is sent and the line would stick to the text.
QString RefusalEnding(const PackagePolicy& policy, QStringView templateText,
                      const QString& refusalText);

// A commercial package that tells nobody how to refuse: no refusal line is
// set. The window asks before sending; the unattended senders say
// NoRefusalLineText.
bool LacksRefusalLine(const PackagePolicy& policy, const QString& refusalText);
// Why a commercial package was not made, after the file's name and before
// the reason.
inline const QString OptOutUnreadableText =
    QStringLiteral(" dosyasından ticari ileti paketi oluşturulamadı: ret listesi okunamadı: ");

// What the senders log after a file's name when its package left rows out
// by its policy; "" when it left none.
QString ScreenedRowsText(qint64 optedOut, qint64 repeated);

inline const QString NoRefusalLineText =
    QStringLiteral("Ticari ileti paketinde ret metni yok: alıcılara ret yolu bildirilmiyor. Ret "
                   "metnini SMS > Hesap ayarları penceresinin Genel sekmesinde \"Ret metni\" "
                   "alanına yazabilirsiniz.");

// A package's checks after each row's own, in this order: a number on the
// opt-out list of a commercial package (h04), then a number queued before
// in a package with one message per number (h05). Only a row that is sent
// counts as met: a number whose first row was too long still gets the next.
class NumberScreen {
public:
    // Lets every row through.
    NumberScreen() = default;
    NumberScreen(const PackagePolicy& policy, std::shared_ptr<const OptOutSet> optOut);
    // With the program folder's opt-out list for a commercial package.
    // Raises DatabaseError when the list cannot be read: a commercial
    // package is never sent unchecked.
    static NumberScreen forPolicy(const PackagePolicy& policy);

    // A package of about `rows` rows: the numbers met get room for them at
    // once rather than by growing through the file.
    void expectRows(qint64 rows);
    // Whether it checks anything at all.
    bool screens() const { return m_policy.commercial || m_policy.oneMessagePerNumber; }
    // The outcome of a row the row test queued, for its normalised number.
    RowOutcome screen(QStringView number);
    // The same in two steps for a row test: prefetch() as soon as the
    // number is known, screenKey() with what it gave once the row is
    // queued. The look-ups miss the processor's caches; their memory is
    // then read while the row's message is made.
    std::optional<std::uint32_t> prefetch(QStringView number) const {
        if (!screens())
            return std::nullopt;
        const std::optional<std::uint32_t> key = NumberKey(number);
        if (!key)
            return key;
        if (m_policy.commercial && m_optOut)
            m_optOut->prefetch(*key);
        if (m_policy.oneMessagePerNumber)
            m_seen.prefetch(*key);
        return key;
    }
    RowOutcome screenKey(std::optional<std::uint32_t> key) {
        if (!key)
            return RowOutcome::Queued;
        if (m_policy.commercial && m_optOut && m_optOut->containsKey(*key))
            return RowOutcome::OptedOut;
        if (m_policy.oneMessagePerNumber && !m_seen.insert(*key))
            return RowOutcome::Repeated;
        return RowOutcome::Queued;
    }
    // The same on a prepared row: a row no longer queued loses its message.
    void apply(PreparedRow& row);

private:
    PackagePolicy m_policy;
    std::shared_ptr<const OptOutSet> m_optOut;
    SeenNumbers m_seen;
};
