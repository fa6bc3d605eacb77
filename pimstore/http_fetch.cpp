#include "http_fetch.h"

#include <winhttp.h>

#include <vector>

namespace pimstore {

namespace {

class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    ~InternetHandle() {
        if (handle_)
            WinHttpCloseHandle(handle_);
    }
    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HINTERNET handle_;
};

// WSAETIMEDOUT: some platforms pass the socket's own error on for a receive that timed out.
const DWORD kSocketTimedOut = 10060;

std::wstring describeError(DWORD error, DWORD timeoutMilliseconds) {
    switch (error) {
    case ERROR_WINHTTP_TIMEOUT:
    case ERROR_TIMEOUT:
    case kSocketTimedOut:
        return L"the server did not answer within " +
               std::to_wstring((timeoutMilliseconds + 999) / 1000) + L" s";
    case ERROR_WINHTTP_CANNOT_CONNECT:
    case ERROR_WINHTTP_CONNECTION_ERROR: return L"the server cannot be reached";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED: return L"the server's name is unknown";
    case ERROR_WINHTTP_INVALID_URL:
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME: return L"the address is not a web address";
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID: return L"the server's certificate is not trusted";
    // Some platforms report an untrusted certificate so too.
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
        return L"no secure connection could be made (is the server's certificate trusted?)";
    default: return L"the request failed (error " + std::to_wstring(error) + L")";
    }
}

bool fail(std::wstring& problem, DWORD timeoutMilliseconds) {
    problem = describeError(GetLastError(), timeoutMilliseconds);
    return false;
}

std::wstring headerText(HINTERNET request, DWORD which) {
    DWORD size = 0;
    WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                        WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0)
        return std::wstring();
    std::vector<WCHAR> text(size / sizeof(WCHAR) + 1);
    if (!WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &size,
                             WINHTTP_NO_HEADER_INDEX))
        return std::wstring();
    return std::wstring(text.data());
}

DWORD headerNumber(HINTERNET request, DWORD which, bool& present) {
    DWORD value = 0;
    DWORD size = sizeof value;
    present = WinHttpQueryHeaders(request, which | WINHTTP_QUERY_FLAG_NUMBER,
                                  WINHTTP_HEADER_NAME_BY_INDEX, &value, &size,
                                  WINHTTP_NO_HEADER_INDEX) != FALSE;
    return value;
}

// Reads the body; stops as soon as it passes the limit, whatever the server announced.
bool readBody(HINTERNET request, size_t maxBytes, std::string& body, std::wstring& problem,
              DWORD timeoutMilliseconds) {
    body.clear();
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        DWORD got = 0;
        if (!WinHttpReadData(request, chunk.data(), static_cast<DWORD>(chunk.size()), &got))
            return fail(problem, timeoutMilliseconds);
        if (got == 0)
            return true;
        if (body.size() + got > maxBytes) {
            problem = L"the answer is larger than " + std::to_wstring(maxBytes >> 20) +
                      L" MB: it was left unread";
            body.clear();
            return false;
        }
        body.append(chunk.data(), got);
    }
}

} // namespace

std::wstring describeStatus(DWORD status) {
    const std::wstring code = L" (HTTP " + std::to_wstring(status) + L")";
    if (status == 401 || status == 403)
        return L"the server refused access: the address needs a user name and password" + code;
    if (status == 404 || status == 410)
        return L"the server has no calendar at this address" + code;
    if (status >= 500)
        return L"the server failed" + code;
    return L"the server answered" + code;
}

bool httpExchange(const HttpRequest& request, HttpAnswer& answer, std::wstring& problem) {
    const DWORD timeout = request.timeoutMilliseconds;
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
    parts.dwUserNameLength = parts.dwPasswordLength = 1;
    if (!WinHttpCrackUrl(request.address.c_str(), 0, 0, &parts))
        return fail(problem, timeout);
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty())
        path = L"/";

    InternetHandle session(WinHttpOpen(L"Daybrook-Device/1.0", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session ||
        !WinHttpSetTimeouts(session.get(), static_cast<int>(timeout), static_cast<int>(timeout),
                            static_cast<int>(timeout), static_cast<int>(timeout)))
        return fail(problem, timeout);
    InternetHandle connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    if (!connection)
        return fail(problem, timeout);
    const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    InternetHandle exchange(WinHttpOpenRequest(connection.get(), request.method, path.c_str(),
                                               nullptr, WINHTTP_NO_REFERER,
                                               WINHTTP_DEFAULT_ACCEPT_TYPES, secure));
    // On the request as well: the platform takes some of them from there only, and the wait for
    // the answer's headers has a limit of its own.
    DWORD responseTimeout = timeout;
    if (!exchange ||
        !WinHttpSetTimeouts(exchange.get(), static_cast<int>(timeout), static_cast<int>(timeout),
                            static_cast<int>(timeout), static_cast<int>(timeout)) ||
        !WinHttpSetOption(exchange.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                          sizeof responseTimeout))
        return fail(problem, timeout);
    if (parts.dwUserNameLength > 0) {
        const std::wstring user(parts.lpszUserName, parts.dwUserNameLength);
        const std::wstring password(parts.lpszPassword, parts.dwPasswordLength);
        WinHttpSetCredentials(exchange.get(), WINHTTP_AUTH_TARGET_SERVER, WINHTTP_AUTH_SCHEME_BASIC,
                              user.c_str(), password.c_str(), nullptr);
    }
    const DWORD bodyLength = static_cast<DWORD>(request.body.size());
    if (!WinHttpSendRequest(exchange.get(),
                            request.headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS
                                                    : request.headers.c_str(),
                            static_cast<DWORD>(request.headers.size()),
                            bodyLength ? const_cast<char*>(request.body.data()) : nullptr,
                            bodyLength, bodyLength, 0) ||
        !WinHttpReceiveResponse(exchange.get(), nullptr))
        return fail(problem, timeout);
    bool present = false;
    answer.status = headerNumber(exchange.get(), WINHTTP_QUERY_STATUS_CODE, present);
    const DWORD announced = headerNumber(exchange.get(), WINHTTP_QUERY_CONTENT_LENGTH, present);
    if (present && announced > request.maxBytes) {
        problem = L"the answer is larger than " + std::to_wstring(request.maxBytes >> 20) +
                  L" MB: it was left unread";
        return false;
    }
    answer.etag = headerText(exchange.get(), WINHTTP_QUERY_ETAG);
    answer.lastModified = headerText(exchange.get(), WINHTTP_QUERY_LAST_MODIFIED);
    answer.contentType = headerText(exchange.get(), WINHTTP_QUERY_CONTENT_TYPE);
    return readBody(exchange.get(), request.maxBytes, answer.body, problem, timeout);
}

} // namespace pimstore
