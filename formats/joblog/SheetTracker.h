// The sheet side of the record build: finds, for each detail and sheet number, the sheets
// that are still only fed and the first sheet left, and for each detail the range of its
// sheets that a suspension or a finish may still change, so that no event scans all
// sheets of a detail, or all details, more than once in total.
//
// Sheets are addressed by their place in their detail's vector. A sheet that a finish
// deletes stays in its place, marked deleted, until Compact removes it at the end of the
// build.
// Relies on every event row having its time, which the build checks before a row's steps:
// a sheet is then fed exactly while its strTime is empty.
#pragma once

#include "formats/joblog/FlatMap.h"
#include "formats/joblog/JobDetail.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class SheetTracker
{
public:
    // `errorEntryLimit`: the most error entries that AddErrorEntries may add in all.
    explicit SheetTracker(std::uint64_t errorEntryLimit);

    // The detail at index `detail` was just appended; it starts unfinished.
    void AddDetail(std::uint32_t detail);
    // Appends `sheet`, fed, to the sheets of `detail`.
    void Feed(std::uint32_t detail, SheetList& sheets, SheetRecord sheet);
    // Sheet `sheetNo` of `detail` was stacked at `time`: every fed sheet of that number is
    // stacked; with none, the first sheet of that number appears once more, stacked.
    void Stack(std::uint32_t detail, SheetList& sheets, std::uint32_t sheetNo,
               std::string_view time);
    // In every unfinished detail, every fed sheet is suspended at `time`.
    void SuspendUnfinished(const DetailList& details, std::string_view time);
    // The mail of `detail` finished after a suspension: its suspended sheets are deleted and
    // its fed sheets count as stacked at `time`.
    void SettleAfterSuspension(std::uint32_t detail, SheetList& sheets, std::string_view time);
    // Appends an error entry to every unfinished detail; false (adding nothing) when that
    // would pass the limit.
    bool AddErrorEntries(const DetailList& details, std::string_view time,
                         std::string_view errorNo);
    // Removes the deleted sheets.
    void Compact(DetailList& details);

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;
    // The state of a deleted sheet until Compact; never seen outside the build.
    static constexpr std::int32_t kDeleted = -1;

    // One sheet of a group (fed or stacked again), in the order the sheets were appended.
    struct Node
    {
        std::uint32_t place;
        std::uint32_t next;
    };
    // The sheets of one number in one detail (error entries are in no group).
    struct Group
    {
        std::uint32_t first = kNone;   // the first sheet not deleted, as far as known
        std::uint32_t last = kNone;    // the latest sheet appended
        std::uint32_t fedFrom = kNone; // no sheet before this one is still fed
    };
    struct GroupKey
    {
        std::uint32_t detail;
        std::uint32_t sheetNo;
        bool operator==(const GroupKey&) const = default;
    };
    struct GroupHash
    {
        std::uint64_t operator()(const GroupKey& key) const
        {
            return (std::uint64_t{key.detail} << 32) | key.sheetNo;
        }
    };
    // Sheets 1 to kInlineGroups, which nearly every mail sticks to, find their group here
    // without hashing.
    static constexpr std::uint32_t kInlineGroups = 8;
    struct DetailMarks
    {
        std::uint32_t fedFrom = 0;                // no sheet before this place is still fed
        std::uint32_t suspendedFrom = kNone;      // no suspended sheet before this place
        bool listed = false;                      // in m_fedDetails
        bool holes = false;                       // a sheet was deleted
        std::uint32_t groups[kInlineGroups] = {}; // group index + 1 of sheets 1, 2, ...; 0 none
    };

    Group* FindGroup(std::uint32_t detail, std::uint32_t sheetNo);
    Group& GroupOf(std::uint32_t detail, std::uint32_t sheetNo);
    void AddToGroup(std::uint32_t detail, std::uint32_t sheetNo, std::uint32_t place, bool fed);

    std::vector<Node> m_nodes;
    std::vector<Group> m_groups;
    FlatMap<GroupKey, std::uint32_t, GroupHash> m_otherGroups; // group index + 1
    std::vector<DetailMarks> m_marks;
    std::vector<std::uint32_t> m_fedDetails; // details fed since the last suspension
    std::vector<std::uint32_t> m_unfinished; // details that were unfinished when last seen
    std::uint64_t m_errorEntries = 0;
    std::uint64_t m_errorEntryLimit;
};
