#include "occurrence_blocks.h"

#include "scoped_lock.h"

#include <algorithm>
#include <iterator>

namespace pimstore {

namespace ical = daybrook::ical;

namespace {

const ical::LocalTime kBlockSeconds = 32 * ical::kSecondsPerDay;
const ical::LocalTime kShortSpan = ical::kSecondsPerDay;
const size_t kBlocksKept = 32;

// A type, not a function, so that merging inlines the comparison.
struct ByStartThenOrder {
    bool operator()(const ical::Occurrence& a, const ical::Occurrence& b) const {
        return a.start != b.start ? a.start < b.start : a.order < b.order;
    }
};
const ByStartThenOrder byStartThenOrder;

// The index's inclusive overlap: starts before the window ends, ends at or after it begins.
bool overlaps(const ical::Occurrence& item, ical::LocalTime from, ical::LocalTime to) {
    return item.start < to && item.end >= from;
}

} // namespace

void OccurrenceBlocks::overlapping(ical::LocalTime from, ical::LocalTime to,
                                   std::vector<ical::Occurrence>& found) const {
    found.clear();
    const std::int64_t first = ical::floorDivide(from, kBlockSeconds);
    const std::shared_ptr<const Block> inside =
        to > from && first == ical::floorDivide(to - 1, kBlockSeconds) ? block(first) : nullptr;
    if (!inside) {
        index_.occurrencesOverlapping(from, to, ical::EndBoundary::Inclusive, found);
        return;
    }
    const std::vector<ical::Occurrence>& shortOnes = inside->shortOnes;
    const auto startsBefore = [](const ical::Occurrence& candidate, ical::LocalTime time) {
        return candidate.start < time;
    };
    const auto begin =
        std::lower_bound(shortOnes.begin(), shortOnes.end(), from - kShortSpan, startsBefore);
    const auto end = std::lower_bound(begin, shortOnes.end(), to, startsBefore);
    // One allocation for the answer, however many it holds.
    found.reserve(static_cast<size_t>(end - begin) + inside->longOnes.size());
    for (auto item = begin; item != end; ++item) {
        if (item->end >= from)
            found.push_back(*item);
    }
    const size_t shortCount = found.size();
    for (const ical::Occurrence& longOne : inside->longOnes) {
        if (overlaps(longOne, from, to))
            found.push_back(longOne);
    }
    if (shortCount != found.size())
        std::inplace_merge(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(shortCount),
                           found.end(), byStartThenOrder);
}

std::shared_ptr<const OccurrenceBlocks::Block> OccurrenceBlocks::block(std::int64_t number) const {
    ExclusiveLock guard(&lock_);
    auto kept = std::find_if(
        recent_.begin(), recent_.end(),
        [&](const std::shared_ptr<const Block>& candidate) { return candidate->number == number; });
    std::shared_ptr<const Block> found;
    if (kept != recent_.end()) {
        found = *kept;
        recent_.erase(kept);
    } else if (number == lastAsked_ || number == lastAsked_ + 1) {
        found = build(number);
        if (recent_.size() >= kBlocksKept)
            recent_.erase(recent_.begin());
    }
    if (found)
        recent_.push_back(found);
    lastAsked_ = number;
    return found;
}

std::shared_ptr<const OccurrenceBlocks::Block> OccurrenceBlocks::build(std::int64_t number) const {
    auto built = std::make_shared<Block>();
    built->number = number;
    std::vector<ical::Occurrence> all;
    index_.occurrencesOverlapping(number * kBlockSeconds, (number + 1) * kBlockSeconds,
                                  ical::EndBoundary::Inclusive, all);
    for (const ical::Occurrence& item : all)
        (item.end - item.start > kShortSpan ? built->longOnes : built->shortOnes).push_back(item);
    return built;
}

} // namespace pimstore
