#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QDateTime>
#include <QString>

#include "SimulatorState.h"

// What the simulator does instead of answering normally, per action.
struct SimFault {
    enum class Kind {
        None,     // answer normally (after the delay, if any)
        HtmlPage, // a proxy's HTML page, HTTP 403
        Reply,    // a fixed reply text, HTTP 200
        Http500,  // HTTP 500 with a body
        Close,    // close the connection without a reply
    };
    Kind kind = Kind::None;
    std::string
        text; // Reply: the reply; Http500: the body; HtmlPage: the page (a default one if empty)
    std::chrono::milliseconds delay{0}; // waited before answering or closing
    // Handle the request first (credit and packages change), then answer with
    // the fault: a package accepted whose reply is lost.
    bool process = false;
    int times = 0; // how many requests it spoils; 0: until cleared

    static SimFault htmlPage();
    static SimFault reply(std::string text);
    static SimFault http500(std::string body);
    static SimFault close(bool afterProcessing = false);
    static SimFault delayed(std::chrono::milliseconds delay);

    // ACTION:KIND[:ARG] as on the command line; ACTION is a number or "any"
    // (0). Kinds: html, reply:TEXT, http500:TEXT, delay:MS, close,
    // close-after.
    static bool parse(std::string_view option, int& action, SimFault& fault, std::string* error);
};

// One request as it arrived.
struct SimRequestRecord {
    int action = 0;
    std::string path;
    std::string contentType;
    std::string expect; // the Expect header, if any
    size_t bodySize = 0;
    std::string body;  // empty when larger than 1 MiB
    std::string reply; // what was answered; empty when the connection was closed
    int status = 0;
};

struct SimPackageSummary {
    std::string id;
    std::string user;
    std::string originator;
    std::string sendDate;
    size_t messageCount = 0;
};

// The gateway stand-in: an HTTP server on 127.0.0.1 that answers POST
// requests at any path (the main account's "/sms/com.corvane" and
// "/com.corvane", or any intranet path) with the gateway's reply texts.
// Safe to use from a test thread while requests are served.
class GatewaySimulator {
public:
    GatewaySimulator();
    ~GatewaySimulator();
    GatewaySimulator(const GatewaySimulator&) = delete;
    GatewaySimulator& operator=(const GatewaySimulator&) = delete;

    // Listens on 127.0.0.1; port 0 picks a free one. False when the port
    // cannot be had.
    bool start(int port = 0);
    // Stops listening; waits for requests in progress (delays are cut
    // short). Saves the state file, if any.
    void stop();
    bool isRunning() const;
    int port() const;
    QString url(const QString& path = QStringLiteral("/sms/com.corvane")) const;

    void addAccount(SimAccount account);
    qint64 credit(const std::string& user) const;
    void setCredit(const std::string& user, qint64 credit);
    // Message states final at once (for tests), or after `seconds`.
    void setFinalStates(bool final);
    void setSettleSeconds(int seconds);
    // Lines of the text replies (actions 4, 9, 11, 14, 17) end in CR LF
    // instead of LF.
    void setCrLfLineEnds(bool crLf);
    void setClock(std::function<QDateTime()> clock);

    // action 0 spoils every request without a fault of its own.
    void setFault(int action, SimFault fault);
    void clearFaults();

    // Requests answered (or closed on): each is counted before its client
    // can see the reply or the closed connection.
    int requestCount() const;
    int requestCount(int action) const;
    // Requests of an action that have arrived, answered or not yet (a
    // delayed one counts as soon as it has been read).
    int arrivedCount(int action) const;
    std::vector<SimRequestRecord> requests() const;
    void clearRequests();
    int packageCount() const;
    qint64 messageCount() const;
    std::vector<SimPackageSummary> packages() const;
    std::vector<SimMessage> packageMessages(const std::string& id) const;

    // Loads the file if it exists; from then on the state is saved there
    // after every accepted package and at stop.
    bool setStateFile(const QString& path, QString* error = nullptr);

    // One line per request, for a console.
    void setLogger(std::function<void(const std::string&)> logger);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
