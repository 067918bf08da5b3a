// The job logs the log tests write: both comma counts and line ends, byte order marks,
// retries, suspensions, errors, samples, interruptions, cancels, names outside ASCII.
#pragma once

#include "tools/LargeInputs.h"
#include "tools/SampleJobLog.h"

#include <functional>
#include <ostream>
#include <vector>

namespace sample_logs {

using samplejob::JobEnd;
using samplejob::JobLogOptions;
using samplejob::LineEnd;

struct LogVariant
{
    const char* name;
    JobLogOptions options;
};

inline void PrintTo(const LogVariant& variant, std::ostream* out)
{
    *out << variant.name;
}

inline JobLogOptions Log(const std::function<void(JobLogOptions&)>& change)
{
    JobLogOptions options;
    options.seed = 4242;
    change(options);
    return options;
}

inline const std::vector<LogVariant>& LogVariants()
{
    static const std::vector<LogVariant> variants = {
        {"Plain", Log([](JobLogOptions&) {})},
        {"TwelveCommas", Log([](JobLogOptions& o) { o.commas = 12; })},
        {"TwelveCommasLf", Log([](JobLogOptions& o) {
             o.commas = 12;
             o.lineEnd = LineEnd::Lf;
         })},
        {"ThirteenCommasLf", Log([](JobLogOptions& o) { o.lineEnd = LineEnd::Lf; })},
        {"ByteOrderMark", Log([](JobLogOptions& o) { o.byteOrderMark = true; })},
        {"ByteOrderMarkTwelveCommasLf", Log([](JobLogOptions& o) {
             o.byteOrderMark = true;
             o.commas = 12;
             o.lineEnd = LineEnd::Lf;
         })},
        {"Retries", Log([](JobLogOptions& o) { o.retries = 3; })},
        {"Suspensions", Log([](JobLogOptions& o) { o.suspensions = 4; })},
        {"Errors", Log([](JobLogOptions& o) { o.errors = 5; })},
        {"SampleMails", Log([](JobLogOptions& o) { o.sampleMails = 3; })},
        {"Interruptions", Log([](JobLogOptions& o) { o.interruptions = 3; })},
        {"Canceled", Log([](JobLogOptions& o) { o.end = JobEnd::Canceled; })},
        {"CanceledAfterRetries", Log([](JobLogOptions& o) {
             o.end = JobEnd::Canceled;
             o.retries = 2;
             o.errors = 1;
         })},
        {"SimplexHighCapacityFeeder", Log([](JobLogOptions& o) {
             o.duplex = false;
             o.letters = 4;
             o.highCapacityFeeder = true;
         })},
        {"NoMails", Log([](JobLogOptions& o) { o.mails = 0; })},
        {"NoLetters", Log([](JobLogOptions& o) {
             o.letters = 0;
             o.suspensions = 2;
         })},
        {"NamesOutsideAscii", Log([](JobLogOptions& o) {
             o.jobName = "Rechnungen M\xC3\xA4rz \xE8\xAB\x8B\xE6\xB1\x82";
             o.jobId = "\xC3\x9C-7";
         })},
        {"Everything", Log([](JobLogOptions& o) {
             o.mails = 25;
             o.letters = 3;
             o.retries = 4;
             o.suspensions = 5;
             o.errors = 4;
             o.sampleMails = 3;
             o.interruptions = 3;
             o.commas = 12;
             o.byteOrderMark = true;
         })},
        {"LargeInputMix", samplejob::LargeJobLogOptions(20000, 9)},
    };
    return variants;
}

} // namespace sample_logs
