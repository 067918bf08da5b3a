#include "formats/joblog/SheetTracker.h"

#include <algorithm>

namespace {

bool IsUnfinished(const JobDetail& detail)
{
    return detail.strProgress.empty();
}

} // namespace

SheetTracker::SheetTracker(std::uint64_t errorEntryLimit) : m_errorEntryLimit(errorEntryLimit) {}

void SheetTracker::AddDetail(std::uint32_t detail)
{
    if (m_marks.size() <= detail) {
        m_marks.resize(std::size_t{detail} + 1);
    }
    m_unfinished.push_back(detail);
}

SheetTracker::Group* SheetTracker::FindGroup(std::uint32_t detail, std::uint32_t sheetNo)
{
    std::uint32_t indexPlusOne = 0;
    if (sheetNo >= 1 && sheetNo <= kInlineGroups) {
        indexPlusOne = m_marks[detail].groups[sheetNo - 1];
    } else if (const std::uint32_t* found = m_otherGroups.Find(GroupKey{detail, sheetNo})) {
        indexPlusOne = *found;
    }
    return indexPlusOne != 0 ? &m_groups[indexPlusOne - 1] : nullptr;
}

SheetTracker::Group& SheetTracker::GroupOf(std::uint32_t detail, std::uint32_t sheetNo)
{
    std::uint32_t& indexPlusOne = sheetNo >= 1 && sheetNo <= kInlineGroups
                                      ? m_marks[detail].groups[sheetNo - 1]
                                      : m_otherGroups.FindOrInsert(GroupKey{detail, sheetNo}, 0);
    if (indexPlusOne == 0) {
        m_groups.emplace_back();
        indexPlusOne = static_cast<std::uint32_t>(m_groups.size());
    }
    return m_groups[indexPlusOne - 1];
}

void SheetTracker::AddToGroup(std::uint32_t detail, std::uint32_t sheetNo, std::uint32_t place,
                              bool fed)
{
    const auto node = static_cast<std::uint32_t>(m_nodes.size());
    m_nodes.push_back(Node{place, kNone});
    Group& group = GroupOf(detail, sheetNo);
    if (group.last != kNone) {
        m_nodes[group.last].next = node;
    }
    group.last = node;
    if (group.first == kNone) {
        group.first = node;
    }
    if (fed && group.fedFrom == kNone) {
        group.fedFrom = node;
    }
}

void SheetTracker::Feed(std::uint32_t detail, SheetList& sheets, SheetRecord sheet)
{
    const auto place = static_cast<std::uint32_t>(sheets.size());
    const std::uint32_t sheetNo = sheet.nSheetNo;
    sheets.push_back(std::move(sheet));
    AddToGroup(detail, sheetNo, place, true);
    DetailMarks& marks = m_marks[detail];
    if (!marks.listed) {
        marks.listed = true;
        m_fedDetails.push_back(detail);
    }
}

void SheetTracker::Stack(std::uint32_t detail, SheetList& sheets, std::uint32_t sheetNo,
                         std::string_view time)
{
    Group* group = FindGroup(detail, sheetNo);
    if (group == nullptr) {
        return;
    }
    bool stacked = false;
    for (std::uint32_t node = group->fedFrom; node != kNone; node = m_nodes[node].next) {
        SheetRecord& sheet = sheets[m_nodes[node].place];
        if (sheet.nState == kSheetFed) {
            sheet.nState = kSheetStacked;
            sheet.strTime = time;
            stacked = true;
        }
    }
    group->fedFrom = kNone;
    if (stacked) {
        return;
    }
    // None of this number is fed: its first sheet left (stacked or suspended) appears again.
    while (group->first != kNone && sheets[m_nodes[group->first].place].nState == kDeleted) {
        group->first = m_nodes[group->first].next;
    }
    if (group->first == kNone) {
        return;
    }
    const SheetRecord& first = sheets[m_nodes[group->first].place];
    SheetRecord again;
    again.nSheetNo = first.nSheetNo;
    again.nTray = first.nTray;
    again.nFrontPage = first.nFrontPage;
    again.nBackPage = first.nBackPage;
    again.nState = kSheetStacked;
    again.strTime = time;
    const auto place = static_cast<std::uint32_t>(sheets.size());
    sheets.push_back(std::move(again));
    AddToGroup(detail, sheetNo, place, false);
}

void SheetTracker::SuspendUnfinished(const DetailList& details, std::string_view time)
{
    // An unfinished detail has fed sheets only if one was fed since the last suspension; a
    // finished one never becomes unfinished again.
    for (const std::uint32_t index : m_fedDetails) {
        DetailMarks& marks = m_marks[index];
        marks.listed = false;
        const JobDetail& detail = *details[index];
        if (!IsUnfinished(detail) || !detail.pSheets) {
            continue;
        }
        SheetList& sheets = *detail.pSheets;
        for (std::size_t place = marks.fedFrom; place < sheets.size(); ++place) {
            SheetRecord& sheet = sheets[place];
            if (sheet.nState == kSheetFed) {
                sheet.nState = kSheetSuspended;
                sheet.strTime = time;
                marks.suspendedFrom =
                    std::min(marks.suspendedFrom, static_cast<std::uint32_t>(place));
            }
        }
        marks.fedFrom = static_cast<std::uint32_t>(sheets.size());
    }
    m_fedDetails.clear();
}

void SheetTracker::SettleAfterSuspension(std::uint32_t detail, SheetList& sheets,
                                         std::string_view time)
{
    DetailMarks& marks = m_marks[detail];
    if (marks.suspendedFrom != kNone) {
        for (std::size_t place = marks.suspendedFrom; place < sheets.size(); ++place) {
            if (sheets[place].nState == kSheetSuspended) {
                sheets[place].nState = kDeleted;
                marks.holes = true;
            }
        }
        marks.suspendedFrom = kNone;
    }
    for (std::size_t place = marks.fedFrom; place < sheets.size(); ++place) {
        SheetRecord& sheet = sheets[place];
        if (sheet.nState == kSheetFed) {
            sheet.nState = kSheetStacked;
            sheet.strTime = time;
        }
    }
    marks.fedFrom = static_cast<std::uint32_t>(sheets.size());
}

bool SheetTracker::AddErrorEntries(const DetailList& details, std::string_view time,
                                   std::string_view errorNo)
{
    const auto finished = [&details](std::uint32_t index) {
        return !IsUnfinished(*details[index]) || !details[index]->pSheets;
    };
    std::erase_if(m_unfinished, finished);
    if (m_unfinished.size() > m_errorEntryLimit - m_errorEntries) {
        return false;
    }
    m_errorEntries += m_unfinished.size();
    SheetRecord entry;
    entry.nSheetNo = kNoNumber;
    entry.nTray = kNotSet;
    entry.nState = kSheetError;
    entry.strTime = time;
    entry.strErrorNo = errorNo;
    entry.nFrontPage = kNoNumber;
    entry.nBackPage = kNoNumber;
    for (const std::uint32_t index : m_unfinished) {
        details[index]->pSheets->push_back(entry);
    }
    return true;
}

void SheetTracker::Compact(DetailList& details)
{
    for (std::size_t index = 0; index < m_marks.size() && index < details.size(); ++index) {
        if (m_marks[index].holes && details[index]->pSheets) {
            std::erase_if(*details[index]->pSheets,
                          [](const SheetRecord& sheet) { return sheet.nState == kDeleted; });
            m_marks[index].holes = false;
        }
    }
}
