// The index's answers for fixed 32-day blocks, kept for the 32 blocks asked last (about three
// years of days, so that every rebuild of the agenda finds the days it asked the time before).
// The agenda asks day after day, and the index spends on a block little more than on a few of its
// days one by one, so a block is made at the second question into it, or at the first one when
// the question before was in the block just before (a walk through the days).
#pragma once

#include "occurrence_index.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace pimstore {

class OccurrenceBlocks {
public:
    explicit OccurrenceBlocks(const daybrook::ical::OccurrenceIndex& index) : index_(index) {}
    OccurrenceBlocks(const OccurrenceBlocks&) = delete;
    OccurrenceBlocks& operator=(const OccurrenceBlocks&) = delete;

    // What index.occurrencesOverlapping(from, to, EndBoundary::Inclusive, found) gives, in the
    // same order. Any thread.
    void overlapping(daybrook::ical::LocalTime from, daybrook::ical::LocalTime to,
                     std::vector<daybrook::ical::Occurrence>& found) const;

private:
    struct Block {
        std::int64_t number = 0;
        // By start then file order; the long ones (over a day) also stand apart, so that a day
        // is found with one binary search.
        std::vector<daybrook::ical::Occurrence> shortOnes;
        std::vector<daybrook::ical::Occurrence> longOnes;
    };

    // Null for a lone question (neither this block nor the one before was asked just before):
    // that goes to the index.
    std::shared_ptr<const Block> block(std::int64_t number) const;
    std::shared_ptr<const Block> build(std::int64_t number) const;

    const daybrook::ical::OccurrenceIndex& index_;
    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    mutable std::vector<std::shared_ptr<const Block>> recent_; // most recent last
    mutable std::int64_t lastAsked_ = INT64_MIN;
};

} // namespace pimstore
