// Why: the build answers its finders and look-backs from indexes; on logs full of retries,
// suspensions, errors, samples and interruptions it must give exactly what plain scans give.
#include "formats/joblog/JobLogFile.h"
#include "tests/ScratchFolder.h"
#include "tests/joblog/JobLogBuilder.h"
#include "tests/joblog/JobRecordsText.h"
#include "tests/joblog/LiteralRecordBuild.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Describe(const LiteralDetail& d)
{
    JobDetail detail;
    detail.nMailNo = d.nMailNo;
    detail.strProgress = d.strProgress;
    detail.nExpected = d.nExpected;
    detail.pSheets = std::make_unique<SheetList>();
    for (const SheetRecord& sheet : d.sheets) {
        detail.pSheets->push_back(sheet);
    }
    return ::Describe(detail);
}

// A finisher at work, at random: mails started (new numbers, retries, numbers written with
// leading zeros, samples), their sheets fed and stacked (sometimes twice, sometimes without
// a feed), finished (sometimes twice), suspensions and resumptions, errors, interruptions,
// and, in a hostile job, now and then a row that the log must be refused for.
class RandomJob
{
public:
    RandomJob(unsigned seed, bool hostile) : m_random(seed), m_hostile(hostile) {}

    LogBuilder Make(int events)
    {
        LogBuilder log;
        for (int i = 0; i < events; ++i) {
            Step(log);
        }
        if (Chance(4)) {
            log.Event("Job Canceled");
        } else {
            // Now and then more than were started: refused.
            const int requested =
                m_started - static_cast<int>(Pick(3)) + (m_hostile && Chance(10) ? 4 : 0);
            log.JobFinished(std::to_string(std::max(requested, 0)));
        }
        return log;
    }

private:
    struct Mail
    {
        std::string no;
        bool sample;
        int nextSheet = 1;
    };

    std::size_t Pick(std::size_t n)
    {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_random);
    }
    bool Chance(std::size_t oneIn) { return Pick(oneIn) == 0; }
    // The same number, now and then written with a leading zero.
    std::string Written(const std::string& no) { return !no.empty() && Chance(6) ? "0" + no : no; }
    Mail* Active()
    {
        if (m_active.empty()) {
            return nullptr;
        }
        // Mostly the latest mail, as a machine works; sometimes an older one.
        return &m_active[Chance(3) ? Pick(m_active.size()) : m_active.size() - 1];
    }

    void Start(LogBuilder& log)
    {
        Mail mail;
        mail.sample = Chance(7);
        if (mail.sample) {
            // An empty one refuses the finish of a normal mail that looks back past it.
            mail.no = m_hostile && Chance(4) ? "" : std::to_string(1 + Pick(40));
        } else if (!m_numbers.empty() && Chance(4)) {
            mail.no = m_numbers[Pick(m_numbers.size())];
        } else {
            mail.no = std::to_string(m_nextNumber++);
            m_numbers.push_back(mail.no);
        }
        m_started += mail.sample ? 0 : 1;
        log.MailStarted(mail.sample ? mail.no : Written(mail.no), std::to_string(Pick(4)),
                        mail.sample);
        m_active.push_back(mail);
    }

    void Step(LogBuilder& log)
    {
        static const char* const trays[] = {"Feed Tray 1",   "feed tray 2",          "FEED TRAY 3",
                                            "Standard Tray", "High Capacity Feeder", "Tray 9"};
        static const char* const types[] = {"Letter", "Letter", "Letter", "Envelope", ""};
        const std::size_t action = Pick(100);
        Mail* mail = Active();
        if (action < 14 || mail == nullptr) {
            Start(log);
        } else if (action < 42) {
            const int sheet = Chance(5) ? 1 + static_cast<int>(Pick(5)) : mail->nextSheet++;
            const std::string front = std::to_string(Pick(500));
            log.Feed(mail->sample ? mail->no : Written(mail->no), std::to_string(sheet), front,
                     Chance(3) ? "" : front + "1", trays[Pick(6)], mail->sample);
        } else if (action < 72) {
            const int sheet =
                Chance(6) ? 1 + static_cast<int>(Pick(6)) : std::max(1, mail->nextSheet - 1);
            log.Stack(mail->sample ? mail->no : Written(mail->no), std::to_string(sheet),
                      types[Pick(5)], mail->sample);
        } else if (action < 82) {
            log.MailFinished(mail->sample ? mail->no : Written(mail->no), mail->sample);
            if (!Chance(8)) {
                m_active.erase(m_active.begin() + (mail - m_active.data()));
            }
        } else if (action < 86) {
            log.Event("Suspended");
            if (!Chance(4)) {
                log.Event("Job Started");
            }
        } else if (action < 88) {
            log.Event("Job Started");
        } else if (action < 93) {
            log.Error("E" + std::to_string(Pick(90)));
        } else if (action < 96) {
            log.Event("Interrupt Started");
        } else if (action < 99) {
            log.Event("Interrupt Finished");
        } else if (m_hostile && Chance(3)) {
            // Rows that refuse the log: a mail never started, or a Mail No. that is no number.
            if (Chance(2)) {
                log.Stack("99999", "1");
            } else {
                log.Event("Error", {{4, "n/a"}});
            }
        }
    }

    std::mt19937 m_random;
    bool m_hostile;
    std::vector<Mail> m_active;
    std::vector<std::string> m_numbers;
    int m_nextNumber = 1;
    int m_started = 0;
};

class JobRecordsOracleTest : public ::testing::Test
{
protected:
    // Loads `log` both ways; false (with a failure reported) when they differ.
    bool LoadsAlike(const LogBuilder& log, const std::string& what)
    {
        const std::string path = m_scratch.Write("log.csv", log.Text());
        JobLogFile reader;
        const int result = reader.Load(path);
        std::fclose(reader.m_pStream);
        reader.m_pStream = nullptr;
        LiteralRecordBuild literal(log.Rows());
        const int expected = literal.Run();
        EXPECT_EQ(result, expected) << what;
        if (result != expected || result != 0) {
            m_refused += result != 0 ? 1 : 0;
            return result == expected;
        }
        ++m_loaded;
        bool same = Describe(*reader.m_pSummary) == Describe(literal.summary);
        EXPECT_EQ(Describe(*reader.m_pSummary), Describe(literal.summary)) << what;
        EXPECT_EQ(reader.m_pMails->size(), literal.mails.size()) << what;
        EXPECT_EQ(reader.m_pDetails->size(), literal.details.size()) << what;
        same = same && reader.m_pMails->size() == literal.mails.size() &&
               reader.m_pDetails->size() == literal.details.size();
        for (std::size_t i = 0; same && i < literal.mails.size(); ++i) {
            const MailRecord& mail = *(*reader.m_pMails)[i];
            same = Describe(mail) == Describe(literal.mails[i]);
            EXPECT_EQ(Describe(mail), Describe(literal.mails[i])) << what << ", mail " << i;
            m_kept += mail.nState == 2 && !mail.strStartTime.empty() ? 1 : 0;
        }
        for (std::size_t i = 0; same && i < literal.details.size(); ++i) {
            const JobDetail& detail = *(*reader.m_pDetails)[i];
            same = ::Describe(detail) == Describe(literal.details[i]);
            EXPECT_EQ(::Describe(detail), Describe(literal.details[i])) << what << ", detail " << i;
            for (const SheetRecord& sheet : *detail.pSheets) {
                ++m_sheetStates[sheet.nState];
            }
        }
        return same;
    }

    ScratchFolder m_scratch{"JobRecordsOracle"};
    int m_loaded = 0;
    int m_refused = 0;
    int m_kept = 0;
    int m_sheetStates[4] = {};
};

TEST_F(JobRecordsOracleTest, IndexedBuildGivesWhatPlainScansGive)
{
    for (unsigned seed = 1; seed <= 300; ++seed) {
        const LogBuilder log =
            RandomJob(seed, seed % 3 == 0).Make(40 + static_cast<int>(seed % 7) * 60);
        if (!LoadsAlike(log, "seed " + std::to_string(seed))) {
            break;
        }
    }
    // The logs are varied enough to mean something.
    EXPECT_GT(m_loaded, 150);
    EXPECT_GT(m_refused, 30);
    EXPECT_GT(m_kept, 500) << "suspended attempts kept";
    for (int state = 0; state < 4; ++state) {
        EXPECT_GT(m_sheetStates[state], 500) << "sheets in state " << state;
    }
}

TEST_F(JobRecordsOracleTest, LongLogsWithManyMailsAgreeToo)
{
    // Enough mails for every index to grow many times over.
    for (unsigned seed = 1000; seed < 1003; ++seed) {
        if (!LoadsAlike(RandomJob(seed, false).Make(4000), "seed " + std::to_string(seed))) {
            break;
        }
    }
    EXPECT_EQ(m_loaded, 3);
}

} // namespace
