// The rows of a job log, held compactly: the log's bytes once, one view of each row's line,
// and the fields cut out of a line when its row is asked for. Every stored line was split once
// on the way in, so all rows have the same number of fields (13 or 14).
//
//   const JobLogRows& rows = *reader.m_pRows;
//   for (std::size_t i = 8; i < rows.size(); ++i) {
//       const JobLogRow row = rows[i];
//       std::string_view time = row[1];   // a view into the bytes that `rows` keeps
//   }
#pragma once

#include "platform/MappedFile.h"

#include <array>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

// One row: its fields as views into the bytes of the JobLogRows it came from, valid while
// those rows live. A field number past the row's end reads as the empty text.
class JobLogRow
{
public:
    static constexpr std::size_t kMaxFields = 14;

    std::size_t size() const { return m_count; }
    std::string_view operator[](std::size_t field) const
    {
        return field < m_count ? m_fields[field] : std::string_view();
    }

private:
    friend class JobLogRows;
    std::array<std::string_view, kMaxFields> m_fields{};
    std::size_t m_count = 0;
};

class JobLogRows
{
public:
    // Takes in the whole file open as `stream`, block by block. After each block, `accept`
    // sees all bytes read so far, the new block among them, and whether that was all; once it
    // refuses, no further block is read. False when the file cannot be read, shrinks
    // meanwhile, or is refused.
    using BlockCheck =
        std::function<bool(std::string_view read, std::string_view block, bool whole)>;
    bool Load(std::FILE* stream, const BlockCheck& accept);
    std::string_view Bytes() const { return m_file.Bytes(); }
    // True while the file open as `stream` still has the size it had when it was read.
    bool IsFileWhole(std::FILE* stream) const { return m_file.HasSizeOf(stream); }

    // Room for `count` rows, so that appending never moves them.
    void Reserve(std::size_t count) { m_lines.reserve(count); }
    // The bytes of the rows before `row` may leave memory: those rows must not be read again.
    void DropRowsBefore(std::size_t row)
    {
        if (row < m_lines.size()) {
            m_file.DropBefore(static_cast<std::size_t>(m_lines[row].data() - Bytes().data()));
        }
    }
    // `line` must lie inside Bytes().
    void Append(std::string_view line) { m_lines.push_back(line); }

    std::size_t size() const { return m_lines.size(); }
    bool empty() const { return m_lines.empty(); }
    JobLogRow operator[](std::size_t row) const;

    // Cuts `line` at every comma into `fields` and returns the number of fields (commas + 1);
    // when there are more than fit, returns fields.size() + 1 and the fields are incomplete.
    static std::size_t CutFields(std::string_view line, std::span<std::string_view> fields);
    // The number of commas in `line`; cheaper than cutting it.
    static std::size_t CountCommas(std::string_view line);

private:
    platform::MappedFile m_file;
    std::vector<std::string_view> m_lines;
};
