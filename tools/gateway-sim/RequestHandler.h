#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QDateTime>

#include "SimulatorState.h"

// The simulator's reply to one request, before any fault is applied.
struct SimReply {
    int status = 200;
    std::string body;
    std::string contentType = "text/plain; charset=utf-8";
    bool stateChanged = false; // credit or packages changed: worth saving
};

// Turns one request document into the gateway's reply. Knows nothing of
// HTTP; not thread-safe (the server serialises the calls).
//
// Codes it answers besides the documented ones: "02" malformed request or
// unknown action, "07" more messages than credit, "09" a send date that is
// not ddMMyyyyHHmm, "10" no messages or a number that is not ten digits
// beginning with 5, "11" a message longer than 160 characters.
class RequestHandler {
public:
    RequestHandler(SimulatorState& state, std::function<QDateTime()> clock);

    SimReply handle(std::string_view body);

    // The action number of a request without parsing all of it (a package
    // may be hundreds of megabytes): the text of its first Action element,
    // 0 when there is none.
    static int peekAction(std::string_view body);

private:
    struct Request;
    SimReply sendPackage(Request& request);
    SimReply info(const Request& request) const;
    SimReply statusLines(const Request& request, bool undeliveredOnly) const;
    SimReply statusToDate(const Request& request) const;
    SimReply packagesToNumber(const Request& request) const;
    // The account's packages submitted from FDate to LDate (yyyy-MM-dd, both
    // days included); nothing when the dates are not such a range.
    std::optional<std::vector<const SimPackage*>> packagesInRange(const Request& request) const;
    SimReply messageBodies(const Request& request) const;

    SimulatorState& m_state;
    std::function<QDateTime()> m_clock;
};
