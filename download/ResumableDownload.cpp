#include "download/ResumableDownload.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <string_view>

#include "download/LocalFile.h"
#include "download/ReplyDecision.h"
#include "http/Curl.h"

namespace melvora::download {

namespace {

constexpr long kMaxRedirects = 10;
constexpr long kConnectTimeoutSeconds = 60;
// A connection that delivers nothing for this long counts as a failed read.
constexpr long kStallSeconds = 60;
constexpr const char* kWebProtocols = "http,https";

enum class Failure { None, CannotOpenUrl, CannotOpenLocalFile, Read, Write, Cancelled };

std::string_view TrimLine(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' ||
                             text.back() == '\t')) {
        text.remove_suffix(1);
    }
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    return text;
}

bool EqualsIgnoringCase(std::string_view left, std::string_view right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [](char a, char b) { return (a | 0x20) == (b | 0x20); });
}

// The status code of a line such as "HTTP/1.1 206 Partial Content"; nullopt for a header line.
std::optional<int> StatusOfStatusLine(std::string_view line) {
    if (line.substr(0, 5) != "HTTP/") {
        return std::nullopt;
    }
    const auto blank = line.find(' ');
    if (blank == std::string_view::npos) {
        return 0;
    }
    const std::string_view rest = line.substr(blank + 1);
    int status = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), status);
    return error == std::errc() && end == rest.data() + std::min<std::size_t>(rest.size(), 3)
               ? status
               : 0;
}

// Content-Length as an unsigned 32-bit number: its low 32 bits, or 0 when it cannot be read.
uint32_t ContentLengthValue(std::string_view value) {
    uint64_t length = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), length);
    if (error != std::errc() || end != value.data() + value.size()) {
        return 0;
    }
    return static_cast<uint32_t>(length);
}

bool IsWebAddress(const Text& address) {
    curl::UrlHandle url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK) {
        return false;
    }
    char* rawScheme = nullptr;
    if (curl_url_get(url.get(), CURLUPART_SCHEME, &rawScheme, 0) != CURLUE_OK) {
        return false;
    }
    const curl::String scheme(rawScheme);
    const std::string_view schemeText(scheme.get());
    return EqualsIgnoringCase(schemeText, "http") || EqualsIgnoringCase(schemeText, "https");
}

// One transfer's state, shared with curl's callbacks. It judges the reply from its head and
// opens the local file only when the body is wanted.
class Transfer {
public:
    Transfer(const std::filesystem::path& localPath, const DownloadProgressRoutine& progress,
             int32_t offset, ResumeMode mode, const CancellationToken* cancellation)
        : m_localPath(localPath),
          m_progress(progress),
          m_offset(offset),
          m_mode(mode),
          m_cancellation(cancellation) {}

    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        const size_t length = size * count;
        return static_cast<Transfer*>(self)->TakeHeaderLine(std::string_view(data, length)) ? length
                                                                                            : 0;
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* self) {
        const size_t length = size * count;
        return static_cast<Transfer*>(self)->TakeBody(std::string_view(data, length)) ? length : 0;
    }

    static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        return static_cast<Transfer*>(self)->IsCancelled() ? 1 : 0;
    }

    // What the whole transfer came to, given curl's result.
    Failure Finish(CURLcode code) {
        if (m_failure != Failure::None) {
            return m_failure;
        }
        if (m_action == ReplyAction::AlreadyComplete) {
            return Failure::None;
        }
        if (code != CURLE_OK) {
            if (IsCancelled()) {
                return Failure::Cancelled;
            }
            // Once the body was accepted, a broken connection is a failed read; before that the
            // address could not be opened.
            return m_action ? Failure::Read : Failure::CannotOpenUrl;
        }
        if (!m_action && !JudgeReply()) {
            return m_failure;
        }
        if (m_action == ReplyAction::AlreadyComplete) {
            return Failure::None;
        }
        if (!m_file.IsOpen()) {
            // A resume answered from the start with an empty body: the file stays as it was.
            return Failure::None;
        }
        return m_file.SyncAndClose() ? Failure::None : Failure::Write;
    }

private:
    bool IsCancelled() const { return m_cancellation != nullptr && m_cancellation->IsCancelled(); }

    bool TakeHeaderLine(std::string_view line) {
        if (m_action) {
            // Trailers behind a chunked body change nothing.
            return true;
        }
        if (const auto status = StatusOfStatusLine(line)) {
            // Every reply of a redirect chain (and any interim 1xx) brings a head of its own.
            m_status = *status;
            m_contentRange.clear();
            m_contentLength = 0;
            m_hasLocation = false;
            return true;
        }
        const std::string_view trimmed = TrimLine(line);
        if (trimmed.empty()) {
            return EndOfHead();
        }
        const auto colon = trimmed.find(':');
        if (colon == std::string_view::npos) {
            return true;
        }
        const std::string_view name = TrimLine(trimmed.substr(0, colon));
        const std::string_view value = TrimLine(trimmed.substr(colon + 1));
        if (EqualsIgnoringCase(name, "Content-Length")) {
            m_contentLength = ContentLengthValue(value);
        } else if (EqualsIgnoringCase(name, "Content-Range")) {
            m_contentRange = std::string(value);
        } else if (EqualsIgnoringCase(name, "Location")) {
            m_hasLocation = true;
        }
        return true;
    }

    bool EndOfHead() {
        const bool interim = m_status >= 100 && m_status <= 199;
        // curl follows a redirect that names its target; its head is not the reply we judge.
        const bool followed = m_status >= 300 && m_status <= 399 && m_hasLocation;
        if (interim || followed) {
            return true;
        }
        return JudgeReply();
    }

    // Decides on the final reply's head and opens the file when its body is wanted; false to
    // end the transfer.
    bool JudgeReply() {
        const int64_t localSize = FileSizeOrZero(m_localPath);
        m_action = DecideReply({.status = m_status, .contentRange = m_contentRange}, m_mode,
                               m_offset, localSize);
        switch (*m_action) {
            case ReplyAction::Refuse:
                m_failure = Failure::CannotOpenUrl;
                return false;
            case ReplyAction::AlreadyComplete:
                // Nothing of the body is wanted.
                return false;
            case ReplyAction::WriteFromStart:
                m_downloaded = 0;
                // A fresh download creates or empties the file even for an empty body. When a
                // resume is answered from the start, the kept bytes go only once replacements
                // arrive, so an empty reply leaves the file as it was.
                return m_mode == ResumeMode::Continue || OpenFile();
            case ReplyAction::Append:
                m_downloaded = m_offset;
                return OpenFile();
        }
        return false;
    }

    bool OpenFile() {
        const bool opened = *m_action == ReplyAction::Append
                                ? m_file.OpenKeeping(m_localPath, m_offset)
                                : m_file.OpenEmpty(m_localPath);
        if (!opened) {
            m_failure = Failure::CannotOpenLocalFile;
        }
        return opened;
    }

    bool TakeBody(std::string_view bytes) {
        if (IsCancelled()) {
            return false;
        }
        if (!m_action && !JudgeReply()) {
            return false;
        }
        if (*m_action != ReplyAction::WriteFromStart && *m_action != ReplyAction::Append) {
            return false;
        }
        if (!m_file.IsOpen() && !OpenFile()) {
            return false;
        }
        while (!bytes.empty()) {
            const std::string_view block = bytes.substr(0, kDownloadBlockSize);
            bytes.remove_prefix(block.size());
            if (!m_file.Write(block)) {
                m_failure = Failure::Write;
                return false;
            }
            m_downloaded += static_cast<int64_t>(block.size());
            if (m_progress) {
                m_progress(static_cast<int32_t>(m_contentLength),
                           static_cast<int32_t>(static_cast<uint32_t>(m_downloaded)));
            }
        }
        return true;
    }

    const std::filesystem::path& m_localPath;
    const DownloadProgressRoutine& m_progress;
    const int32_t m_offset;
    const ResumeMode m_mode;
    const CancellationToken* const m_cancellation;

    // The head of the reply being received.
    int m_status = 0;
    std::string m_contentRange;
    uint32_t m_contentLength = 0;
    bool m_hasLocation = false;

    std::optional<ReplyAction> m_action;
    LocalFile m_file;
    int64_t m_downloaded = 0;
    Failure m_failure = Failure::None;
};

template <typename Value>
bool Set(CURL* easy, CURLoption option, Value value) {
    return curl_easy_setopt(easy, option, value) == CURLE_OK;
}

bool Configure(CURL* easy, const Text& address, const curl::HeaderList& headers,
               const std::string& agent, Transfer& transfer) {
    return Set(easy, CURLOPT_URL, address.c_str()) &&
           Set(easy, CURLOPT_PROTOCOLS_STR, kWebProtocols) &&
           Set(easy, CURLOPT_REDIR_PROTOCOLS_STR, kWebProtocols) &&
           Set(easy, CURLOPT_FOLLOWLOCATION, 1L) && Set(easy, CURLOPT_MAXREDIRS, kMaxRedirects) &&
           Set(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) &&
           Set(easy, CURLOPT_HTTPHEADER, headers.get()) &&
           // The block's own User-Agent line goes to the server; the agent text is what a proxy
           // sees on a tunnel's CONNECT, the one request the block does not reach.
           Set(easy, CURLOPT_USERAGENT, agent.c_str()) &&
           Set(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L) &&
           Set(easy, CURLOPT_BUFFERSIZE, static_cast<long>(kDownloadBlockSize)) &&
           Set(easy, CURLOPT_NOSIGNAL, 1L) &&
           Set(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds) &&
           Set(easy, CURLOPT_LOW_SPEED_LIMIT, 1L) &&
           Set(easy, CURLOPT_LOW_SPEED_TIME, kStallSeconds) &&
           Set(easy, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader) &&
           Set(easy, CURLOPT_HEADERDATA, &transfer) &&
           Set(easy, CURLOPT_WRITEFUNCTION, &Transfer::OnBody) &&
           Set(easy, CURLOPT_WRITEDATA, &transfer) &&
           Set(easy, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress) &&
           Set(easy, CURLOPT_XFERINFODATA, &transfer) && Set(easy, CURLOPT_NOPROGRESS, 0L);
}

DownloadOutcome OutcomeOf(Failure failure) {
    switch (failure) {
        case Failure::None:
            return DownloadOutcome::Done;
        case Failure::CannotOpenUrl:
            return DownloadOutcome::CannotOpenUrl;
        case Failure::CannotOpenLocalFile:
            return DownloadOutcome::CannotOpenLocalFile;
        case Failure::Read:
            return DownloadOutcome::ReadError;
        case Failure::Write:
            return DownloadOutcome::WriteError;
        case Failure::Cancelled:
            return DownloadOutcome::Cancelled;
    }
    return DownloadOutcome::InternetError;
}

}  // namespace

DownloadOutcome ResumableDownload(const DownloadRequest& request) {
    const auto& [address, localPath, offset, mode, progress, cancellation] = request;
    if (cancellation != nullptr && cancellation->IsCancelled()) {
        return DownloadOutcome::Cancelled;
    }
    const std::string agent = AgentText();
    // Declared before the handle, so they outlive it.
    curl::HeaderList headers;
    bool headersReady = true;
    for (const std::string& line : HeaderLines(DownloadHeaderBlock(mode, offset))) {
        headersReady = headersReady && headers.Append(line);
    }
    Transfer transfer(localPath, progress, offset, mode, cancellation);
    curl::EasyHandle easy(curl::EnsureGlobalInit() ? curl_easy_init() : nullptr);
    if (!easy || !headersReady || !Configure(easy.get(), address, headers, agent, transfer)) {
        return DownloadOutcome::InternetError;
    }
    if (!IsWebAddress(address)) {
        return DownloadOutcome::CannotOpenUrl;
    }
    return OutcomeOf(transfer.Finish(curl_easy_perform(easy.get())));
}

}  // namespace melvora::download
