#pragma once

#include <memory>

#include "gateway/HttpTransport.h"

// The desktop program's transport. A request made on the user-interface
// thread is posted from a worker thread while the interface waits: windows
// repaint and timers run, but the user's input is held back (a close request
// is refused, the user may close again afterwards) so that no handler starts
// in the middle of a step. A busy cursor shows, and panel 2 of the main
// window names the step. The caller still sees one blocking call, and the
// request in hand is always seen through, even when the program is asked to
// end meanwhile: its reply decides whether a package was sent.
//
// From any other thread, or without a QApplication, it posts directly.
class WaitingTransport final : public HttpTransport {
public:
    explicit WaitingTransport(std::shared_ptr<HttpTransport> inner);

    HttpResult post(const QString& url, const RequestBody& body) override;

    // Wraps the transport new Gateway objects use.
    static void install();

private:
    std::shared_ptr<HttpTransport> m_inner;
};
