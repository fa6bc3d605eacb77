#include "known_zones.h"

#include <cctype>
#include <string>

namespace daybrook::ical {

namespace {

enum class RuleFamily {
    Fixed,
    UnitedStates,
    EuropeanUnion, // transitions at 01:00 UTC
    SouthEastAustralia,
    NewZealand,
};

struct KnownZone {
    RuleFamily family;
    int offsetMinutes; // standard time, east of UTC
    const char* names; // '|'-separated aliases, compared after normalising
};

// Kept to zones that calendar exports commonly name without defining them.
const KnownZone kKnownZones[] = {
    {RuleFamily::Fixed, 0,
     "UTC|GMT|Z|Etc/UTC|Etc/GMT|Universal|Zulu|Coordinated Universal Time|Greenwich Standard "
     "Time|Atlantic/Reykjavik|Monrovia, Reykjavik"},
    {RuleFamily::UnitedStates, -300,
     "America/New_York|US/Eastern|EST5EDT|America/Detroit|America/Toronto|Canada/Eastern|America/"
     "Indiana/Indianapolis|America/Indianapolis|Eastern Standard Time|Eastern Time (US & Canada)"},
    {RuleFamily::UnitedStates, -360,
     "America/Chicago|US/Central|CST6CDT|America/Winnipeg|Canada/Central|Central Standard "
     "Time|Central Time (US & Canada)"},
    {RuleFamily::UnitedStates, -420,
     "America/Denver|US/Mountain|MST7MDT|America/Edmonton|Canada/Mountain|Mountain Standard "
     "Time|Mountain Time (US & Canada)"},
    {RuleFamily::UnitedStates, -480,
     "America/Los_Angeles|US/Pacific|PST8PDT|America/Vancouver|America/Tijuana|Canada/"
     "Pacific|Pacific Standard Time|Pacific Time (US & Canada)"},
    {RuleFamily::UnitedStates, -540, "America/Anchorage|US/Alaska|Alaskan Standard Time|Alaska"},
    {RuleFamily::Fixed, -420, "America/Phoenix|US/Arizona|US Mountain Standard Time|Arizona"},
    {RuleFamily::Fixed, -600, "Pacific/Honolulu|US/Hawaii|Hawaiian Standard Time|Hawaii"},
    {RuleFamily::EuropeanUnion, 0,
     "Europe/London|Europe/Dublin|Europe/Lisbon|GB|Eire|GMT Standard Time|Dublin, Edinburgh, "
     "Lisbon, London"},
    {RuleFamily::EuropeanUnion, 60,
     "Europe/Berlin|Europe/Zurich|Europe/Paris|Europe/Vienna|Europe/Amsterdam|Europe/"
     "Brussels|Europe/Madrid|Europe/Rome|Europe/Stockholm|Europe/Oslo|Europe/Copenhagen|Europe/"
     "Prague|Europe/Warsaw|Europe/Budapest|Europe/Luxembourg|Europe/Belgrade|Europe/"
     "Zagreb|Europe/Ljubljana|Europe/Bratislava|CET|MET|W. Europe Standard Time|Central Europe "
     "Standard Time|Central European Standard Time|Romance Standard Time|Amsterdam, Berlin, Bern, "
     "Rome, Stockholm, Vienna|Belgrade, Bratislava, Budapest, Ljubljana, Prague|Brussels, "
     "Copenhagen, Madrid, Paris|Sarajevo, Skopje, Warsaw, Zagreb"},
    {RuleFamily::EuropeanUnion, 120,
     "Europe/Helsinki|Europe/Athens|Europe/Riga|Europe/Tallinn|Europe/Vilnius|Europe/Sofia|Europe/"
     "Bucharest|Europe/Kiev|Europe/Kyiv|EET|FLE Standard Time|GTB Standard Time|Helsinki, Kyiv, "
     "Riga, Sofia, Tallinn, Vilnius|Athens, Bucharest"},
    {RuleFamily::Fixed, 180,
     "Europe/Moscow|Europe/Istanbul|Russian Standard Time|Moscow, St. "
     "Petersburg|Turkey Standard Time|Istanbul"},
    {RuleFamily::Fixed, 120,
     "Africa/Johannesburg|Africa/Cairo|South Africa Standard Time|Harare, "
     "Pretoria"},
    {RuleFamily::Fixed, 240, "Asia/Dubai|Arabian Standard Time|Abu Dhabi, Muscat"},
    {RuleFamily::Fixed, 330,
     "Asia/Kolkata|Asia/Calcutta|India Standard Time|Chennai, Kolkata, "
     "Mumbai, New Delhi"},
    {RuleFamily::Fixed, 420,
     "Asia/Bangkok|Asia/Jakarta|SE Asia Standard Time|Bangkok, Hanoi, "
     "Jakarta"},
    {RuleFamily::Fixed, 480,
     "Asia/Kuala_Lumpur|Asia/Singapore|Singapore|Asia/Shanghai|Asia/Hong_Kong|Asia/Taipei|Asia/"
     "Manila|Australia/Perth|Singapore Standard Time|China Standard Time|Taipei Standard "
     "Time|W. Australia Standard Time|Kuala Lumpur, Singapore|Beijing, Chongqing, Hong Kong, "
     "Urumqi|Perth|Taipei"},
    {RuleFamily::Fixed, 540,
     "Asia/Tokyo|Asia/Seoul|Japan|Tokyo Standard Time|Korea Standard "
     "Time|Osaka, Sapporo, Tokyo|Seoul"},
    {RuleFamily::Fixed, 570, "Australia/Darwin|AUS Central Standard Time|Darwin"},
    {RuleFamily::SouthEastAustralia, 570,
     "Australia/Adelaide|Australia/South|Cen. Australia Standard Time|Adelaide"},
    {RuleFamily::Fixed, 600,
     "Australia/Brisbane|Australia/Queensland|E. Australia Standard "
     "Time|Brisbane"},
    {RuleFamily::SouthEastAustralia, 600,
     "Australia/Sydney|Australia/Melbourne|Australia/Canberra|Australia/Hobart|Australia/"
     "ACT|Australia/NSW|Australia/Victoria|AUS Eastern Standard Time|Tasmania Standard "
     "Time|Canberra, Melbourne, Sydney|Hobart"},
    {RuleFamily::NewZealand, 720,
     "Pacific/Auckland|NZ|New Zealand Standard Time|Auckland, "
     "Wellington"},
};

TransitionRule transition(int month, int week, int hour) {
    TransitionRule rule;
    rule.month = month;
    rule.week = week;
    rule.dayOfWeek = 0; // every family here switches on a Sunday
    rule.hour = hour;
    return rule;
}

ZoneEra era(int firstYear, int lastYear, int offsetMinutes, TransitionRule daylightBegins,
            TransitionRule daylightEnds) {
    ZoneEra result;
    result.firstYear = firstYear;
    result.lastYear = lastYear;
    result.rule.bias = -offsetMinutes;
    result.rule.daylightBias = -60;
    result.rule.daylightDate = daylightBegins;
    result.rule.standardDate = daylightEnds;
    return result;
}

std::vector<ZoneEra> erasOf(RuleFamily family, int offset) {
    switch (family) {
    case RuleFamily::Fixed: {
        ZoneEra fixed;
        fixed.rule.bias = -offset;
        return {fixed};
    }
    case RuleFamily::UnitedStates:
        return {era(kMinYear, 1986, offset, transition(4, 5, 2), transition(10, 5, 2)),
                era(1987, 2006, offset, transition(4, 1, 2), transition(10, 5, 2)),
                era(2007, kMaxYear, offset, transition(3, 2, 2), transition(11, 1, 2))};
    case RuleFamily::EuropeanUnion: {
        const int beginHour = 1 + offset / 60;
        return {era(kMinYear, 1995, offset, transition(3, 5, beginHour),
                    transition(9, 5, beginHour + 1)),
                era(1996, kMaxYear, offset, transition(3, 5, beginHour),
                    transition(10, 5, beginHour + 1))};
    }
    case RuleFamily::SouthEastAustralia:
        return {era(kMinYear, 2007, offset, transition(10, 5, 2), transition(3, 5, 3)),
                era(2008, kMaxYear, offset, transition(10, 1, 2), transition(4, 1, 3))};
    case RuleFamily::NewZealand:
        return {era(kMinYear, 2006, offset, transition(10, 1, 2), transition(3, 3, 3)),
                era(2007, kMaxYear, offset, transition(9, 5, 2), transition(4, 1, 3))};
    }
    return {};
}

std::string normalised(std::string_view name) {
    std::string result;
    bool pendingSpace = false;
    for (char c : name) {
        if (c == ' ' || c == '\t' || c == '_') {
            pendingSpace = !result.empty();
            continue;
        }
        if (pendingSpace)
            result += ' ';
        pendingSpace = false;
        result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return result;
}

bool aliasListContains(const char* aliases, const std::string& wanted) {
    std::string_view rest(aliases);
    while (!rest.empty()) {
        const size_t bar = rest.find('|');
        const std::string_view alias = rest.substr(0, bar);
        if (normalised(alias) == wanted)
            return true;
        if (bar == std::string_view::npos)
            break;
        rest.remove_prefix(bar + 1);
    }
    return false;
}

const KnownZone* findByAlias(const std::string& wanted) {
    for (const KnownZone& known : kKnownZones) {
        if (aliasListContains(known.names, wanted))
            return &known;
    }
    return nullptr;
}

// "(UTC-05:00) Eastern Time (US & Canada)" or "(GMT+01.00) ...": the offset and the text after
// the parenthesis.
bool splitDisplayName(const std::string& name, int& offsetMinutes, std::string& cities) {
    if (name.size() < 11 || name[0] != '(' ||
        (name.compare(1, 3, "utc") != 0 && name.compare(1, 3, "gmt") != 0))
        return false;
    const size_t close = name.find(')');
    if (close == std::string::npos)
        return false;
    cities = name.substr(close + 1);
    while (!cities.empty() && cities[0] == ' ')
        cities.erase(0, 1);
    const std::string offset = name.substr(4, close - 4);
    if (offset.empty()) {
        offsetMinutes = 0;
        return true;
    }
    if (offset.size() != 6 || (offset[0] != '+' && offset[0] != '-') ||
        !std::isdigit(static_cast<unsigned char>(offset[1])) ||
        !std::isdigit(static_cast<unsigned char>(offset[2])) ||
        (offset[3] != ':' && offset[3] != '.') ||
        !std::isdigit(static_cast<unsigned char>(offset[4])) ||
        !std::isdigit(static_cast<unsigned char>(offset[5])))
        return false;
    const int hours = (offset[1] - '0') * 10 + (offset[2] - '0');
    const int minutes = (offset[4] - '0') * 10 + (offset[5] - '0');
    if (hours > 14 || minutes > 59)
        return false;
    offsetMinutes = (offset[0] == '-' ? -1 : 1) * (hours * 60 + minutes);
    return true;
}

void build(const KnownZone& known, std::string_view id, ZoneDefinition& zone) {
    zone.id = std::string(id);
    zone.eras = erasOf(known.family, known.offsetMinutes);
}

} // namespace

KnownZoneMatch findKnownZone(std::string_view name, ZoneDefinition& zone) {
    const std::string wanted = normalised(name);
    if (const KnownZone* known = findByAlias(wanted)) {
        build(*known, name, zone);
        return KnownZoneMatch::Exact;
    }
    for (size_t slash = wanted.find('/'); slash != std::string::npos;
         slash = wanted.find('/', slash + 1)) {
        if (const KnownZone* known = findByAlias(wanted.substr(slash + 1))) {
            build(*known, name, zone);
            return KnownZoneMatch::Exact;
        }
    }
    int offsetMinutes = 0;
    std::string cities;
    if (!splitDisplayName(wanted, offsetMinutes, cities))
        return KnownZoneMatch::None;
    if (const KnownZone* known = findByAlias(cities)) {
        build(*known, name, zone);
        return KnownZoneMatch::Exact;
    }
    zone = fixedOffsetZone(std::string(name), offsetMinutes);
    return KnownZoneMatch::OffsetFromName;
}

} // namespace daybrook::ical
