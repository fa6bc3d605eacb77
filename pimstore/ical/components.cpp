#include "components.h"

#include "property_values.h"

namespace daybrook::ical {

namespace {

std::string componentName(const ContentLine& line) {
    std::string name(trimmed(line.value));
    for (char& c : name)
        c = asciiUpper(c);
    return name;
}

Component openComponent(const ContentLine& line, std::vector<ContentLine>& spareProperties) {
    Component component;
    component.name = componentName(line);
    component.line = line.line;
    component.begin = line.begin;
    component.properties.swap(spareProperties);
    component.properties.clear();
    component.properties.reserve(12); // an event's usual lines, without growing step by step
    return component;
}

// At most the lines of a large event are kept for the next ones.
const size_t kSpareLines = 64;

class TreeBuilder final : public ContentLineSink {
public:
    TreeBuilder(CalendarChildSink& sink, Diagnostics& diagnostics)
        : sink_(sink), diagnostics_(diagnostics) {}

    bool accept(ContentLine& line) override {
        lastLine_ = line.line;
        if (line.name == "BEGIN")
            return begin(line);
        if (line.name == "END")
            return end(line);
        if (open_.empty())
            return outside(line);
        std::vector<ContentLine>& properties = open_.back().properties;
        if (spareLines_.empty()) {
            properties.push_back(std::move(line));
            return true;
        }
        properties.push_back(std::move(spareLines_.back()));
        spareLines_.pop_back();
        std::swap(properties.back(), line);
        return true;
    }

    bool finish() {
        if (calendars_ == 0 && open_.empty()) {
            addError(diagnostics_, 1, "no BEGIN:VCALENDAR: not an iCalendar file");
            return false;
        }
        if (open_.empty())
            return true;
        const Component& unclosed = open_.back();
        addError(diagnostics_, lastLine_,
                 "file ends inside BEGIN:" + unclosed.name + " from line " +
                     std::to_string(unclosed.line) + " (END:" + unclosed.name + " missing)");
        return false;
    }

private:
    bool begin(const ContentLine& line) {
        Component component = openComponent(line, spareProperties_);
        if (component.name.empty()) {
            addError(diagnostics_, line.line, "BEGIN without a component name");
            return false;
        }
        if (open_.empty() && component.name != "VCALENDAR")
            return outside(line);
        open_.push_back(std::move(component));
        return true;
    }

    bool end(const ContentLine& line) {
        const std::string name = componentName(line);
        if (open_.empty()) {
            addError(diagnostics_, line.line, "END:" + name + " without a matching BEGIN");
            return false;
        }
        if (name != open_.back().name) {
            addError(diagnostics_, line.line,
                     "END:" + name + " does not match BEGIN:" + open_.back().name + " from line " +
                         std::to_string(open_.back().line));
            return false;
        }
        Component finished = std::move(open_.back());
        open_.pop_back();
        finished.end = line.end;
        finished.endLineBegin = line.begin;
        if (open_.empty())
            ++calendars_;
        else if (open_.size() == 1)
            handOver(finished);
        else
            open_.back().children.push_back(std::move(finished));
        return true;
    }

    // The calendar's child goes to the sink; its lines, buffers and all, then serve the next
    // child's lines, so that a large file is read without a heap block made per line.
    void handOver(Component& child) {
        sink_.accept(child);
        for (ContentLine& line : child.properties) {
            if (spareLines_.size() == kSpareLines)
                break;
            spareLines_.push_back(std::move(line));
        }
        child.properties.clear();
        spareProperties_.swap(child.properties);
    }

    // Before the first calendar nothing else may come; after one, stray lines are let go.
    bool outside(const ContentLine& line) {
        if (calendars_ == 0) {
            addError(diagnostics_, line.line,
                     "expected BEGIN:VCALENDAR, found " + quoted(line.name + ":" + line.value) +
                         ": not an iCalendar file");
            return false;
        }
        addWarning(diagnostics_, line.line, "content after END:VCALENDAR ignored");
        return true;
    }

    CalendarChildSink& sink_;
    int calendars_ = 0; // ended so far
    Diagnostics& diagnostics_;
    std::vector<Component> open_;
    int lastLine_ = 1;
    std::vector<ContentLine> spareLines_;
    std::vector<ContentLine> spareProperties_; // emptied, its room kept
};

} // namespace

// Descendants are moved onto one flat stack before any is freed, so that no destructor meets
// children of its own.
Component::~Component() {
    if (children.empty())
        return;
    std::vector<Component> pending = std::move(children);
    while (!pending.empty()) {
        Component last = std::move(pending.back());
        pending.pop_back();
        for (Component& child : last.children)
            pending.push_back(std::move(child));
        last.children.clear();
    }
}

const ContentLine* Component::property(std::string_view wanted) const {
    for (const ContentLine& line : properties) {
        if (line.name == wanted)
            return &line;
    }
    return nullptr;
}

bool readComponents(std::string_view bytes, CalendarChildSink& sink, Diagnostics& diagnostics) {
    TreeBuilder builder(sink, diagnostics);
    return scanContentLines(bytes, builder, diagnostics) && builder.finish();
}

} // namespace daybrook::ical
