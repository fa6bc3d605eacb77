// One HTTP exchange through the platform's own client (WinHTTP), bounded in time and size.
#pragma once

#include <windows.h>

#include <string>

namespace pimstore {

// Larger answers are not calendars anyone subscribes to: they are left unread.
const size_t kMaxAnswerBytes = 50u << 20;

struct HttpRequest {
    const wchar_t* method = L"GET";
    std::wstring address;
    std::wstring headers; // more header lines, each "Name: value\r\n"
    std::string body;
    DWORD timeoutMilliseconds = 20000; // for each step: resolving, connecting, sending, receiving
    size_t maxBytes = kMaxAnswerBytes;
};

struct HttpAnswer {
    DWORD status = 0;
    std::string body;
    std::wstring etag;
    std::wstring lastModified;
    std::wstring contentType;
};

// False when no whole answer came (bad address, unreachable, timed out, too large); problem
// then says why in words. Any status code is an answer.
bool httpExchange(const HttpRequest& request, HttpAnswer& answer, std::wstring& problem);

// "the server has no calendar at this address (HTTP 404)" and the like.
std::wstring describeStatus(DWORD status);

} // namespace pimstore
