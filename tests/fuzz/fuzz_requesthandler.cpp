// The simulator's request handler on raw request bodies: up to four, split
// at NUL bytes, against one fresh account, so that a package sent by one
// body can be asked about by the next.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <QDateTime>

#include "FuzzCheck.h"
#include "RequestHandler.h"
#include "SimulatorState.h"

namespace {

const std::string User = "demo-1000";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    SimulatorState state;
    state.setFinalStates(size % 2 == 0);
    state.setSettleSeconds(30);
    state.addAccount(SimAccount{User, "s3cret", 1000, {"PARLEX", "ACME"}});
    const QDateTime now(QDate(2026, 1, 5), QTime(10, 0), Qt::UTC);
    RequestHandler handler(state, [now] { return now; });

    for (int i = 0; i < 4 && !rest.empty(); ++i) {
        const size_t nul = rest.find('\0');
        const std::string_view body = rest.substr(0, nul);
        rest = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);

        const int action = RequestHandler::peekAction(body);
        FUZZ_CHECK(action >= 0 && action <= 999999);
        const qint64 creditBefore = state.account(User)->credit;
        const size_t packagesBefore = state.packages().size();
        const SimReply reply = handler.handle(body);
        const qint64 credit = state.account(User)->credit;
        FUZZ_CHECK(reply.status == 200 && !reply.body.empty() && credit >= 0);
        if (reply.body.rfind("00 ", 0) == 0) {
            // An accepted package is kept and paid for, message by message.
            FUZZ_CHECK(state.packages().size() == packagesBefore + 1);
            const SimPackage& package = state.packages().back();
            FUZZ_CHECK(reply.body == "00 " + package.id && !package.messages.empty());
            FUZZ_CHECK(creditBefore - credit == qint64(package.messages.size()) &&
                       reply.stateChanged);
        } else {
            FUZZ_CHECK(state.packages().size() == packagesBefore && credit == creditBefore);
        }
    }
    return 0;
}
