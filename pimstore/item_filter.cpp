#include "item_filter.h"

#include "scoped_lock.h"
#include "text.h"

#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <string_view>

namespace pimstore {

namespace ical = daybrook::ical;

namespace {

const int kMaxNesting = 64;
// Evaluation recurses over the terms, so their number is bounded too.
const size_t kMaxNodes = 1024;

ical::LocalTime openLow() {
    return ical::localTimeFromCivil({100, 1, 1, 0, 0, 0});
}
ical::LocalTime openHigh() {
    return ical::localTimeFromCivil({9999, 12, 31, 23, 59, 59}) + 1;
}

// Converting a literal costs more than the rest of a query, and the agenda asks day after day:
// one day's end is the next day's start, and the next day's end is that plus a day. So the
// conversions are kept, and the text of the following day is made ahead with VarBstrFromDate,
// the function the literals come from, which is cheap. Texts are kept in place (no allocation),
// and one lock acquisition answers both the lookup and whether the next day is known yet.
class LiteralCache {
public:
    static const size_t kLongestText = 63;

    // False when the text is not kept. needNext: the day after the found one is not kept yet.
    bool find(std::wstring_view text, LCID locale, ical::LocalTime& time, bool& needNext) {
        SharedLock guard(&lock_);
        const Entry* found = entryFor(text, locale);
        if (!found)
            return false;
        time = found->time;
        needNext = !holdsLocked(time + ical::kSecondsPerDay, locale);
        return true;
    }

    void add(std::wstring_view text, LCID locale, ical::LocalTime time) {
        if (text.size() > kLongestText)
            return;
        ExclusiveLock guard(&lock_);
        if (entryFor(text, locale))
            return;
        Entry& entry = entries_[next_];
        next_ = (next_ + 1) % kSize;
        entry.used = true;
        entry.locale = locale;
        entry.length = text.size();
        std::wmemcpy(entry.text, text.data(), text.size());
        entry.time = time;
    }

    // The text VarBstrFromDate writes for a day, kept before anyone asks for it.
    void anticipate(ical::LocalTime time, LCID locale) {
        BSTR text = nullptr;
        if (SUCCEEDED(VarBstrFromDate(ical::oleDateFromLocalTime(time), 0, 0, &text)) && text &&
            namesItsYear(text, time))
            add(std::wstring_view(text, SysStringLen(text)), locale, time);
        SysFreeString(text);
    }

private:
    static const size_t kSize = 16;

    // A text with a two-digit year would read back in another century; such a text is only
    // ever converted, never made ahead.
    static bool namesItsYear(const wchar_t* text, ical::LocalTime time) {
        wchar_t year[16];
        std::swprintf(year, 16, L"%d", ical::yearOf(time));
        return std::wcsstr(text, year) != nullptr;
    }

    struct Entry {
        bool used = false;
        LCID locale = 0;
        size_t length = 0;
        wchar_t text[kLongestText + 1] = {};
        ical::LocalTime time = 0;
    };

    const Entry* entryFor(std::wstring_view text, LCID locale) const {
        for (const Entry& entry : entries_) {
            if (entry.used && entry.locale == locale && entry.length == text.size() &&
                std::wmemcmp(entry.text, text.data(), text.size()) == 0)
                return &entry;
        }
        return nullptr;
    }

    bool holdsLocked(ical::LocalTime time, LCID locale) const {
        for (const Entry& entry : entries_) {
            if (entry.used && entry.locale == locale && entry.time == time)
                return true;
        }
        return false;
    }

    SRWLOCK lock_ = SRWLOCK_INIT;
    Entry entries_[kSize];
    size_t next_ = 0;
};

LiteralCache& literalCache() {
    static LiteralCache cache;
    return cache;
}

// The user's default locale reads what VarBstrFromDate(date, 0, 0) writes.
bool dateFromLiteral(std::wstring_view text, ical::LocalTime& time) {
    LiteralCache& cache = literalCache();
    const LCID locale = GetUserDefaultLCID();
    bool needNext = false;
    if (!cache.find(text, locale, time, needNext)) {
        DATE date = 0;
        std::wstring writable(text); // the declaration asks for a non-const string
        if (FAILED(VarDateFromStr(&writable[0], LOCALE_USER_DEFAULT, 0, &date)) ||
            !ical::localTimeFromOleDate(date, time))
            return false;
        cache.add(text, locale, time);
        needNext = true;
    }
    if (needNext)
        cache.anticipate(time + ical::kSecondsPerDay, locale);
    return true;
}

// The filter's syntax is ASCII. These answer for it without the C library, which looks up the
// thread's locale at every character; other characters still go to the library.
bool isSpace(WCHAR c) {
    return c < 0x80 ? c == L' ' || (c >= L'\t' && c <= L'\r') : std::iswspace(c) != 0;
}
bool isDigit(WCHAR c) {
    return c < 0x80 ? c >= L'0' && c <= L'9' : std::iswdigit(c) != 0;
}
bool isLetter(WCHAR c) {
    return c < 0x80 ? (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') : std::iswalpha(c) != 0;
}
wint_t lowered(WCHAR c) {
    return c < 0x80 ? (c >= L'A' && c <= L'Z' ? c + (L'a' - L'A') : c) : std::towlower(c);
}

// Keywords and property names are ASCII; case does not matter.
bool sameWord(std::wstring_view text, const wchar_t* word) {
    size_t i = 0;
    for (; i < text.size() && word[i]; ++i) {
        if (lowered(text[i]) != lowered(word[i]))
            return false;
    }
    return i == text.size() && word[i] == 0;
}

enum class TokenKind { End, Property, Operator, String, Number, And, Or, Open, Close, Bad };

// A token is a view into the filter text, which outlives the parse. A quoted value with doubled
// quotation marks inside is marked, and only such a value is ever copied.
struct Token {
    TokenKind kind = TokenKind::End;
    std::wstring_view text;
    bool doubledQuotes = false;

    std::wstring value() const {
        if (!doubledQuotes)
            return std::wstring(text);
        std::wstring unquoted;
        for (size_t i = 0; i < text.size(); ++i) {
            unquoted += text[i];
            if (text[i] == L'"')
                ++i;
        }
        return unquoted;
    }
};

class Tokenizer {
public:
    explicit Tokenizer(const WCHAR* text) : text_(text) {}

    Token next() {
        while (*text_ && isSpace(*text_))
            ++text_;
        const WCHAR c = *text_;
        if (c == 0)
            return Token{TokenKind::End, {}};
        if (c == L'[')
            return delimited(L']', TokenKind::Property);
        if (c == L'"')
            return quoted();
        if (c == L'(' || c == L')') {
            return Token{c == L'(' ? TokenKind::Open : TokenKind::Close, viewFrom(text_++, 1)};
        }
        if (c == L'<' || c == L'>' || c == L'=')
            return comparison();
        if (c == L'-' || isDigit(c))
            return number();
        if (isLetter(c))
            return word();
        return Token{TokenKind::Bad, viewFrom(text_++, 1)};
    }

private:
    static std::wstring_view viewFrom(const WCHAR* start, size_t length) {
        return std::wstring_view(start, length);
    }

    Token delimited(WCHAR close, TokenKind kind) {
        const WCHAR* start = ++text_;
        while (*text_ && *text_ != close)
            ++text_;
        if (!*text_)
            return Token{TokenKind::Bad, {}};
        Token token{kind, viewFrom(start, static_cast<size_t>(text_ - start))};
        ++text_;
        return token;
    }

    // "" inside a quoted value stands for one quotation mark.
    Token quoted() {
        const WCHAR* start = ++text_;
        bool doubled = false;
        for (;;) {
            if (!*text_)
                return Token{TokenKind::Bad, {}};
            if (*text_ == L'"') {
                if (text_[1] != L'"')
                    break;
                doubled = true;
                ++text_;
            }
            ++text_;
        }
        Token token{TokenKind::String, viewFrom(start, static_cast<size_t>(text_ - start)),
                    doubled};
        ++text_;
        return token;
    }

    Token comparison() {
        const WCHAR* start = text_++;
        if ((*start == L'<' && (*text_ == L'=' || *text_ == L'>')) ||
            (*start == L'>' && *text_ == L'='))
            ++text_;
        return Token{TokenKind::Operator, viewFrom(start, static_cast<size_t>(text_ - start))};
    }

    Token number() {
        const WCHAR* start = text_++;
        while (isDigit(*text_))
            ++text_;
        return Token{TokenKind::Number, viewFrom(start, static_cast<size_t>(text_ - start))};
    }

    Token word() {
        const WCHAR* start = text_;
        while (isLetter(*text_) || isDigit(*text_))
            ++text_;
        const std::wstring_view text = viewFrom(start, static_cast<size_t>(text_ - start));
        if (sameWord(text, L"AND"))
            return Token{TokenKind::And, text};
        if (sameWord(text, L"OR"))
            return Token{TokenKind::Or, text};
        return Token{TokenKind::Bad, text};
    }

    const WCHAR* text_;
};

bool propertyNamed(std::wstring_view name, ItemFilter::Property& property) {
    struct Named {
        const WCHAR* name;
        ItemFilter::Property property;
    };
    static const Named kProperties[] = {
        {L"Start", ItemFilter::Property::Start},
        {L"End", ItemFilter::Property::End},
        {L"Subject", ItemFilter::Property::Subject},
        {L"Location", ItemFilter::Property::Location},
        {L"BusyStatus", ItemFilter::Property::BusyStatus},
    };
    for (const Named& named : kProperties) {
        if (sameWord(name, named.name)) {
            property = named.property;
            return true;
        }
    }
    return false;
}

bool comparisonNamed(std::wstring_view text, ItemFilter::Comparison& comparison) {
    using C = ItemFilter::Comparison;
    if (text == L"<")
        comparison = C::Less;
    else if (text == L"<=")
        comparison = C::LessOrEqual;
    else if (text == L">")
        comparison = C::Greater;
    else if (text == L">=")
        comparison = C::GreaterOrEqual;
    else if (text == L"=")
        comparison = C::Equal;
    else if (text == L"<>")
        comparison = C::NotEqual;
    else
        return false;
    return true;
}

template <typename T> bool compared(const T& a, const T& b, ItemFilter::Comparison comparison) {
    using C = ItemFilter::Comparison;
    switch (comparison) {
    case C::Less: return a < b;
    case C::LessOrEqual: return a <= b;
    case C::Greater: return a > b;
    case C::GreaterOrEqual: return a >= b;
    case C::Equal: return a == b;
    case C::NotEqual: return a != b;
    }
    return false;
}

// Start <= End for every appointment, so a bound on one side of an appointment bounds the
// other side as well.
TimeWindow windowOfComparison(const ItemFilter::Node& node) {
    using C = ItemFilter::Comparison;
    TimeWindow window = openWindow();
    if (node.property != ItemFilter::Property::Start && node.property != ItemFilter::Property::End)
        return window;
    switch (node.comparison) {
    case C::Less: window.startBefore = node.time; break;
    case C::LessOrEqual: window.startBefore = node.time + 1; break;
    case C::Greater: window.endFrom = node.time + 1; break;
    case C::GreaterOrEqual: window.endFrom = node.time; break;
    case C::Equal:
        window.endFrom = node.time;
        window.startBefore = node.time + 1;
        break;
    case C::NotEqual: break;
    }
    return window;
}

} // namespace

class FilterParser {
public:
    FilterParser(const WCHAR* text, ItemFilter& filter) : tokens_(text), filter_(filter) {
        // A day's window is three terms; growing the list would cost more than parsing.
        filter_.nodes_.reserve(4);
        advance();
    }

    HRESULT parse() {
        const int root = parseOr(0);
        if (root >= 0 && current_.kind != TokenKind::End)
            fail(E_INVALIDARG);
        if (FAILED(result_))
            return result_;
        filter_.root_ = root;
        filter_.window_ = filter_.windowOf(root);
        for (const ItemFilter::Node& node : filter_.nodes_) {
            if (node.kind == ItemFilter::Node::Kind::Compare &&
                node.property != ItemFilter::Property::Start &&
                node.property != ItemFilter::Property::End)
                filter_.needsDetails_ = true;
        }
        return S_OK;
    }

private:
    void advance() { current_ = tokens_.next(); }
    int fail(HRESULT result) {
        if (SUCCEEDED(result_))
            result_ = result;
        return -1;
    }
    int add(ItemFilter::Node node) {
        if (filter_.nodes_.size() >= kMaxNodes)
            return fail(E_INVALIDARG);
        filter_.nodes_.push_back(std::move(node));
        return static_cast<int>(filter_.nodes_.size() - 1);
    }
    int join(ItemFilter::Node::Kind kind, int left, int right) {
        ItemFilter::Node node;
        node.kind = kind;
        node.left = left;
        node.right = right;
        return add(node);
    }

    int parseOr(int depth) {
        int left = parseAnd(depth);
        while (left >= 0 && current_.kind == TokenKind::Or) {
            advance();
            const int right = parseAnd(depth);
            if (right < 0)
                return -1;
            left = join(ItemFilter::Node::Kind::Or, left, right);
            if (left < 0)
                return -1;
        }
        return left;
    }

    int parseAnd(int depth) {
        int left = parsePrimary(depth);
        while (left >= 0 && current_.kind == TokenKind::And) {
            advance();
            const int right = parsePrimary(depth);
            if (right < 0)
                return -1;
            left = join(ItemFilter::Node::Kind::And, left, right);
            if (left < 0)
                return -1;
        }
        return left;
    }

    int parsePrimary(int depth) {
        if (current_.kind != TokenKind::Open)
            return parseComparison();
        if (depth >= kMaxNesting)
            return fail(E_INVALIDARG);
        advance();
        const int inner = parseOr(depth + 1);
        if (inner < 0)
            return -1;
        if (current_.kind != TokenKind::Close)
            return fail(E_INVALIDARG);
        advance();
        return inner;
    }

    int parseComparison() {
        ItemFilter::Node node;
        if (current_.kind != TokenKind::Property || !propertyNamed(current_.text, node.property))
            return fail(E_INVALIDARG);
        advance();
        if (current_.kind != TokenKind::Operator ||
            !comparisonNamed(current_.text, node.comparison))
            return fail(E_INVALIDARG);
        advance();
        if (current_.kind != TokenKind::String && current_.kind != TokenKind::Number)
            return fail(E_INVALIDARG);
        const HRESULT valueResult = readValue(node);
        if (FAILED(valueResult))
            return fail(valueResult);
        advance();
        return add(std::move(node));
    }

    HRESULT readValue(ItemFilter::Node& node) const {
        using P = ItemFilter::Property;
        const bool quoted = current_.kind == TokenKind::String;
        switch (node.property) {
        case P::Start:
        case P::End: {
            if (!quoted)
                return DISP_E_TYPEMISMATCH;
            const bool read = current_.doubledQuotes ? dateFromLiteral(current_.value(), node.time)
                                                     : dateFromLiteral(current_.text, node.time);
            return read ? S_OK : DISP_E_TYPEMISMATCH;
        }
        case P::Subject:
        case P::Location: {
            if (!quoted)
                return DISP_E_TYPEMISMATCH;
            const std::wstring value = current_.value();
            node.text.assign(reinterpret_cast<const char16_t*>(value.data()), value.size());
            return S_OK;
        }
        case P::BusyStatus: {
            if (quoted || current_.text == L"-")
                return DISP_E_TYPEMISMATCH;
            const std::wstring digits(current_.text);
            node.number = std::wcstol(digits.c_str(), nullptr, 10);
            return S_OK;
        }
        }
        return E_INVALIDARG;
    }

    Tokenizer tokens_;
    Token current_;
    ItemFilter& filter_;
    HRESULT result_ = S_OK;
};

bool TimeWindow::lowerOpen() const {
    return endFrom <= openLow();
}
bool TimeWindow::upperOpen() const {
    return startBefore >= openHigh();
}

TimeWindow openWindow() {
    return TimeWindow{openLow(), openHigh()};
}

TimeWindow intersect(const TimeWindow& a, const TimeWindow& b) {
    return TimeWindow{std::max(a.endFrom, b.endFrom), std::min(a.startBefore, b.startBefore)};
}

HRESULT ItemFilter::parse(const WCHAR* text, ItemFilter& filter) {
    filter = ItemFilter();
    if (!text)
        return E_INVALIDARG;
    return FilterParser(text, filter).parse();
}

bool ItemFilter::matches(const ItemFacts& item) const {
    return matches(root_, item);
}

bool ItemFilter::matches(int index, const ItemFacts& item) const {
    using P = Property;
    const Node& node = nodes_[static_cast<size_t>(index)];
    switch (node.kind) {
    case Node::Kind::And: return matches(node.left, item) && matches(node.right, item);
    case Node::Kind::Or: return matches(node.left, item) || matches(node.right, item);
    case Node::Kind::Compare: break;
    }
    switch (node.property) {
    case P::Start: return compared(item.start, node.time, node.comparison);
    case P::End: return compared(item.end, node.time, node.comparison);
    case P::Subject:
        return compared(compareIgnoringCase(item.details->summary, node.text), 0, node.comparison);
    case P::Location:
        return compared(compareIgnoringCase(item.details->location, node.text), 0, node.comparison);
    case P::BusyStatus:
        return compared(static_cast<long>(item.details->busyStatus), node.number, node.comparison);
    }
    return false;
}

TimeWindow ItemFilter::windowOf(int index) const {
    const Node& node = nodes_[static_cast<size_t>(index)];
    switch (node.kind) {
    case Node::Kind::Compare: return windowOfComparison(node);
    case Node::Kind::And: return intersect(windowOf(node.left), windowOf(node.right));
    case Node::Kind::Or: {
        const TimeWindow left = windowOf(node.left);
        const TimeWindow right = windowOf(node.right);
        return TimeWindow{std::min(left.endFrom, right.endFrom),
                          std::max(left.startBefore, right.startBefore)};
    }
    }
    return openWindow();
}

} // namespace pimstore
