#include "caldav.h"

#include "http_fetch.h"

#include <set>
#include <vector>

namespace pimstore {

namespace {

const char kPropfindBody[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<d:propfind xmlns:d=\"DAV:\" xmlns:cs=\"http://calendarserver.org/ns/\">"
    "<d:prop><d:resourcetype/><cs:getctag/><d:getetag/></d:prop></d:propfind>";

const char kReportBody[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<c:calendar-query xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
    "<d:prop><d:getetag/><c:calendar-data/></d:prop>"
    "<c:filter><c:comp-filter name=\"VCALENDAR\"><c:comp-filter name=\"VEVENT\"/>"
    "</c:comp-filter></c:filter></c:calendar-query>";

const DWORD kMultiStatus = 207;

struct Element {
    size_t contentBegin = 0;
    size_t contentEnd = 0;
    size_t next = 0;
};

bool nameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == ':';
}

// The next element whose local name (the part after any "prefix:") is localName, from `from`.
bool findElement(const std::string& xml, const std::string& localName, size_t from,
                 Element& element) {
    for (size_t open = xml.find('<', from); open != std::string::npos;
         open = xml.find('<', open + 1)) {
        size_t nameEnd = open + 1;
        while (nameEnd < xml.size() && nameChar(xml[nameEnd]))
            ++nameEnd;
        const std::string name = xml.substr(open + 1, nameEnd - open - 1);
        const size_t colon = name.rfind(':');
        if ((colon == std::string::npos ? name : name.substr(colon + 1)) != localName)
            continue;
        const size_t tagEnd = xml.find('>', nameEnd);
        if (tagEnd == std::string::npos)
            return false;
        element.contentBegin = tagEnd + 1;
        if (xml[tagEnd - 1] == '/') { // empty element
            element.contentEnd = element.contentBegin;
            element.next = element.contentBegin;
            return true;
        }
        const size_t close = xml.find("</" + name, element.contentBegin);
        if (close == std::string::npos)
            return false;
        element.contentEnd = close;
        element.next = close + 2 + name.size();
        return true;
    }
    return false;
}

// Character data as text: entities and CDATA sections resolved.
std::string textOf(const std::string& xml, size_t begin, size_t end) {
    std::string text;
    for (size_t i = begin; i < end;) {
        if (xml.compare(i, 9, "<![CDATA[") == 0) {
            const size_t close = xml.find("]]>", i + 9);
            const size_t stop = close == std::string::npos || close > end ? end : close;
            text.append(xml, i + 9, stop - i - 9);
            i = stop + 3;
            continue;
        }
        if (xml[i] != '&') {
            text += xml[i++];
            continue;
        }
        const size_t semicolon = xml.find(';', i);
        if (semicolon == std::string::npos || semicolon > end || semicolon - i > 10) {
            text += xml[i++];
            continue;
        }
        const std::string entity = xml.substr(i + 1, semicolon - i - 1);
        if (entity == "lt")
            text += '<';
        else if (entity == "gt")
            text += '>';
        else if (entity == "amp")
            text += '&';
        else if (entity == "quot")
            text += '"';
        else if (entity == "apos")
            text += '\'';
        else if (entity.size() > 1 && entity[0] == '#') {
            const bool hex = entity[1] == 'x' || entity[1] == 'X';
            const unsigned long code =
                std::strtoul(entity.c_str() + (hex ? 2 : 1), nullptr, hex ? 16 : 10);
            if (code < 0x80)
                text += static_cast<char>(code);
        }
        i = semicolon + 1;
    }
    return text;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// Copies each VEVENT, and each VTIMEZONE not seen before, of one calendar text.
void collectComponents(const std::string& calendar, std::set<std::string>& zoneIds,
                       std::string& zones, std::string& events) {
    const std::vector<std::string> lines = linesOf(calendar);
    for (size_t i = 0; i < lines.size(); ++i) {
        const bool event = lines[i] == "BEGIN:VEVENT";
        if (!event && lines[i] != "BEGIN:VTIMEZONE")
            continue;
        const std::string endLine = event ? "END:VEVENT" : "END:VTIMEZONE";
        std::string block, zoneId;
        size_t j = i;
        for (; j < lines.size(); ++j) {
            block += lines[j] + "\r\n";
            if (!event && zoneId.empty() && lines[j].compare(0, 5, "TZID:") == 0)
                zoneId = lines[j].substr(5);
            if (lines[j] == endLine)
                break;
        }
        if (j == lines.size())
            return; // unterminated: the rest is not a component
        if (event)
            events += block;
        else if (zoneIds.insert(zoneId).second)
            zones += block;
        i = j;
    }
}

bool isCalendarCollection(const std::string& xml) {
    Element type;
    Element calendar;
    return findElement(xml, "resourcetype", 0, type) &&
           findElement(xml.substr(0, type.contentEnd), "calendar", type.contentBegin, calendar);
}

std::string collectionTag(const std::string& xml) {
    Element tag;
    if (findElement(xml, "getctag", 0, tag) && tag.contentEnd > tag.contentBegin)
        return textOf(xml, tag.contentBegin, tag.contentEnd);
    if (findElement(xml, "getetag", 0, tag) && tag.contentEnd > tag.contentBegin)
        return textOf(xml, tag.contentBegin, tag.contentEnd);
    return std::string();
}

bool exchange(const wchar_t* method, const std::wstring& address, const char* depth,
              const char* body, DWORD timeout, HttpAnswer& answer, std::wstring& problem) {
    HttpRequest request;
    request.method = method;
    request.address = address;
    request.headers = std::wstring(L"Depth: ") + (depth[0] == '0' ? L"0" : L"1") +
                      L"\r\nContent-Type: application/xml; charset=utf-8\r\n";
    request.body = body;
    request.timeoutMilliseconds = timeout;
    return httpExchange(request, answer, problem);
}

// A plain web server that does not know PROPFIND: the address is fetched as a file.
bool methodRefused(DWORD status) {
    return status == 400 || status == 405 || status == 501;
}

} // namespace

std::string calendarFromMultistatus(const std::string& xml) {
    std::set<std::string> zoneIds;
    std::string zones, events;
    Element data;
    for (size_t from = 0; findElement(xml, "calendar-data", from, data); from = data.next)
        collectComponents(textOf(xml, data.contentBegin, data.contentEnd), zoneIds, zones, events);
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Daybrook//Device copy of a CalDAV "
           "calendar//EN\r\n" +
           zones + events + "END:VCALENDAR\r\n";
}

CalDavOutcome readCalDavCollection(const std::wstring& address, DWORD timeoutMilliseconds,
                                   const std::string& knownTag, std::string& calendar,
                                   std::string& tag, std::wstring& problem) {
    HttpAnswer properties;
    if (!exchange(L"PROPFIND", address, "0", kPropfindBody, timeoutMilliseconds, properties,
                  problem))
        return CalDavOutcome::Failed;
    if (methodRefused(properties.status) || properties.status == kMultiStatus) {
        if (properties.status != kMultiStatus || !isCalendarCollection(properties.body))
            return CalDavOutcome::NotACalendar;
    } else if (properties.status >= 400) {
        problem = describeStatus(properties.status);
        return CalDavOutcome::Failed;
    } else {
        return CalDavOutcome::NotACalendar;
    }
    tag = collectionTag(properties.body);
    if (!tag.empty() && tag == knownTag)
        return CalDavOutcome::Unchanged;
    HttpAnswer report;
    if (!exchange(L"REPORT", address, "1", kReportBody, timeoutMilliseconds, report, problem))
        return CalDavOutcome::Failed;
    if (report.status != kMultiStatus) {
        problem = describeStatus(report.status);
        return CalDavOutcome::Failed;
    }
    calendar = calendarFromMultistatus(report.body);
    return CalDavOutcome::Fetched;
}

} // namespace pimstore
