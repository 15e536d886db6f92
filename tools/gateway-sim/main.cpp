#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <pthread.h>

#include "GatewaySimulator.h"

namespace {

const char* const Usage = R"(Usage: parlex-gateway-sim [options]

A stand-in for the SMS gateway, for tests and demonstrations. It answers the
gateway's XML requests posted to any path on 127.0.0.1 and keeps accounts,
credit and packages in memory. The first line it prints is
"listening on 127.0.0.1:PORT". It runs until SIGINT or SIGTERM, then exits 0.

Options:
  --port N          port on 127.0.0.1; 0 (the default) picks a free one
  --account USER:PASSWORD:CREDIT:ORIGINATOR[,ORIGINATOR...]
                    an account; USER is the gateway user name as the program
                    sends it (user-clientcode for the main account, the user
                    alone for an intranet gateway). Repeatable.
  --accounts FILE   accounts, one per line in the same form; blank lines and
                    lines starting with # are skipped
  --final           message states are final at once
  --settle SECONDS  how long messages wait before their final state
                    (default 30)
  --crlf            end the lines of text replies with CR LF instead of LF
  --state FILE      keep packages and credit in FILE, so they survive a
                    restart
  --fault ACTION:KIND[:ARG]
                    spoil the replies to one action (a number, or "any"):
                      html          a proxy's HTML page (HTTP 403)
                      reply:TEXT    this reply text instead, e.g. reply:04
                      http500:TEXT  HTTP 500 with this body
                      delay:MS      wait MS milliseconds, then answer
                      close         close the connection without a reply
                      close-after   accept the request, then close without
                                    a reply (a package whose reply is lost)
                    Repeatable.
  --verbose         one line per request on standard error
  --help            this text

Message states: '0' before a package's delivery time, '1' while settling,
then by the last digit of the number: 0-6 delivered (3), 7 timed out (5),
8 rejected (2), 9 rejected (4).
)";

int fail(const std::string& message) {
    std::cerr << "parlex-gateway-sim: " << message << "\n(try --help)\n";
    return 2;
}

bool readAccounts(const std::string& path, std::vector<SimAccount>& out, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        auto account = SimAccount::parse(line, &error);
        if (!account)
            return false;
        out.push_back(std::move(*account));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int port = 0;
    bool final = false;
    bool crLf = false;
    int settle = -1;
    bool verbose = false;
    std::string stateFile;
    std::vector<SimAccount> accounts;
    std::vector<std::pair<int, SimFault>> faults;

    const std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        std::string v;
        std::string error;
        if (a == "--help" || a == "-h") {
            std::cout << Usage;
            return 0;
        } else if (a == "--port") {
            if (!value(v))
                return fail("--port needs a number");
            bool ok = false;
            port = QString::fromStdString(v).toInt(&ok);
            if (!ok || port < 0 || port > 65535)
                return fail("--port needs a number from 0 to 65535");
        } else if (a == "--account") {
            if (!value(v))
                return fail("--account needs USER:PASSWORD:CREDIT:ORIGINATORS");
            auto account = SimAccount::parse(v, &error);
            if (!account)
                return fail(error);
            accounts.push_back(std::move(*account));
        } else if (a == "--accounts") {
            if (!value(v))
                return fail("--accounts needs a file");
            if (!readAccounts(v, accounts, error))
                return fail(error);
        } else if (a == "--final") {
            final = true;
        } else if (a == "--crlf") {
            crLf = true;
        } else if (a == "--settle") {
            bool ok = false;
            if (value(v))
                settle = QString::fromStdString(v).toInt(&ok);
            if (!ok || settle < 0)
                return fail("--settle needs a number of seconds");
        } else if (a == "--state") {
            if (!value(v))
                return fail("--state needs a file");
            stateFile = v;
        } else if (a == "--fault") {
            int action = 0;
            SimFault fault;
            if (!value(v) || !SimFault::parse(v, action, fault, &error))
                return fail(error.empty() ? "--fault needs ACTION:KIND[:ARG]" : error);
            faults.emplace_back(action, std::move(fault));
        } else if (a == "--verbose") {
            verbose = true;
        } else {
            return fail("unknown option " + a);
        }
    }

    // Only this thread takes the stop signals; the server's threads, started
    // below, inherit the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    GatewaySimulator sim;
    for (SimAccount& account : accounts)
        sim.addAccount(std::move(account));
    if (!stateFile.empty()) {
        QString error;
        if (!sim.setStateFile(QString::fromStdString(stateFile), &error))
            return fail("cannot use the state file " + stateFile + ": " + error.toStdString());
    }
    sim.setFinalStates(final);
    sim.setCrLfLineEnds(crLf);
    if (settle >= 0)
        sim.setSettleSeconds(settle);
    for (auto& [action, fault] : faults)
        sim.setFault(action, std::move(fault));
    if (verbose)
        sim.setLogger([](const std::string& line) { std::cerr << line << std::endl; });
    if (accounts.empty())
        std::cerr << "parlex-gateway-sim: no accounts; every request will be answered 01\n";

    if (!sim.start(port)) {
        std::cerr << "parlex-gateway-sim: cannot listen on 127.0.0.1:" << port << "\n";
        return 1;
    }
    std::cout << "listening on 127.0.0.1:" << sim.port() << std::endl;

    int signal = 0;
    sigwait(&stopSignals, &signal);
    sim.stop();
    return 0;
}
