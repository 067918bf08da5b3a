// The texts of the job log: title, version, row keys, column headings, sheet types and event
// names, in their fixed order. They are constants, complete before any code runs, and fields
// are compared against them exactly (letter case included).
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

inline constexpr std::array<std::string_view, 35> kLogVocabulary = {
    "Making Mail History", // 0 title (a substring of row 0, field 0)
    "2.00",                // 1 format version (row 0, field 2, in 13-comma files)
    "Job name",            // 2..8 row keys (field 0 of rows 1 to 6)
    "Job ID",
    "Feed Tray 1",
    "Feed Tray 2",
    "Feed Tray 3",
    "Standard Tray",
    "High Capacity Feeder",
    "No.", // 9..21 column headings (row 7, fields 0 to 12)
    "Time",
    "Result",
    "Error No.",
    "Mail No.",
    "Type",
    "Sheet",
    "Front Page",
    "Back Page",
    "Tray",
    "Sample", // also the value of field 10 on sample rows
    "Letter Sheets",
    "Number of making mail",
    "Letter", // 22..23 sheet types (field 5)
    "Envelope",
    "Job Started", // 24..34 event names (field 2)
    "Job Finished",
    "Job Canceled",
    "Mail Started",
    "Mail Finished",
    "Sheet Feeded",
    "Sheet Stacked",
    "Suspended",
    "Error",
    "Interrupt Started",
    "Interrupt Finished",
};

inline constexpr std::string_view kLogTitle = kLogVocabulary[0];
inline constexpr std::string_view kLogVersion = kLogVocabulary[1];
inline constexpr std::string_view kLogKeyJobName = kLogVocabulary[2];
inline constexpr std::string_view kLogKeyJobId = kLogVocabulary[3];
inline constexpr std::string_view kLogKeyFeedTray1 = kLogVocabulary[4];
inline constexpr std::string_view kLogKeyFeedTray2 = kLogVocabulary[5];
inline constexpr std::string_view kLogKeyFeedTray3 = kLogVocabulary[6];
inline constexpr std::string_view kLogKeyStandardTray = kLogVocabulary[7];
inline constexpr std::string_view kLogKeyHighCapacityFeeder = kLogVocabulary[8];
inline constexpr std::string_view kLogSample = kLogVocabulary[19];
inline constexpr std::string_view kLogLetter = kLogVocabulary[22];
inline constexpr std::string_view kLogEnvelope = kLogVocabulary[23];
inline constexpr std::string_view kLogJobStarted = kLogVocabulary[24];
inline constexpr std::string_view kLogJobFinished = kLogVocabulary[25];
inline constexpr std::string_view kLogJobCanceled = kLogVocabulary[26];
inline constexpr std::string_view kLogMailStarted = kLogVocabulary[27];
inline constexpr std::string_view kLogMailFinished = kLogVocabulary[28];
inline constexpr std::string_view kLogSheetFeeded = kLogVocabulary[29];
inline constexpr std::string_view kLogSheetStacked = kLogVocabulary[30];
inline constexpr std::string_view kLogSuspended = kLogVocabulary[31];
inline constexpr std::string_view kLogError = kLogVocabulary[32];
inline constexpr std::string_view kLogInterruptStarted = kLogVocabulary[33];
inline constexpr std::string_view kLogInterruptFinished = kLogVocabulary[34];

// The 13 column headings, in column order (row 7, fields 0 to 12).
inline constexpr std::span<const std::string_view, 13> kLogHeadings{kLogVocabulary.data() + 9, 13};
// The 11 event names (field 2 of event rows).
inline constexpr std::span<const std::string_view, 11> kLogEvents{kLogVocabulary.data() + 24, 11};
