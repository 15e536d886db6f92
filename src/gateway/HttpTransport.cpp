#include "HttpTransport.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include <curl/curl.h>

void RequestBody::append(QByteArray bytes) {
    if (bytes.isEmpty())
        return;
    m_size += bytes.size();
    m_owned.push_back(std::move(bytes));
    const QByteArray& kept = m_owned.back();
    m_pieces.emplace_back(kept.constData(), static_cast<size_t>(kept.size()));
}

void RequestBody::appendView(std::string_view bytes) {
    if (bytes.empty())
        return;
    m_size += static_cast<qint64>(bytes.size());
    m_pieces.push_back(bytes);
}

QByteArray RequestBody::toByteArray() const {
    QByteArray all;
    all.reserve(m_size);
    for (const std::string_view piece : m_pieces)
        all.append(piece.data(), static_cast<qsizetype>(piece.size()));
    return all;
}

namespace {

// Feeds the body's pieces to libcurl; rewinding is supported so libcurl may
// resend on its own authentication or connection handshakes.
struct Upload {
    const std::vector<std::string_view>* pieces = nullptr;
    size_t piece = 0;
    size_t offset = 0;

    size_t read(char* buffer, size_t room) {
        size_t written = 0;
        while (room > 0 && piece < pieces->size()) {
            const std::string_view current = (*pieces)[piece];
            const size_t n = std::min(room, current.size() - offset);
            std::memcpy(buffer + written, current.data() + offset, n);
            written += n;
            room -= n;
            offset += n;
            if (offset == current.size()) {
                ++piece;
                offset = 0;
            }
        }
        return written;
    }

    bool seek(curl_off_t position) {
        if (position < 0)
            return false;
        auto left = static_cast<size_t>(position);
        piece = 0;
        offset = 0;
        while (piece < pieces->size() && left >= (*pieces)[piece].size()) {
            left -= (*pieces)[piece].size();
            ++piece;
        }
        if (piece == pieces->size())
            return left == 0;
        offset = left;
        return true;
    }
};

size_t readBody(char* buffer, size_t size, size_t count, void* userdata) {
    return static_cast<Upload*>(userdata)->read(buffer, size * count);
}

int seekBody(void* userdata, curl_off_t offset, int origin) {
    if (origin != SEEK_SET)
        return CURL_SEEKFUNC_CANTSEEK;
    return static_cast<Upload*>(userdata)->seek(offset) ? CURL_SEEKFUNC_OK : CURL_SEEKFUNC_FAIL;
}

struct Download {
    QByteArray bytes;
    bool tooLarge = false;
};

size_t writeReply(char* data, size_t size, size_t count, void* userdata) {
    auto* download = static_cast<Download*>(userdata);
    const size_t n = size * count;
    if (download->bytes.size() + static_cast<qint64>(n) > CurlTransport::MaxReplyBytes) {
        download->tooLarge = true;
        return 0; // makes libcurl stop with a write error
    }
    download->bytes.append(data, static_cast<qsizetype>(n));
    return n;
}

struct Progress {
    StallWatch watch;
    bool stalled = false;
};

int onProgress(void* userdata, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent) {
    auto* progress = static_cast<Progress*>(userdata);
    if (!progress->watch.stalled(sent, received, StallWatch::Clock::now()))
        return 0;
    progress->stalled = true;
    return 1; // makes libcurl stop with CURLE_ABORTED_BY_CALLBACK
}

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyHandle {
    CURL* handle = curl_easy_init();
    curl_slist* headers = nullptr;
    ~EasyHandle() {
        curl_slist_free_all(headers);
        if (handle)
            curl_easy_cleanup(handle);
    }
};

} // namespace

CurlTransport::CurlTransport(GatewayTimeouts timeouts)
    : m_timeouts(timeouts) {
    initCurlOnce();
}

HttpResult CurlTransport::post(const QString& url, const RequestBody& body) {
    HttpResult result;
    EasyHandle easy;
    if (!easy.handle) {
        result.error = QStringLiteral("libcurl could not start a request");
        return result;
    }
    CURL* h = easy.handle;

    const QByteArray urlBytes = url.trimmed().toUtf8();
    Upload upload;
    upload.pieces = &body.pieces();
    Download download;
    Progress progress{StallWatch(m_timeouts.stall, StallWatch::Clock::now())};
    char errorText[CURL_ERROR_SIZE] = {};

    easy.headers = curl_slist_append(easy.headers, "Content-Type: text/plain;charset=UTF-8");
    easy.headers = curl_slist_append(easy.headers, "Expect:");

    curl_easy_setopt(h, CURLOPT_URL, urlBytes.constData());
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
#else
    curl_easy_setopt(h, CURLOPT_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(h, CURLOPT_READFUNCTION, readBody);
    curl_easy_setopt(h, CURLOPT_READDATA, &upload);
    curl_easy_setopt(h, CURLOPT_SEEKFUNCTION, seekBody);
    curl_easy_setopt(h, CURLOPT_SEEKDATA, &upload);
    curl_easy_setopt(h, CURLOPT_UPLOAD_BUFFERSIZE, 512L * 1024L);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, easy.headers);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeReply);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &download);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_timeouts.connect.count()));
    // No overall limit: a big package on a slow line may take long, so only
    // an exchange where nothing moves for the stall period is given up.
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &progress);
    // A package must never be posted twice by the transport itself: no
    // connection is reused, so libcurl never retries on a stale one.
    curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);

    const CURLcode code = curl_easy_perform(h);

    curl_off_t uploaded = 0;
    curl_easy_getinfo(h, CURLINFO_SIZE_UPLOAD_T, &uploaded);
    result.requestComplete = body.size() > 0 && uploaded == static_cast<curl_off_t>(body.size());
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    result.status = static_cast<int>(status);

    if (code != CURLE_OK) {
        if (download.tooLarge)
            result.error = QStringLiteral("reply larger than %1 bytes").arg(MaxReplyBytes);
        else if (progress.stalled)
            result.error =
                QStringLiteral("nothing moved either way for %1 ms").arg(m_timeouts.stall.count());
        else if (errorText[0] != '\0')
            result.error = QString::fromUtf8(errorText);
        else
            result.error = QString::fromUtf8(curl_easy_strerror(code));
        return result;
    }
    result.ok = true;
    result.body = std::move(download.bytes);
    return result;
}

namespace {

std::mutex defaultMutex;
std::shared_ptr<HttpTransport> defaultTransport;

} // namespace

std::shared_ptr<HttpTransport> DefaultHttpTransport() {
    std::lock_guard lock(defaultMutex);
    if (defaultTransport)
        return defaultTransport;
    return std::make_shared<CurlTransport>();
}

void SetDefaultHttpTransport(std::shared_ptr<HttpTransport> transport) {
    std::lock_guard lock(defaultMutex);
    defaultTransport = std::move(transport);
}
