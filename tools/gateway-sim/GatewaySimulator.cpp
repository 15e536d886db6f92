#include "GatewaySimulator.h"

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <httplib.h>

#include "RequestHandler.h"

namespace {

constexpr size_t KeptBodyLimit = size_t(1) << 20;
// Room made up front for a body, whatever length the client announces.
constexpr size_t MaxReservedBody = size_t(1) << 30;

const char* const DefaultProxyPage =
    "<HTML><HEAD><TITLE>Erişim engellendi</TITLE></HEAD><BODY><H1>Erişim engellendi</H1>"
    "<P>Bu adrese erişim, ağınızın proxy sunucusu tarafından engellendi.</P></BODY></HTML>";

// httplib gives a handler no socket. The connection is found among the
// process's descriptors by its two ends and shut down, so the client sees
// it closed without a single byte of reply; httplib's own write then fails
// and it closes the descriptor as usual.
void shutDownConnection(const httplib::Request& req, int serverPort) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        int fd = -1;
        try {
            fd = std::stoi(entry.path().filename().string());
        } catch (...) {
            continue;
        }
        sockaddr_in local{};
        socklen_t length = sizeof local;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
            local.sin_family != AF_INET || ntohs(local.sin_port) != serverPort)
            continue;
        sockaddr_in peer{};
        length = sizeof peer;
        if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0 ||
            ntohs(peer.sin_port) != req.remote_port)
            continue;
        char address[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &peer.sin_addr, address, sizeof address);
        if (req.remote_addr == address)
            shutdown(fd, SHUT_RDWR);
    }
}

std::string firstLine(const std::string& text) {
    const size_t end = std::min(text.find('\n'), size_t(80));
    return text.substr(0, end) + (end < text.size() ? "..." : "");
}

} // namespace

SimFault SimFault::htmlPage() {
    SimFault f;
    f.kind = Kind::HtmlPage;
    return f;
}

SimFault SimFault::reply(std::string text) {
    SimFault f;
    f.kind = Kind::Reply;
    f.text = std::move(text);
    return f;
}

SimFault SimFault::http500(std::string body) {
    SimFault f;
    f.kind = Kind::Http500;
    f.text = std::move(body);
    return f;
}

SimFault SimFault::close(bool afterProcessing) {
    SimFault f;
    f.kind = Kind::Close;
    f.process = afterProcessing;
    return f;
}

SimFault SimFault::delayed(std::chrono::milliseconds delay) {
    SimFault f;
    f.delay = delay;
    return f;
}

bool SimFault::parse(std::string_view option, int& action, SimFault& fault, std::string* error) {
    auto bad = [&](const std::string& why) {
        if (error)
            *error = why + ": " + std::string(option);
        return false;
    };
    const size_t colon = option.find(':');
    if (colon == option.npos)
        return bad("a fault needs ACTION:KIND");
    const std::string_view actionText = option.substr(0, colon);
    if (actionText == "any") {
        action = 0;
    } else {
        bool ok = false;
        action = QString::fromUtf8(actionText.data(), qsizetype(actionText.size())).toInt(&ok);
        if (!ok || action <= 0)
            return bad("the action is a number or \"any\"");
    }
    const std::string_view rest = option.substr(colon + 1);
    const size_t argAt = rest.find(':');
    const std::string_view kind = rest.substr(0, argAt);
    const std::string arg =
        argAt == rest.npos ? std::string() : std::string(rest.substr(argAt + 1));
    if (kind == "html") {
        fault = htmlPage();
    } else if (kind == "reply" && argAt != rest.npos) {
        fault = reply(arg);
    } else if (kind == "http500") {
        fault = http500(arg);
    } else if (kind == "close") {
        fault = close(false);
    } else if (kind == "close-after") {
        fault = close(true);
    } else if (kind == "delay") {
        bool ok = false;
        const int ms = QString::fromStdString(arg).toInt(&ok);
        if (!ok || ms < 0)
            return bad("delay takes milliseconds");
        fault = delayed(std::chrono::milliseconds(ms));
    } else {
        return bad("unknown fault kind");
    }
    return true;
}

namespace {

// Some gateways end their lines with CR LF: the line replies (credit and
// originators, reports) are then written so.
std::string withCrLf(const std::string& body) {
    std::string out;
    out.reserve(body.size() + body.size() / 16);
    for (const char c : body) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

} // namespace

struct GatewaySimulator::Impl {
    std::unique_ptr<httplib::Server> server;
    std::thread thread;
    int port = 0;

    mutable std::mutex stateMutex; // state, handler, state file
    SimulatorState state;
    std::function<QDateTime()> clock = [] {
        return QDateTime::currentDateTime();
    };
    RequestHandler handler{state, [this] {
                               return clock();
                           }};
    QString stateFile;
    std::atomic<bool> crLf{false};

    mutable std::mutex recordMutex; // faults, records, logger
    std::map<int, SimFault> faults;
    std::vector<SimRequestRecord> records;
    std::map<int, int> arrived; // by action, counted as soon as a request is read
    std::function<void(const std::string&)> logger;

    std::mutex waitMutex;
    std::condition_variable waitCv;
    bool stopping = false;

    void serve(const httplib::Request& req, const std::string& body, httplib::Response& res);
    SimFault takeFault(int action);
    void pause(std::chrono::milliseconds delay);
    void saveLocked();
};

SimFault GatewaySimulator::Impl::takeFault(int action) {
    std::lock_guard lock(recordMutex);
    auto it = faults.find(action);
    if (it == faults.end())
        it = faults.find(0);
    if (it == faults.end())
        return SimFault{};
    SimFault fault = it->second;
    if (it->second.times > 0 && --it->second.times == 0)
        faults.erase(it);
    return fault;
}

void GatewaySimulator::Impl::pause(std::chrono::milliseconds delay) {
    std::unique_lock lock(waitMutex);
    waitCv.wait_for(lock, delay, [this] { return stopping; });
}

void GatewaySimulator::Impl::saveLocked() {
    if (stateFile.isEmpty())
        return;
    QString error;
    if (!state.save(stateFile, &error)) {
        std::lock_guard lock(recordMutex);
        if (logger)
            logger("cannot save the state file: " + error.toStdString());
    }
}

void GatewaySimulator::Impl::serve(const httplib::Request& req, const std::string& body,
                                   httplib::Response& res) {
    SimRequestRecord record;
    record.action = RequestHandler::peekAction(body);
    record.path = req.path;
    record.contentType = req.get_header_value("Content-Type");
    record.expect = req.get_header_value("Expect");
    record.bodySize = body.size();
    if (body.size() <= KeptBodyLimit)
        record.body = body;

    {
        std::lock_guard lock(recordMutex);
        ++arrived[record.action];
    }
    const SimFault fault = takeFault(record.action);
    if (fault.delay.count() > 0)
        pause(fault.delay);

    SimReply reply;
    if (fault.kind == SimFault::Kind::None || fault.process) {
        std::lock_guard lock(stateMutex);
        reply = handler.handle(body);
        if (reply.stateChanged)
            saveLocked();
    }
    if (crLf && reply.contentType.starts_with("text/plain"))
        reply.body = withCrLf(reply.body);
    switch (fault.kind) {
    case SimFault::Kind::None:
        break;
    case SimFault::Kind::HtmlPage:
        reply.status = 403;
        reply.body = fault.text.empty() ? DefaultProxyPage : fault.text;
        reply.contentType = "text/html; charset=utf-8";
        break;
    case SimFault::Kind::Reply:
        reply.status = 200;
        reply.body = fault.text;
        reply.contentType = "text/plain; charset=utf-8";
        break;
    case SimFault::Kind::Http500:
        reply.status = 500;
        reply.body = fault.text;
        reply.contentType = "text/plain; charset=utf-8";
        break;
    case SimFault::Kind::Close:
        reply = SimReply{};
        reply.status = 0;
        break;
    }
    if (fault.kind != SimFault::Kind::Close) {
        res.status = reply.status;
        res.set_content(reply.body, reply.contentType.c_str());
    } else {
        res.status = 500; // never reaches the client
    }
    record.reply = reply.body;
    record.status = reply.status;

    {
        std::lock_guard lock(recordMutex);
        if (logger) {
            logger("action " + std::to_string(record.action) + " " + record.path + " (" +
                   std::to_string(record.bodySize) + " bytes) -> " +
                   (fault.kind == SimFault::Kind::Close
                        ? std::string("connection closed")
                        : std::to_string(record.status) + " " + firstLine(record.reply)));
        }
        records.push_back(std::move(record));
    }
    // Only now: a client that sees its connection closed must find the
    // request already counted.
    if (fault.kind == SimFault::Kind::Close)
        shutDownConnection(req, port);
}

GatewaySimulator::GatewaySimulator()
    : d(std::make_unique<Impl>()) {}

GatewaySimulator::~GatewaySimulator() {
    stop();
}

bool GatewaySimulator::start(int port) {
    if (d->server)
        return false;
    // A client that gives up early must not kill the process when its
    // reply is written.
    std::signal(SIGPIPE, SIG_IGN);
    auto server = std::make_unique<httplib::Server>();
    // SO_REUSEADDR only: a port another process listens on is refused, not
    // shared.
    server->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server->set_keep_alive_timeout(1);
    server->Post(".*", [this](const httplib::Request& req, httplib::Response& res,
                              const httplib::ContentReader& reader) {
        // Read here rather than by the library, which grows the body by
        // doubling: a package of a million messages is a hundred megabytes.
        std::string body;
        const auto announced = req.get_header_value<uint64_t>("Content-Length");
        body.reserve(static_cast<size_t>(std::min<uint64_t>(announced, MaxReservedBody)));
        reader([&body](const char* data, size_t length) {
            body.append(data, length);
            return true;
        });
        d->serve(req, body, res);
    });
    const char* host = "127.0.0.1";
    const int bound =
        port == 0 ? server->bind_to_any_port(host) : (server->bind_to_port(host, port) ? port : -1);
    if (bound <= 0)
        return false;
    {
        std::lock_guard lock(d->waitMutex);
        d->stopping = false;
    }
    d->port = bound;
    httplib::Server* raw = server.get();
    d->server = std::move(server);
    auto finished = std::make_shared<std::atomic<bool>>(false);
    d->thread = std::thread([raw, finished] {
        raw->listen_after_bind();
        *finished = true;
    });
    // stop() only works once the server runs.
    while (!raw->is_running() && !*finished)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (*finished) {
        stop();
        return false;
    }
    return true;
}

void GatewaySimulator::stop() {
    if (!d->server)
        return;
    {
        std::lock_guard lock(d->waitMutex);
        d->stopping = true;
    }
    d->waitCv.notify_all();
    d->server->stop();
    if (d->thread.joinable())
        d->thread.join();
    d->server.reset();
    std::lock_guard lock(d->stateMutex);
    d->saveLocked();
}

bool GatewaySimulator::isRunning() const {
    return d->server && d->server->is_running();
}

int GatewaySimulator::port() const {
    return d->port;
}

QString GatewaySimulator::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(d->port).arg(path);
}

void GatewaySimulator::addAccount(SimAccount account) {
    std::lock_guard lock(d->stateMutex);
    d->state.addAccount(std::move(account));
}

qint64 GatewaySimulator::credit(const std::string& user) const {
    std::lock_guard lock(d->stateMutex);
    const SimAccount* account = d->state.account(user);
    return account ? account->credit : 0;
}

void GatewaySimulator::setCredit(const std::string& user, qint64 credit) {
    std::lock_guard lock(d->stateMutex);
    if (SimAccount* account = d->state.account(user))
        account->credit = credit;
}

void GatewaySimulator::setCrLfLineEnds(bool crLf) {
    d->crLf = crLf;
}

void GatewaySimulator::setFinalStates(bool final) {
    std::lock_guard lock(d->stateMutex);
    d->state.setFinalStates(final);
}

void GatewaySimulator::setSettleSeconds(int seconds) {
    std::lock_guard lock(d->stateMutex);
    d->state.setSettleSeconds(seconds);
}

void GatewaySimulator::setClock(std::function<QDateTime()> clock) {
    std::lock_guard lock(d->stateMutex);
    d->clock = clock ? std::move(clock) : [] {
        return QDateTime::currentDateTime();
    };
}

void GatewaySimulator::setFault(int action, SimFault fault) {
    std::lock_guard lock(d->recordMutex);
    d->faults[action] = std::move(fault);
}

void GatewaySimulator::clearFaults() {
    std::lock_guard lock(d->recordMutex);
    d->faults.clear();
}

int GatewaySimulator::requestCount() const {
    std::lock_guard lock(d->recordMutex);
    return static_cast<int>(d->records.size());
}

int GatewaySimulator::arrivedCount(int action) const {
    std::lock_guard lock(d->recordMutex);
    const auto it = d->arrived.find(action);
    return it == d->arrived.end() ? 0 : it->second;
}

int GatewaySimulator::requestCount(int action) const {
    std::lock_guard lock(d->recordMutex);
    return static_cast<int>(std::count_if(d->records.begin(), d->records.end(),
                                          [action](const auto& r) { return r.action == action; }));
}

std::vector<SimRequestRecord> GatewaySimulator::requests() const {
    std::lock_guard lock(d->recordMutex);
    return d->records;
}

void GatewaySimulator::clearRequests() {
    std::lock_guard lock(d->recordMutex);
    d->records.clear();
    d->arrived.clear();
}

int GatewaySimulator::packageCount() const {
    std::lock_guard lock(d->stateMutex);
    return static_cast<int>(d->state.packages().size());
}

qint64 GatewaySimulator::messageCount() const {
    std::lock_guard lock(d->stateMutex);
    return d->state.messageCount();
}

std::vector<SimPackageSummary> GatewaySimulator::packages() const {
    std::lock_guard lock(d->stateMutex);
    std::vector<SimPackageSummary> out;
    for (const SimPackage& p : d->state.packages())
        out.push_back(SimPackageSummary{p.id, p.user, p.originator, p.sendDate, p.messages.size()});
    return out;
}

std::vector<SimMessage> GatewaySimulator::packageMessages(const std::string& id) const {
    std::lock_guard lock(d->stateMutex);
    const SimPackage* p = d->state.package(id);
    return p ? p->messages.toVector() : std::vector<SimMessage>{};
}

bool GatewaySimulator::setStateFile(const QString& path, QString* error) {
    std::lock_guard lock(d->stateMutex);
    if (!d->state.load(path, error))
        return false;
    d->stateFile = path;
    return true;
}

void GatewaySimulator::setLogger(std::function<void(const std::string&)> logger) {
    std::lock_guard lock(d->recordMutex);
    d->logger = std::move(logger);
}
