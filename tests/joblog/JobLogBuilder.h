// Builds job log texts for tests: the eight header rows, a "Job Started" row, then one call
// per event row. Every row gets its own time (one second after the row before), so a test
// can name the time of any row.
#pragma once

#include "formats/joblog/LogVocabulary.h"

#include <cstddef>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

using LogRows = std::vector<std::vector<std::string>>;

// The eight header rows of the "Statements" job, its fourth tray named `fourthKey`.
inline LogRows LogHeaderRows(const std::string& fourthKey, const std::string& fourthTray)
{
    const auto headings = std::span(kLogVocabulary).subspan(9, 13);
    return {
        {"Making Mail History", "", "2.00"},
        {"Job name", "Statements"},
        {"Job ID", "J-1"},
        {"Feed Tray 1", "A4"},
        {"Feed Tray 2", "A4 logo"},
        {"Feed Tray 3", "C5"},
        {fourthKey, fourthTray},
        std::vector<std::string>(headings.begin(), headings.end()),
    };
}

class LogBuilder
{
public:
    static constexpr std::size_t kFields = 14;

    LogBuilder()
    {
        m_rows = LogHeaderRows("High Capacity Feeder", "A4 bulk");
        for (auto& row : m_rows) {
            row.resize(kFields);
        }
        Event("Job Started");
    }

    // A row with `event` and the fields given as {index, text} pairs; returns its index.
    std::size_t Event(const std::string& event,
                      std::initializer_list<std::pair<std::size_t, std::string>> fields = {})
    {
        std::vector<std::string> row(kFields);
        row[0] = std::to_string(m_rows.size() - 7);
        row[1] = TimeOf(m_rows.size());
        row[2] = event;
        for (const auto& [index, text] : fields) {
            row[index] = text;
        }
        m_rows.push_back(row);
        return m_rows.size() - 1;
    }

    std::size_t MailStarted(const std::string& mailNo, const std::string& letters,
                            bool sample = false)
    {
        return Event("Mail Started", {{4, mailNo}, {10, sample ? "Sample" : ""}, {11, letters}});
    }
    std::size_t Feed(const std::string& mailNo, const std::string& sheet,
                     const std::string& front = "1", const std::string& back = "",
                     const std::string& tray = "Feed Tray 1", bool sample = false)
    {
        return Event("Sheet Feeded", {{4, mailNo},
                                      {6, sheet},
                                      {7, front},
                                      {8, back},
                                      {9, tray},
                                      {10, sample ? "Sample" : ""}});
    }
    std::size_t Stack(const std::string& mailNo, const std::string& sheet,
                      const std::string& type = "Letter", bool sample = false)
    {
        return Event("Sheet Stacked",
                     {{4, mailNo}, {5, type}, {6, sheet}, {10, sample ? "Sample" : ""}});
    }
    std::size_t MailFinished(const std::string& mailNo, bool sample = false)
    {
        return Event("Mail Finished", {{4, mailNo}, {10, sample ? "Sample" : ""}});
    }
    std::size_t Error(const std::string& errorNo) { return Event("Error", {{3, errorNo}}); }
    std::size_t JobFinished(const std::string& requested)
    {
        return Event("Job Finished", {{12, requested}});
    }

    std::vector<std::string>& Row(std::size_t row) { return m_rows[row]; }
    const LogRows& Rows() const { return m_rows; }
    static std::string TimeOf(std::size_t row)
    {
        char text[32];
        std::snprintf(text, sizeof text, "2020/01/31 %02zu:%02zu:%02zu", row / 3600 % 24,
                      row / 60 % 60, row % 60);
        return text;
    }
    std::string Text() const
    {
        std::string text;
        for (const auto& row : m_rows) {
            for (std::size_t i = 0; i < row.size(); ++i) {
                text += (i == 0 ? "" : ",") + row[i];
            }
            text += "\r\n";
        }
        return text;
    }

private:
    LogRows m_rows;
};
