// The page-image streams the round-trip tests write: every level mode, both plane paths,
// each imposition kind in both styles, orientations, copies, marks, hidden sub-pages.
#pragma once

#include "tools/PageStream.h"

#include <functional>
#include <ostream>
#include <vector>

namespace sample_streams {

using samplejob::LevelMode;
using samplejob::PageStreamOptions;
using samplejob::StreamDefect;

struct StreamVariant
{
    const char* name;
    samplejob::JobLogOptions job;
    PageStreamOptions options;
};

inline void PrintTo(const StreamVariant& variant, std::ostream* out)
{
    *out << variant.name;
}

inline StreamVariant Variant(const char* name,
                             const std::function<void(PageStreamOptions&)>& change,
                             const std::function<void(samplejob::JobLogOptions&)>& job = nullptr)
{
    StreamVariant variant{name, {}, {}};
    variant.job.mails = 3;
    variant.job.letters = 2;
    variant.options.resolution = 30; // small planes keep the checked build quick
    change(variant.options);
    if (job) {
        job(variant.job);
    }
    return variant;
}

inline const std::vector<StreamVariant>& StreamVariants()
{
    static const std::vector<StreamVariant> variants = {
        Variant("ThreeBit", [](PageStreamOptions&) {}),
        Variant("TwoBit", [](PageStreamOptions& o) { o.levels = LevelMode::TwoBit; }),
        Variant("FourBit", [](PageStreamOptions& o) { o.levels = LevelMode::FourBit; }),
        Variant("FivePlaneThreeBit", [](PageStreamOptions& o) { o.fivePlanes = true; }),
        Variant("FivePlaneTwoBitFineBlack",
                [](PageStreamOptions& o) {
                    o.fivePlanes = true;
                    o.levels = LevelMode::TwoBit;
                    o.blackLevels = LevelMode::TwoBit;
                    o.blackResolution = 60;
                }),
        Variant("FivePlaneFourBitCoarseBlackRedSpot",
                [](PageStreamOptions& o) {
                    o.fivePlanes = true;
                    o.levels = LevelMode::FourBit;
                    o.blackResolution = 20;
                    o.redSpot = true;
                }),
        Variant("PerSubPageOrientation",
                [](PageStreamOptions& o) {
                    o.levels = LevelMode::FourBit;
                    o.orientationPerSubPage = true;
                    o.letterOrientation = 3;
                }),
        Variant("PerSubPageOrientationTurnedLeft",
                [](PageStreamOptions& o) {
                    o.levels = LevelMode::TwoBit;
                    o.orientationPerSubPage = true;
                    o.letterOrientation = 2;
                }),
        Variant("SecondStyleFivePlane",
                [](PageStreamOptions& o) {
                    o.levels = LevelMode::TwoBit;
                    o.orientationPerSubPage = true;
                    o.jobKind = 1;
                    o.fivePlanes = true;
                }),
        Variant("SecondStyleFivePlaneFineBlack",
                [](PageStreamOptions& o) {
                    o.levels = LevelMode::TwoBit;
                    o.jobKind = 1;
                    o.fivePlanes = true;
                    o.blackResolution = 80;
                }),
        Variant("JobOrientation2", [](PageStreamOptions& o) { o.jobOrientation = 2; }),
        Variant("JobOrientation3", [](PageStreamOptions& o) { o.jobOrientation = 3; }),
        Variant("JobOrientation4PairsFourBit",
                [](PageStreamOptions& o) {
                    o.levels = LevelMode::FourBit;
                    o.jobOrientation = 4;
                    o.impositionKind = 3;
                }),
        Variant("ReverseKind1", [](PageStreamOptions& o) { o.impositionKind = 1; }),
        Variant("ReverseKind2Hidden",
                [](PageStreamOptions& o) {
                    o.impositionKind = 2;
                    o.hiddenSubPages = true;
                }),
        Variant("PairsKind3Marks",
                [](PageStreamOptions& o) {
                    o.impositionKind = 3;
                    o.marks = true;
                }),
        Variant("PairsKind4Copies",
                [](PageStreamOptions& o) {
                    o.impositionKind = 4;
                    o.copies = 3;
                }),
        Variant("ReverseWithoutPairs",
                [](PageStreamOptions& o) {
                    o.impositionKind = 1;
                    o.levels = LevelMode::FourBit;
                    o.orientationPerSubPage = true;
                }),
        Variant("ReverseSecondStyleHiddenMarks",
                [](PageStreamOptions& o) {
                    o.impositionKind = 2;
                    o.levels = LevelMode::FourBit;
                    o.orientationPerSubPage = true;
                    o.jobKind = 1;
                    o.hiddenSubPages = true;
                    o.marks = true;
                }),
        Variant("Kind3PerSubPage",
                [](PageStreamOptions& o) {
                    o.impositionKind = 3;
                    o.levels = LevelMode::TwoBit;
                    o.orientationPerSubPage = true;
                }),
        Variant("Kind4PerSubPageFivePlaneCopies",
                [](PageStreamOptions& o) {
                    o.impositionKind = 4;
                    o.levels = LevelMode::FourBit;
                    o.orientationPerSubPage = true;
                    o.fivePlanes = true;
                    o.copies = 2;
                }),
        Variant("Kind0CopiesHiddenMarks",
                [](PageStreamOptions& o) {
                    o.copies = 2;
                    o.hiddenSubPages = true;
                    o.marks = true;
                }),
        Variant("BareShortBands",
                [](PageStreamOptions& o) {
                    o.otherCommands = false;
                    o.bandLines = 7;
                }),
        Variant(
            "SimplexOddCount", [](PageStreamOptions& o) { o.impositionKind = 3; },
            [](samplejob::JobLogOptions& j) {
                j.duplex = false;
                j.letters = 3;
                j.mails = 4;
            }),
        Variant(
            "EnvelopesOnly", [](PageStreamOptions& o) { o.impositionKind = 1; },
            [](samplejob::JobLogOptions& j) { j.letters = 0; }),
        Variant(
            "OneMailAtFullResolution", [](PageStreamOptions& o) { o.resolution = 150; },
            [](samplejob::JobLogOptions& j) {
                j.mails = 1;
                j.letters = 1;
            }),
        Variant("ShortBandDefect",
                [](PageStreamOptions& o) { o.defect = StreamDefect::ShortBand; }),
    };
    return variants;
}

} // namespace sample_streams
