#include "RequestHandler.h"

#include <map>

#include <QDate>

#include "XmlScanner.h"

struct RequestHandler::Request {
    std::string root;
    std::map<std::string, std::string, std::less<>> fields;
    SimMessageList messages;

    std::string field(std::string_view name) const {
        const auto it = fields.find(name);
        return it == fields.end() ? std::string() : it->second;
    }
};

namespace {

SimReply text(std::string body) {
    SimReply reply;
    reply.body = std::move(body);
    return reply;
}

std::string trimmed(std::string_view s) {
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n';
    };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

constexpr size_t EmptyRowSize =
    std::string_view("<Message><Mesgbody></Mesgbody><Number></Number></Message>").size();

// Flat documents: the root, its children with their text, and the
// Messages/Message/{Mesgbody,Number} rows of a package.
bool parseRequest(std::string_view body, std::string& root,
                  std::map<std::string, std::string, std::less<>>& fields,
                  SimMessageList& messages) {
    XmlScanner xml(body);
    // Names point into the body, which outlives the parse.
    std::string_view child;
    std::string_view sub;
    // One row's values, gathered here first: text may come in pieces.
    std::string text;
    std::string number;
    // Never more rows than empty row elements would fit in the body, nor more
    // bytes than the body: the list is never moved while it fills.
    messages.reserve(body.size() / EmptyRowSize, body.size());
    bool inMessage = false;
    for (;;) {
        switch (xml.next()) {
        case XmlScanner::Token::StartElement:
            if (xml.depth() == 1) {
                root = std::string(xml.name());
            } else if (xml.depth() == 2) {
                child = xml.name();
                if (child != "Messages")
                    fields[std::string(child)];
            } else if (xml.depth() == 3 && child == "Messages" && xml.name() == "Message") {
                text.clear();
                number.clear();
                inMessage = true;
                // The usual rows, read without a token per tag and text.
                while (xml.flatElement()) {
                    if (xml.name() == "Mesgbody")
                        text += xml.text();
                    else if (xml.name() == "Number")
                        number += xml.text();
                }
            } else if (xml.depth() == 4) {
                sub = xml.name();
            }
            break;
        case XmlScanner::Token::Text:
            if (xml.depth() == 2 && child != "Messages") {
                fields[std::string(child)] += xml.text();
            } else if (xml.depth() == 4 && inMessage) {
                if (sub == "Mesgbody")
                    text += xml.text();
                else if (sub == "Number")
                    number += xml.text();
            }
            break;
        case XmlScanner::Token::EndElement:
            if (xml.depth() == 2 && inMessage && xml.name() == "Message") {
                messages.add(number, text);
                inMessage = false;
            }
            break;
        case XmlScanner::Token::End:
            return true;
        case XmlScanner::Token::Error:
            return false;
        }
    }
}

size_t utf8Length(std::string_view s) {
    size_t n = 0;
    for (const char c : s) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++n;
    }
    return n;
}

bool isMobileNumber(std::string_view number) {
    if (number.size() != 10 || number[0] != '5')
        return false;
    for (const char c : number) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

std::optional<QDate> reportDate(const std::string& text) {
    const QDate date =
        QDate::fromString(QString::fromStdString(text), QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

// "<package> <number> <state>" and a line feed.
void appendStatusLine(std::string& reply, std::string_view package, std::string_view number,
                      char state) {
    reply += package;
    reply += ' ';
    reply += number;
    reply += ' ';
    reply += state;
    reply += '\n';
}

std::string escapeXml(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (const char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

RequestHandler::RequestHandler(SimulatorState& state, std::function<QDateTime()> clock)
    : m_state(state)
    , m_clock(std::move(clock)) {}

int RequestHandler::peekAction(std::string_view body) {
    const size_t open = body.find("<Action>");
    if (open == body.npos)
        return 0;
    const size_t start = open + 8;
    const size_t close = body.find('<', start);
    if (close == body.npos || close - start > 6)
        return 0;
    const std::string value = trimmed(body.substr(start, close - start));
    int action = 0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return 0;
        action = action * 10 + (c - '0');
    }
    return action;
}

SimReply RequestHandler::handle(std::string_view body) {
    Request request;
    if (!parseRequest(body, request.root, request.fields, request.messages))
        return text("02");
    if (!m_state.authenticate(request.field("UserName"), request.field("PassWord")))
        return text("01");

    const std::string action = trimmed(request.field("Action"));
    if (request.root == "MainmsgBody") {
        if (action == "1")
            return sendPackage(request);
        return text("02");
    }
    if (request.root != "MainReportRoot")
        return text("02");
    if (action == "12")
        return text(m_clock().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString());
    if (action == "4")
        return info(request);
    if (action == "11")
        return statusLines(request, false);
    if (action == "9")
        return statusLines(request, true);
    if (action == "17")
        return statusToDate(request);
    if (action == "14")
        return packagesToNumber(request);
    if (action == "15")
        return messageBodies(request);
    return text("02");
}

SimReply RequestHandler::info(const Request& request) const {
    const SimAccount* account = m_state.account(request.field("UserName"));
    std::string reply = std::to_string(account->credit) + '\n';
    for (const std::string& originator : account->originators)
        reply += originator + '\n';
    return text(std::move(reply));
}

SimReply RequestHandler::sendPackage(Request& request) {
    SimAccount* account = m_state.account(request.field("UserName"));
    const std::string originator = request.field("Originator");
    bool known = false;
    for (const std::string& allowed : account->originators)
        known = known || allowed == originator;
    if (!known)
        return text("06");

    const QDateTime now = m_clock();
    QDateTime deliverAt = now;
    const std::string sendDate = trimmed(request.field("SDate"));
    if (!sendDate.empty()) {
        deliverAt =
            QDateTime::fromString(QString::fromStdString(sendDate), QStringLiteral("ddMMyyyyHHmm"));
        if (sendDate.size() != 12 || !deliverAt.isValid())
            return text("09");
    }

    if (request.messages.empty())
        return text("10");
    for (const SimMessageView message : request.messages) {
        if (!isMobileNumber(message.number))
            return text("10");
        if (utf8Length(message.text) > 160)
            return text("11");
    }
    const auto count = static_cast<qint64>(request.messages.size());
    if (count > account->credit)
        return text("07");

    account->credit -= count;
    SimPackage package;
    package.user = account->user;
    package.originator = originator;
    package.sendDate = sendDate;
    package.submitted = now;
    package.deliverAt = deliverAt;
    package.messages = std::move(request.messages);
    SimReply reply = text("00 " + m_state.addPackage(std::move(package)).id);
    reply.stateChanged = true;
    return reply;
}

SimReply RequestHandler::statusLines(const Request& request, bool undeliveredOnly) const {
    const SimPackage* package = m_state.package(trimmed(request.field("MsgID")));
    if (!package || package->user != request.field("UserName"))
        return text("08");
    const QDateTime now = m_clock();
    std::string reply;
    for (const SimMessageView message : package->messages) {
        const char state = m_state.stateOf(*package, message.number, now);
        if (undeliveredOnly && state == '3')
            continue;
        appendStatusLine(reply, package->id, message.number, state);
    }
    return reply.empty() ? text("08") : text(std::move(reply));
}

std::optional<std::vector<const SimPackage*>>
RequestHandler::packagesInRange(const Request& request) const {
    const auto first = reportDate(trimmed(request.field("FDate")));
    const auto last = reportDate(trimmed(request.field("LDate")));
    if (!first || !last || *first > *last)
        return std::nullopt;
    const std::string user = request.field("UserName");
    std::vector<const SimPackage*> found;
    for (const SimPackage& package : m_state.packages()) {
        const QDate day = package.submitted.date();
        if (package.user == user && day >= *first && day <= *last)
            found.push_back(&package);
    }
    return found;
}

SimReply RequestHandler::statusToDate(const Request& request) const {
    const auto packages = packagesInRange(request);
    if (!packages)
        return text("17");
    const QDateTime now = m_clock();
    std::string reply;
    for (const SimPackage* package : *packages) {
        for (const SimMessageView message : package->messages)
            appendStatusLine(reply, package->id, message.number,
                             m_state.stateOf(*package, message.number, now));
    }
    return reply.empty() ? text("18") : text(std::move(reply));
}

SimReply RequestHandler::packagesToNumber(const Request& request) const {
    const auto packages = packagesInRange(request);
    if (!packages)
        return text("17");
    const std::string number = trimmed(request.field("GsmNo"));
    std::string reply;
    for (const SimPackage* package : *packages) {
        for (const SimMessageView message : package->messages) {
            if (message.number == number) {
                reply += package->id + ' ' +
                         package->submitted.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))
                             .toStdString() +
                         '\n';
                break;
            }
        }
    }
    return reply.empty() ? text("08") : text(std::move(reply));
}

SimReply RequestHandler::messageBodies(const Request& request) const {
    const SimPackage* package = m_state.package(trimmed(request.field("MsgID")));
    if (!package || package->user != request.field("UserName"))
        return text("08");
    const std::string number = trimmed(request.field("GsmNo"));
    std::string reply = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><MsgReport>";
    bool any = false;
    for (const SimMessageView message : package->messages) {
        if (message.number != number)
            continue;
        any = true;
        reply += "<Message><msgid>" + package->id + "</msgid><gsmno>" + escapeXml(number) +
                 "</gsmno><msgbody>" + escapeXml(message.text) + "</msgbody></Message>";
    }
    if (!any)
        return text("08");
    reply += "</MsgReport>";
    SimReply out = text(std::move(reply));
    out.contentType = "text/xml; charset=utf-8";
    return out;
}
