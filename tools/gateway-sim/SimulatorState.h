#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QDateTime>
#include <QString>

// One account of the simulated gateway.
struct SimAccount {
    std::string user; // the gateway user name as sent: user-clientcode, or the user alone
    std::string password;
    qint64 credit = 0;
    std::vector<std::string> originators;

    // USER:PASSWORD:CREDIT:ORIGINATOR[,ORIGINATOR...]. The password may hold
    // ":" itself: the user ends at the first colon, credit and originators
    // are the last two fields.
    static std::optional<SimAccount> parse(std::string_view option, std::string* error = nullptr);
};

struct SimMessage {
    std::string number;
    std::string text;
};

// One stored message, pointing into its list.
struct SimMessageView {
    std::string_view number;
    std::string_view text;
};

// The messages of one package, back to back in one buffer: a package of a
// million messages is a few allocations rather than two million.
class SimMessageList {
public:
    class Iterator {
    public:
        Iterator(const SimMessageList* list, size_t index)
            : m_list(list)
            , m_index(index) {}
        SimMessageView operator*() const { return m_list->at(m_index); }
        Iterator& operator++() {
            ++m_index;
            return *this;
        }
        bool operator==(const Iterator& other) const { return m_index == other.m_index; }

    private:
        const SimMessageList* m_list;
        size_t m_index;
    };

    // Room for `count` messages of `bytes` bytes in all.
    void reserve(size_t count, size_t bytes);
    void add(std::string_view number, std::string_view text);
    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    SimMessageView at(size_t index) const;
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, m_entries.size()); }
    std::vector<SimMessage> toVector() const;

private:
    struct Entry {
        size_t at = 0; // the number, then the text
        uint32_t numberLength = 0;
        uint32_t textLength = 0;
    };
    std::string m_bytes;
    std::vector<Entry> m_entries;
};

struct SimPackage {
    std::string id;
    std::string user;
    std::string originator;
    std::string sendDate; // as sent: empty, or ddMMyyyyHHmm
    QDateTime submitted;
    QDateTime deliverAt; // the chosen delivery time, or the submission time
    SimMessageList messages;
};

// Accounts, credit and accepted packages, and the rule by which messages
// change state. Not thread-safe: its owner serialises the calls.
class SimulatorState {
public:
    // Replaces an account of the same user. A credit read from a state file
    // earlier wins over the one given here.
    void addAccount(SimAccount account);
    SimAccount* account(std::string_view user);
    const SimAccount* account(std::string_view user) const;
    bool authenticate(std::string_view user, std::string_view password) const;

    // Gives the package the next identifier and keeps it.
    const SimPackage& addPackage(SimPackage package);
    const std::deque<SimPackage>& packages() const { return m_packages; }
    const SimPackage* package(std::string_view id) const;
    qint64 messageCount() const { return m_messageCount; }

    // How long a message waits before its final state; 0 makes every state
    // final at once.
    void setSettleSeconds(int seconds) { m_settleSeconds = seconds; }
    int settleSeconds() const { return m_settleSeconds; }
    void setFinalStates(bool final) { m_final = final; }
    bool finalStates() const { return m_final; }

    // The state digit the reports read: '0' before the delivery time, '1'
    // while settling, then by the number's last digit: 0-6 '3' delivered,
    // 7 '5' timed out, 8 '2' and 9 '4' rejected.
    char stateOf(const SimPackage& package, std::string_view number, const QDateTime& now) const;

    bool save(const QString& path, QString* error) const;
    bool load(const QString& path, QString* error);

private:
    std::map<std::string, SimAccount, std::less<>> m_accounts;
    std::map<std::string, qint64, std::less<>> m_savedCredits;
    std::deque<SimPackage> m_packages;
    std::map<std::string, size_t, std::less<>> m_packageIndex;
    qint64 m_nextId = 1000001;
    qint64 m_messageCount = 0;
    int m_settleSeconds = 30;
    bool m_final = false;
};
