#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

// What identifies one data file: where it is, how big, when last written and
// what it holds. A file replaced under the same name is another file.
struct FileIdentity {
    QString path;
    qint64 size = -1;
    QString modified; // ISO with milliseconds
    QString hash;     // SHA-256, hex

    // Empty with `error` set when the file cannot be read.
    static std::optional<FileIdentity> of(const QString& path, QString* error = nullptr);
    bool sameFileAs(const FileIdentity& other) const;
};

// The record of files whose package left for the gateway. An entry is made
// before the request goes out ("in flight"), marked accepted once the
// gateway has taken the package, and removed when the outcome no longer
// matters: the gateway refused, or the file was moved on.
namespace SentFileJournal {

enum class State { InFlight, Accepted };

struct Entry {
    qint64 id = 0;
    qint32 rule = 0;
    State state = State::InFlight;
    QString msgid;
    FileIdentity identity;
    QString when;          // when the request left, regional text
    bool reported = false; // its unknown outcome has been told the user
};

// The rule of `parlex-cli send`'s entries: no rule has this id.
inline constexpr qint32 FileSendRule = 0;

std::optional<Entry> find(const QString& path);
// The newest entry, of any sender, of a file with this size and content
// whose outcome never became known: in flight, never accepted nor refused.
// Where the file was does not matter: the same list copied elsewhere or
// renamed is the same package to its recipients.
std::optional<Entry> findUnknown(const FileIdentity& identity);
// Notes that the user has been told of the entry's unknown outcome.
void noteReported(qint64 id);
// Forgets `send`'s entries of unknown outcome for this content but `keep`:
// the user has checked them and sent the file again.
void forgetEarlierSends(const FileIdentity& identity, qint64 keep);
qint64 recordInFlight(qint32 rule, const FileIdentity& identity);
void recordAccepted(qint64 id, const QString& msgid);
void forget(qint64 id);

// The statements of the last two, for a record that must reach the database
// later (PendingRecords).
QString acceptedStatement(qint64 id, const QString& msgid);
QString forgetStatement(qint64 id);

} // namespace SentFileJournal
