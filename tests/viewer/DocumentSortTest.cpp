// Why: the lists are sorted and filtered through the document's vectors of pointers; a wrong
// comparator or tie-break shows the user a wrong order, a wrong filter text hides mails that
// should show, and a detail found by position instead of number shows another mail's sheets.
#include "formats/joblog/JobLogFile.h"
#include "platform/Utf8.h"
#include "tests/viewer/DocumentTestSupport.h"
#include "tools/SampleFiles.h"
#include "viewer/document/ListComparators.h"
#include "viewer/document/ListSorting.h"

namespace {

class RecordingView : public DocumentView
{
public:
    void OnUpdate(DocumentView*, int hint) override { hints.push_back(hint); }
    std::vector<int> hints;
};

using MailOrder = bool (*)(const MailRecord*, const MailRecord*);
using SheetOrder = bool (*)(const SheetRecord*, const SheetRecord*);
constexpr std::array<MailOrder, 6> kMailLess = {MailLessByNumber,   MailLessByKind,
                                                MailLessByProgress, MailLessByResult,
                                                MailLessByStart,    MailLessByEnd};
constexpr std::array<MailOrder, 6> kMailGreater = {MailGreaterByNumber,   MailGreaterByKind,
                                                   MailGreaterByProgress, MailGreaterByResult,
                                                   MailGreaterByStart,    MailGreaterByEnd};
constexpr std::array<SheetOrder, 6> kSheetLess = {SheetLessByNumber,    SheetLessByTray,
                                                  SheetLessByResult,    SheetLessByTime,
                                                  SheetLessByFrontPage, SheetLessByBackPage};
constexpr std::array<SheetOrder, 6> kSheetGreater = {
    SheetGreaterByNumber, SheetGreaterByTray,      SheetGreaterByResult,
    SheetGreaterByTime,   SheetGreaterByFrontPage, SheetGreaterByBackPage};

class DocumentSortTest : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        m_log->m_pSummary = std::make_unique<JobSummary>();
        m_log->m_pSummary->nCreatedMails = 1;
        m_log->m_pMails = std::make_unique<MailList>();
        m_log->m_pDetails = std::make_unique<DetailList>();
        m_document->SetView(ViewSlot::MailList, &m_mailView);
        m_document->SetView(ViewSlot::MailDetail, &m_detailView);
    }

    MailRecord* Mail(std::uint32_t number, std::int32_t kind, std::int32_t state, std::string start,
                     std::string end = {}, std::string progress = {}, std::string error = {})
    {
        auto mail = std::make_unique<MailRecord>();
        mail->nMailNo = number;
        mail->nKind = kind;
        mail->nState = state;
        mail->strStartTime = std::move(start);
        mail->strEndTime = std::move(end);
        mail->strProgress = std::move(progress);
        mail->strErrorNo = std::move(error);
        m_log->m_pMails->push_back(std::move(mail));
        return m_log->m_pMails->back().get();
    }
    // A detail with sheets given as (number, tray, state, time, front, back).
    void Detail(std::uint32_t number, std::vector<SheetRecord> sheets)
    {
        auto detail = std::make_unique<JobDetail>();
        detail->nMailNo = number;
        detail->pSheets = std::make_unique<SheetList>(std::move(sheets));
        m_log->m_pDetails->push_back(std::move(detail));
    }
    void Load()
    {
        OpenLogContext context;
        context.pJobLogFile = std::move(m_log);
        m_document->FillDocument(context);
        m_mailView.hints.clear();
        m_detailView.hints.clear();
    }
    const std::vector<MailRecord*>& Mails() const { return *m_document->m_pMails; }

    std::unique_ptr<JobLogFile> m_log = std::make_unique<JobLogFile>();
    RecordingView m_mailView;
    RecordingView m_detailView;
};

SheetRecord Sheet(std::uint32_t number, std::string time, std::uint32_t front = 1,
                  std::uint32_t back = 2, std::int32_t tray = 1, std::int32_t state = 1,
                  std::string error = {})
{
    SheetRecord sheet;
    sheet.nSheetNo = number;
    sheet.nTray = tray;
    sheet.nState = state;
    sheet.strTime = std::move(time);
    sheet.nFrontPage = front;
    sheet.nBackPage = back;
    sheet.strErrorNo = std::move(error);
    return sheet;
}

TEST_F(DocumentSortTest, FirstClickSortsDescendingTheNextAscendingAnotherColumnResets)
{
    MailRecord* b = Mail(2, 2, 1, "2024/01/01 10:00:02");
    MailRecord* none = Mail(kNoNumber, 1, 1, "2024/01/01 10:00:03");
    MailRecord* a = Mail(1, 2, 1, "2024/01/01 10:00:01");
    Load();
    // After an open: ascending start order, and the first click on start reverses it.
    EXPECT_EQ(Mails(), (std::vector<MailRecord*>{a, b, none}));
    EXPECT_FALSE(m_document->SortMailList(4));
    EXPECT_EQ(Mails(), (std::vector<MailRecord*>{none, b, a}));

    // The number column: "no number" is the largest.
    EXPECT_FALSE(m_document->SortMailList(0));
    EXPECT_EQ(Mails(), (std::vector<MailRecord*>{none, b, a}));
    EXPECT_TRUE(g_bMailSortAscending[4]) << "another column's click resets the others";
    EXPECT_TRUE(m_document->SortMailList(0));
    EXPECT_EQ(Mails(), (std::vector<MailRecord*>{a, b, none}));
    EXPECT_FALSE(m_document->SortMailList(4));
    EXPECT_FALSE(m_document->SortMailList(0)) << "descending again after another column";
    EXPECT_EQ(m_mailView.hints, (std::vector<int>{4, 4, 4, 4, 4}));
    EXPECT_TRUE(m_detailView.hints.size() == 5) << "every view hears every hint";
}

struct TieCase
{
    int column;
    MailRecord first; // the smaller by the tie-break, equal in the column's key
    MailRecord second;
};

MailRecord M(std::uint32_t number, std::int32_t kind, std::int32_t state, std::string start,
             std::string end, std::string progress, std::string error = {})
{
    MailRecord mail;
    mail.nMailNo = number;
    mail.nKind = kind;
    mail.nState = state;
    mail.strStartTime = std::move(start);
    mail.strEndTime = std::move(end);
    mail.strProgress = std::move(progress);
    mail.strErrorNo = std::move(error);
    return mail;
}

TEST(DocumentComparatorTest, EqualKeysFallToTheTieBreakAndGreaterIsNoNegation)
{
    const TieCase cases[] = {
        {0, M(7, 2, 1, "t1", "t9", "1 / 2"), M(7, 1, 2, "t2", "t0", "0 / 2")},
        {1, M(9, 0, 1, "t1", "", "a"), M(1, 3, 2, "t2", "", "b")}, // kinds 0 and 3: both empty
        {2, M(9, 2, 1, "t1", "", "2 / 2"), M(1, 2, 1, "t2", "", "2 / 2")},
        {3, M(9, 0, 0, "t1", "", "", "E7"), M(1, 3, 3, "t2", "", "", "E7")}, // "Error"+"E7"
        {4, M(9, 2, 1, "t1", "e1", ""), M(1, 2, 1, "t1", "e2", "")},
        {5, M(9, 2, 1, "s1", "e", ""), M(1, 2, 1, "s2", "e", "")},
    };
    for (const TieCase& tie : cases) {
        SCOPED_TRACE(tie.column);
        const auto column = static_cast<std::size_t>(tie.column);
        EXPECT_TRUE(kMailLess[column](&tie.first, &tie.second));
        EXPECT_FALSE(kMailLess[column](&tie.second, &tie.first));
        EXPECT_TRUE(kMailGreater[column](&tie.second, &tie.first));
        EXPECT_FALSE(kMailGreater[column](&tie.first, &tie.second));
        EXPECT_FALSE(kMailLess[column](&tie.first, &tie.first));
        EXPECT_FALSE(kMailGreater[column](&tie.first, &tie.first));
    }
    // Sheets: the time breaks ties, and the time column is broken by the sheet number.
    const SheetRecord early = Sheet(5, "t1", 3, kNoNumber, 2, 3, "E1");
    const SheetRecord late = Sheet(5, "t2", 3, kNoNumber, 2, 3, "E1");
    for (std::size_t column : {0u, 1u, 2u, 4u, 5u}) {
        EXPECT_TRUE(kSheetLess[column](&early, &late)) << column;
        EXPECT_TRUE(kSheetGreater[column](&late, &early)) << column;
    }
    const SheetRecord low = Sheet(1, "t1");
    const SheetRecord high = Sheet(2, "t1");
    EXPECT_TRUE(SheetLessByTime(&low, &high));
    EXPECT_TRUE(SheetGreaterByTime(&high, &low));
    // No back page is the largest back page.
    const SheetRecord backed = Sheet(1, "t", 1, 2);
    const SheetRecord single = Sheet(1, "t", 1, kNoNumber);
    EXPECT_TRUE(SheetLessByBackPage(&backed, &single));
}

TEST(DocumentComparatorTest, TextsCompareByUtf16CodeUnits)
{
    // U+10000 is a surrogate pair (D800 DC00) and so sorts before U+E000 in UTF-16, though
    // after it in UTF-8 bytes and code points.
    const std::pair<const char*, const char*> ordered[] = {
        {"\xF0\x90\x80\x80", "\xEE\x80\x80"}, // U+10000 before U+E000
        {"ab", "abc"},                        // a proper prefix first
        {"B", "a"},                           // case-sensitive, by code unit
    };
    for (const auto& [smaller, larger] : ordered) {
        const MailRecord a = M(1, 2, 1, "t", "", smaller);
        const MailRecord b = M(1, 2, 1, "t", "", larger);
        EXPECT_TRUE(MailLessByProgress(&a, &b)) << smaller;
        EXPECT_FALSE(MailLessByProgress(&b, &a)) << smaller;
    }
}

TEST_F(DocumentSortTest, EveryColumnSortsInItsComparatorsOrderBothWays)
{
    // The sorts make their resource-text keys once; the order must be the comparators' own.
    samplejob::JobLogOptions options;
    options.mails = 200;
    options.retries = 6;
    options.suspensions = 6;
    options.errors = 12;
    options.sampleMails = 5;
    options.interruptions = 5;
    const std::string path = m_scratch / "job.csv";
    ASSERT_EQ(samplejob::WriteJobLogFile(path, options), 0);
    m_log = std::make_unique<JobLogFile>();
    ASSERT_EQ(m_log->Load(path), 0);
    Load();
    const JobDetail* busiest =
        *std::max_element(m_document->m_pDetails->begin(), m_document->m_pDetails->end(),
                          [](const JobDetail* a, const JobDetail* b) {
                              return a->pSheets->size() < b->pSheets->size();
                          });
    const std::uint32_t mailNo = busiest->nMailNo;
    for (std::size_t column = 0; column < 6; ++column) {
        SCOPED_TRACE(column);
        const int index = static_cast<int>(column);
        EXPECT_FALSE(m_document->SortMailList(index));
        EXPECT_TRUE(std::is_sorted(Mails().begin(), Mails().end(), kMailGreater[column]));
        EXPECT_TRUE(m_document->SortMailList(index));
        EXPECT_TRUE(std::is_sorted(Mails().begin(), Mails().end(), kMailLess[column]));

        const auto& sheets = *m_document->GetSheetList(mailNo);
        EXPECT_FALSE(m_document->SortSheetList(mailNo, index));
        EXPECT_TRUE(std::is_sorted(sheets.begin(), sheets.end(), kSheetGreater[column]));
        EXPECT_TRUE(m_document->SortSheetList(mailNo, index));
        EXPECT_TRUE(std::is_sorted(sheets.begin(), sheets.end(), kSheetLess[column]));

        m_document->BuildMailFilterCandidates(index);
        const auto& candidates = *m_document->m_pMailFilterCandidates;
        EXPECT_TRUE(std::is_sorted(candidates.begin(), candidates.end(), kMailLess[column]));
        EXPECT_EQ(m_document->m_nMailFilterColumn, index);
        m_document->BuildSheetFilterCandidates(mailNo, index);
        EXPECT_TRUE(std::is_sorted(m_document->m_pSheetFilterCandidates->begin(),
                                   m_document->m_pSheetFilterCandidates->end(),
                                   kSheetLess[column]));
    }
}

TEST_F(DocumentSortTest, CandidatesCollapseOnlyAdjacentEqualEntries)
{
    // Kinds 0 and 3 share the empty sort text and interleave by start time; states 0 and 3 with
    // one error number share their sort text too.
    MailRecord* error1 = Mail(kNoNumber, 0, 0, "t1", "", "", "E1");
    MailRecord* pause = Mail(kNoNumber, 3, 3, "t2", "", "", "E1");
    MailRecord* error2 = Mail(kNoNumber, 0, 0, "t3", "", "", "E1");
    MailRecord* normal1 = Mail(1, 2, 1, "t4");
    Mail(2, 2, 1, "t5");
    Load();
    m_document->BuildMailFilterCandidates(1);
    EXPECT_EQ(*m_document->m_pMailFilterCandidates,
              (std::vector<MailRecord*>{error1, pause, error2, normal1}));
    m_document->BuildMailFilterCandidates(3);
    const auto& results = *m_document->m_pMailFilterCandidates;
    ASSERT_EQ(results.size(), 4u);
    const auto run = std::find(results.begin(), results.end(), error1);
    ASSERT_LE(run - results.begin(), 1) << "the completed mails' text may sort either side";
    EXPECT_EQ(std::vector<MailRecord*>(run, run + 3),
              (std::vector<MailRecord*>{error1, pause, error2}));
    EXPECT_TRUE(m_mailView.hints.empty()) << "building candidates updates no view";
}

TEST_F(DocumentSortTest, AnEmptyListSortsToNothingAndHasNoCandidates)
{
    m_log->m_pSummary->nCreatedMails = 0;
    Load();
    for (int column = 0; column < 6; ++column) {
        m_document->SortMailList(column);
        m_document->BuildMailFilterCandidates(column);
        EXPECT_TRUE(m_document->m_pMailFilterCandidates->empty());
    }
    EXPECT_TRUE(Mails().empty());
}

struct FilterCase
{
    int column;
    QStringList excluded;
    std::vector<int> shown; // indexes into the mails below
};

TEST_F(DocumentSortTest, FilterTextsDifferFromTheDisplayAndSortTexts)
{
    const std::vector<MailRecord*> mails = {
        Mail(1, 2, 1, "t1", "e1", "2 / 2"),          // finished normal mail
        Mail(kNoNumber, 1, 2, "t2", "e2", "1 / 2"),  // suspended sample
        Mail(kNoNumber, 3, 0, "t3", "", ""),         // running interruption
        Mail(kNoNumber, 0, 3, "t4", "e4", "", "E5"), // error
    };
    Load();
    const QString error = ResourceModule::String(174);
    const FilterCase cases[] = {
        {0, {}, {0, 1, 2, 3}},
        {0, {""}, {0}},
        {0, {"1"}, {1, 2, 3}},
        {1, {""}, {0, 1}},
        {1, {ResourceModule::String(168), ResourceModule::String(169)}, {2, 3}},
        {2, {"2 / 2", "1 / 2"}, {2, 3}},
        {3, {""}, {0, 1, 3}},
        {3, {error + "(E5)"}, {0, 1, 2}},
        {3, {error + "E5", error}, {0, 1, 2, 3}}, // the sort text is no filter text
        {3, {ResourceModule::String(172), ResourceModule::String(173), "", error + "(E5)"}, {}},
        {4, {"t2", "t4"}, {0, 2}},
        {5, {""}, {0, 1, 3}},
    };
    for (const FilterCase& filter : cases) {
        SCOPED_TRACE(filter.column);
        SCOPED_TRACE(filter.excluded.join(QLatin1Char('|')).toStdString());
        m_document->BuildMailFilterCandidates(filter.column);
        m_document->m_pMailExcludedTexts =
            std::make_unique<std::vector<QString>>(filter.excluded.begin(), filter.excluded.end());
        m_mailView.hints.clear();
        m_document->RebuildFilteredMailList();
        std::vector<MailRecord*> expected;
        for (int index : filter.shown) {
            expected.push_back(mails[static_cast<std::size_t>(index)]);
        }
        EXPECT_EQ(*m_document->m_pFilteredMails, expected);
        EXPECT_EQ(m_mailView.hints, std::vector<int>{2});
        for (MailRecord* mail : mails) {
            const bool shown = std::count(expected.begin(), expected.end(), mail) != 0;
            EXPECT_EQ(shown, !filter.excluded.contains(MailFilterText(*mail, filter.column)));
        }
    }
}

TEST_F(DocumentSortTest, SortingAFilteredListClearsTheFilterAndShowsAllMails)
{
    Mail(1, 2, 1, "t1");
    Mail(2, 2, 1, "t2");
    Load();
    m_document->BuildMailFilterCandidates(0);
    m_document->m_pMailFilterState = std::make_unique<std::vector<int>>(std::vector<int>{0, 1});
    m_document->m_pMailExcludedTexts = std::make_unique<std::vector<QString>>(1, "1");
    m_document->RebuildFilteredMailList();
    ASSERT_EQ(m_document->m_pFilteredMails->size(), 1u);

    m_mailView.hints.clear();
    m_document->SortMailList(4);
    EXPECT_EQ(m_mailView.hints, std::vector<int>{2});
    EXPECT_EQ(m_document->m_nMailFilterColumn, -1);
    EXPECT_EQ(m_document->m_pMailFilterCandidates, nullptr);
    ASSERT_NE(m_document->m_pMailFilterState, nullptr);
    EXPECT_TRUE(m_document->m_pMailFilterState->empty());
    EXPECT_EQ(m_document->m_pMailExcludedTexts->size(), 1u) << "kept for the next filter OK";
    m_document->SortMailList(4);
    EXPECT_EQ(m_mailView.hints, (std::vector<int>{2, 4}));
}

TEST_F(DocumentSortTest, AColumnOutsideTheListTouchesNothing)
{
    MailRecord* a = Mail(1, 2, 1, "t1");
    MailRecord* b = Mail(2, 2, 1, "t2");
    Detail(1, {Sheet(1, "t1"), Sheet(2, "t2")});
    Load();
    g_bMailSortAscending[2] = false;
    g_bSheetSortAscending[2] = false;
    const auto sheets = *m_document->GetSheetList(1);
    for (int column : {-1, 6, 1000}) {
        m_document->SortMailList(column);
        m_document->SortSheetList(1, column);
        m_document->BuildMailFilterCandidates(column);
        m_document->BuildSheetFilterCandidates(1, column);
    }
    EXPECT_EQ(Mails(), (std::vector<MailRecord*>{a, b}));
    EXPECT_EQ(*m_document->GetSheetList(1), sheets);
    EXPECT_FALSE(g_bMailSortAscending[2]);
    EXPECT_FALSE(g_bSheetSortAscending[2]);
    EXPECT_EQ(m_document->m_nMailFilterColumn, -1);
    EXPECT_EQ(m_document->m_nSheetFilterColumn, -1);
    EXPECT_TRUE(m_mailView.hints.empty());
    EXPECT_TRUE(m_detailView.hints.empty());

    // Without a filter column every mail passes, whatever texts are excluded.
    m_document->m_pMailExcludedTexts = std::make_unique<std::vector<QString>>(1, QString());
    m_document->RebuildFilteredMailList();
    EXPECT_EQ(*m_document->m_pFilteredMails, (std::vector<MailRecord*>{a, b}));
}

TEST_F(DocumentSortTest, DetailsAreFoundByNumberNotByPosition)
{
    // Details in the order their numbers first started, with a gap in the numbers.
    Mail(1, 2, 1, "t1");
    Mail(2, 2, 1, "t2");
    Mail(5, 2, 1, "t5");
    Detail(2, {Sheet(1, "a2")});
    Detail(1, {Sheet(1, "a1")});
    Detail(5, {Sheet(1, "a5"), Sheet(2, "b5"), Sheet(3, "c5")});
    Load();
    ASSERT_EQ(m_document->m_nFirstMailNo, 1u);
    EXPECT_EQ(m_document->FindDetail(5)->nMailNo, 5u);
    EXPECT_EQ(m_document->FindDetail(2)->nMailNo, 2u);
    EXPECT_EQ(m_document->FindDetail(3), nullptr);
    EXPECT_EQ(m_document->GetSheetList(3), nullptr);

    EXPECT_FALSE(m_document->SortSheetList(5, 3));
    const auto& sheets = *m_document->GetSheetList(5);
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_EQ(sheets.front()->strTime, "c5");
    m_document->BuildSheetFilterCandidates(5, 0);
    EXPECT_EQ(m_document->m_pSheetFilterCandidates->size(), 3u);
    m_document->SortSheetList(3, 0); // no such mail: nothing to sort
    EXPECT_EQ(m_detailView.hints, (std::vector<int>{3, 3}));
}

TEST_F(DocumentSortTest, ResetSheetListOrderPutsTheCurrentMailsSheetsInTimeOrder)
{
    Mail(4, 2, 1, "t1");
    Detail(4, {Sheet(2, "t2"), Sheet(1, "t2"), Sheet(3, "t1")});
    Load();
    m_document->SortSheetList(4, 5);
    m_document->BuildSheetFilterCandidates(4, 1);
    m_document->m_pSheetExcludedTexts = std::make_unique<std::vector<QString>>(1, "x");
    m_detailView.hints.clear();

    m_document->ResetSheetListOrder(); // current mail 0: the first mail
    std::vector<std::uint32_t> numbers;
    for (const SheetRecord* sheet : *m_document->GetSheetList(4)) {
        numbers.push_back(sheet->nSheetNo);
    }
    EXPECT_EQ(numbers, (std::vector<std::uint32_t>{3, 1, 2}));
    EXPECT_EQ(g_bSheetSortAscending, (std::array<bool, 6>{true, true, true, true, true, true}));
    EXPECT_EQ(m_document->m_nSheetFilterColumn, -1);
    EXPECT_EQ(m_document->m_pSheetFilterCandidates, nullptr);
    EXPECT_TRUE(m_document->m_pSheetFilterState->empty());
    EXPECT_EQ(m_document->m_pSheetExcludedTexts->size(), 1u);
    EXPECT_EQ(m_detailView.hints, std::vector<int>{3});
}

} // namespace

namespace {

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

TEST(DocumentSortKeyTest, KeysMadeOnceOrderExactlyAsUtf16CodeUnits)
{
    // Why: the sorts compare keys made once, byte-wise where they can; every pair must order
    // as the full UTF-16 comparison does, also past the key's head and at non-ASCII bytes.
    const std::string head(24, 'k');
    const std::vector<std::string> texts = {"",
                                            "a",
                                            "ab",
                                            "abc",
                                            "B",
                                            std::string("a\0", 2),
                                            std::string("a\0b", 3),
                                            "2024/01/15 10:23:45",
                                            "2024/01/15 10:23:46",
                                            "2024/01/15 10:23:45x",
                                            head,
                                            head + "a",
                                            head + "b",
                                            head + "\xC3\xA9",
                                            head.substr(0, 23) + "\xC3\xA9",
                                            "\xEE\x80\x80",
                                            "\xF0\x90\x80\x80",
                                            "\xEF\xBF\xBF",
                                            "\xC3\xA9",
                                            "\xC3",
                                            "\xFF",
                                            "a\xFF",
                                            "a\xC3",
                                            "a\xC3\xA9",
                                            "\xE6\xA8\x99\xE6\xBA\x96",
                                            "\xE5\xAE\x8C\xE4\xBA\x86"};
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            const int expected = Sign(platform::CompareUtf16Order(a, b));
            EXPECT_EQ(Sign(CompareLogText(a, b)), expected) << a << " | " << b;
            EXPECT_EQ(Sign(CompareKeys(TextKey(a), TextKey(b))), expected) << a << " | " << b;
        }
    }
}

} // namespace
