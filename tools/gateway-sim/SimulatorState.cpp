#include "SimulatorState.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

std::vector<std::string> split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        parts.emplace_back(text.substr(start, at == text.npos ? text.npos : at - start));
        if (at == text.npos)
            return parts;
        start = at + 1;
    }
}

QString q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

std::optional<SimAccount> SimAccount::parse(std::string_view option, std::string* error) {
    auto bad = [&](const char* why) -> std::optional<SimAccount> {
        if (error)
            *error = std::string(why) + ": " + std::string(option);
        return std::nullopt;
    };
    const size_t first = option.find(':');
    const size_t last = option.rfind(':');
    if (first == option.npos || last == first)
        return bad("an account needs USER:PASSWORD:CREDIT:ORIGINATORS");
    const size_t credit = option.rfind(':', last - 1);
    if (credit == option.npos || credit <= first)
        return bad("an account needs USER:PASSWORD:CREDIT:ORIGINATORS");
    SimAccount account;
    account.user = std::string(option.substr(0, first));
    account.password = std::string(option.substr(first + 1, credit - first - 1));
    const std::string creditText(option.substr(credit + 1, last - credit - 1));
    if (account.user.empty())
        return bad("empty user name");
    bool ok = false;
    account.credit = QString::fromStdString(creditText).toLongLong(&ok);
    if (!ok)
        return bad("the credit is not a whole number");
    for (std::string& name : split(option.substr(last + 1), ',')) {
        if (!name.empty())
            account.originators.push_back(std::move(name));
    }
    return account;
}

void SimulatorState::addAccount(SimAccount account) {
    const auto saved = m_savedCredits.find(account.user);
    if (saved != m_savedCredits.end())
        account.credit = saved->second;
    const std::string user = account.user;
    m_accounts[user] = std::move(account);
}

SimAccount* SimulatorState::account(std::string_view user) {
    const auto it = m_accounts.find(user);
    return it == m_accounts.end() ? nullptr : &it->second;
}

const SimAccount* SimulatorState::account(std::string_view user) const {
    const auto it = m_accounts.find(user);
    return it == m_accounts.end() ? nullptr : &it->second;
}

bool SimulatorState::authenticate(std::string_view user, std::string_view password) const {
    const SimAccount* found = account(user);
    return found && found->password == password;
}

const SimPackage& SimulatorState::addPackage(SimPackage package) {
    package.id = std::to_string(m_nextId++);
    m_messageCount += static_cast<qint64>(package.messages.size());
    m_packageIndex[package.id] = m_packages.size();
    m_packages.push_back(std::move(package));
    return m_packages.back();
}

void SimMessageList::reserve(size_t count, size_t bytes) {
    m_entries.reserve(count);
    m_bytes.reserve(bytes);
}

void SimMessageList::add(std::string_view number, std::string_view text) {
    Entry entry;
    entry.at = m_bytes.size();
    entry.numberLength = static_cast<uint32_t>(number.size());
    entry.textLength = static_cast<uint32_t>(text.size());
    m_bytes += number;
    m_bytes += text;
    m_entries.push_back(entry);
}

SimMessageView SimMessageList::at(size_t index) const {
    const Entry& entry = m_entries[index];
    const std::string_view bytes(m_bytes);
    return SimMessageView{bytes.substr(entry.at, entry.numberLength),
                          bytes.substr(entry.at + entry.numberLength, entry.textLength)};
}

std::vector<SimMessage> SimMessageList::toVector() const {
    std::vector<SimMessage> out;
    out.reserve(size());
    for (const SimMessageView m : *this)
        out.push_back(SimMessage{std::string(m.number), std::string(m.text)});
    return out;
}

const SimPackage* SimulatorState::package(std::string_view id) const {
    const auto it = m_packageIndex.find(id);
    return it == m_packageIndex.end() ? nullptr : &m_packages[it->second];
}

char SimulatorState::stateOf(const SimPackage& package, std::string_view number,
                             const QDateTime& now) const {
    if (!m_final) {
        if (now < package.deliverAt)
            return '0';
        if (package.deliverAt.secsTo(now) < m_settleSeconds)
            return '1';
    }
    const char last = number.empty() ? '0' : number.back();
    switch (last) {
    case '7':
        return '5';
    case '8':
        return '2';
    case '9':
        return '4';
    default:
        return '3';
    }
}

bool SimulatorState::save(const QString& path, QString* error) const {
    QJsonObject credits;
    for (const auto& [user, account] : m_accounts)
        credits.insert(q(user), QString::number(account.credit));
    for (const auto& [user, credit] : m_savedCredits) {
        if (!m_accounts.count(user))
            credits.insert(q(user), QString::number(credit));
    }
    QJsonArray packages;
    for (const SimPackage& p : m_packages) {
        QJsonArray messages;
        for (const SimMessageView m : p.messages)
            messages.append(QJsonArray{q(m.number), q(m.text)});
        packages.append(QJsonObject{
            {QStringLiteral("id"), q(p.id)},
            {QStringLiteral("user"), q(p.user)},
            {QStringLiteral("originator"), q(p.originator)},
            {QStringLiteral("sendDate"), q(p.sendDate)},
            {QStringLiteral("submitted"), p.submitted.toString(Qt::ISODate)},
            {QStringLiteral("deliverAt"), p.deliverAt.toString(Qt::ISODate)},
            {QStringLiteral("messages"), messages},
        });
    }
    const QJsonObject root{
        {QStringLiteral("nextId"), QString::number(m_nextId)},
        {QStringLiteral("credits"), credits},
        {QStringLiteral("packages"), packages},
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.write(QJsonDocument(root).toJson(QJsonDocument::Compact));
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool SimulatorState::load(const QString& path, QString* error) {
    QFile file(path);
    if (!file.exists())
        return true; // a first start: nothing kept yet
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!doc.isObject()) {
        if (error)
            *error = QStringLiteral("not a simulator state file: ") + parseError.errorString();
        return false;
    }
    const QJsonObject root = doc.object();
    m_nextId = std::max(m_nextId, root.value(QStringLiteral("nextId")).toString().toLongLong());
    const QJsonObject credits = root.value(QStringLiteral("credits")).toObject();
    for (auto it = credits.begin(); it != credits.end(); ++it) {
        const std::string user = it.key().toStdString();
        const qint64 credit = it.value().toString().toLongLong();
        m_savedCredits[user] = credit;
        if (SimAccount* known = account(user))
            known->credit = credit;
    }
    m_packages.clear();
    m_packageIndex.clear();
    m_messageCount = 0;
    for (const QJsonValue& value : root.value(QStringLiteral("packages")).toArray()) {
        const QJsonObject o = value.toObject();
        SimPackage p;
        p.id = o.value(QStringLiteral("id")).toString().toStdString();
        p.user = o.value(QStringLiteral("user")).toString().toStdString();
        p.originator = o.value(QStringLiteral("originator")).toString().toStdString();
        p.sendDate = o.value(QStringLiteral("sendDate")).toString().toStdString();
        p.submitted =
            QDateTime::fromString(o.value(QStringLiteral("submitted")).toString(), Qt::ISODate);
        p.deliverAt =
            QDateTime::fromString(o.value(QStringLiteral("deliverAt")).toString(), Qt::ISODate);
        for (const QJsonValue& m : o.value(QStringLiteral("messages")).toArray()) {
            const QJsonArray pair = m.toArray();
            p.messages.add(pair.at(0).toString().toStdString(),
                           pair.at(1).toString().toStdString());
        }
        m_messageCount += static_cast<qint64>(p.messages.size());
        m_packageIndex[p.id] = m_packages.size();
        m_packages.push_back(std::move(p));
    }
    return true;
}
