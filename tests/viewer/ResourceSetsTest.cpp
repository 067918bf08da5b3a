// Why: every text the user sees comes from one of eleven sets (ten libraries and the built-in
// Japanese one); a missing, empty or half-translated entry shows as a blank or English
// control only in that language, where nobody on the team looks.
#include "viewer/common/ResourceModule.h"

#include <QApplication>
#include <QDir>
#include <QGlyphRun>
#include <QGridLayout>
#include <QLabel>
#include <QRegularExpression>
#include <QStringList>
#include <QTextLayout>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using ResourceModule::MenuItem;

// The ten libraries, then the program's own set.
const std::vector<std::string> kSets = {"DE", "EN", "ES", "FR", "JP",     "KO",
                                        "RU", "SC", "TC", "TH", "BuiltIn"};
constexpr const char* kBuiltIn = "BuiltIn";

std::string LibraryPath(const std::string& language)
{
    return std::string(PYRN_LANGUAGE_LIBRARY_DIR) + "/kwel_pyrnLanguageResource" + language + ".so";
}

std::vector<unsigned> RequiredStrings()
{
    std::vector<unsigned> ids = {128, 129, 130, 131, 132, 133, 134, 136, 137, 138};
    for (unsigned id = 139; id <= 177; ++id) {
        ids.push_back(id);
    }
    for (unsigned id : {179, 181, 182, 184, 185, 186, 187, 188, 189, 190, 191, 193, 194,
                        195, 196, 197, 198, 199, 204, 205, 206, 207, 208, 239, 240, 57344}) {
        ids.push_back(id);
    }
    return ids;
}

const std::vector<std::pair<unsigned, unsigned>> kRequiredDialogTexts = {
    {100, 0},    {100, 1},    {310, 0},    {310, 1053}, {310, 1},    {310, 2},
    {311, 1},    {311, 2},    {312, 1002}, {312, 1003}, {312, 1005}, {312, 1007},
    {312, 1009}, {312, 1011}, {312, 1013}, {312, 1014}, {312, 1016}, {312, 1018},
    {312, 1019}, {312, 1021}, {312, 1023}, {312, 1024}, {312, 1026}, {312, 1028},
    {312, 1029}, {312, 1032}, {312, 1033}, {312, 1035}, {312, 1037}, {312, 1039},
    {312, 1041}, {312, 1042}, {313, 1044}, {313, 1045}, {313, 1046}, {314, 0}};

// Each popup as its command ids in order, 0 for a separator.
const std::map<unsigned, std::vector<std::vector<unsigned>>> kRequiredMenus = {
    {128, {{131, 134, 0, 203}, {130, 136, 137}, {197}}}, {320, {{208}, {206, 207}, {197}}}};

// Texts that are the same word in English and in that language, or names kept as sold.
const std::set<unsigned> kSameEverywhere = {129, 187, 189, 191, 57344};
const std::map<QString, std::set<unsigned>> kSameAsEnglish = {
    {"DE", {168, 198, 204}}, {"ES", {174}}, {"FR", {167, 168, 198, 204}}, {"JP", {198}}};

// Latin words that may stand in a set written in another script.
const QStringList kLatinKept = {"TARV Post Log Viewer",
                                "TARV MOLTEK CORPORATION",
                                "PYRN.Document",
                                "ZIP",
                                "CSV",
                                "zip",
                                "csv",
                                "ID",
                                "OK",
                                "ON"};

class ResourceSetsTest : public ::testing::TestWithParam<std::string>
{
protected:
    void SetUp() override
    {
        English(); // read first: reading it makes the built-in set current
        if (GetParam() == kBuiltIn) {
            ResourceModule::UseBuiltInSet();
        } else {
            m_library = ResourceModule::LoadLanguageLibrary(LibraryPath(GetParam()));
            ASSERT_NE(m_library, nullptr) << LibraryPath(GetParam());
        }
    }
    void TearDown() override { ResourceModule::FreeLanguageLibrary(m_library); }

    // The English set's strings, read once.
    static const std::map<unsigned, QString>& English()
    {
        static const std::map<unsigned, QString> strings = [] {
            std::map<unsigned, QString> texts;
            platform::LibraryHandle english =
                ResourceModule::LoadLanguageLibrary(LibraryPath("EN"));
            for (unsigned id : RequiredStrings()) {
                texts[id] = ResourceModule::String(id);
            }
            ResourceModule::FreeLanguageLibrary(english);
            return texts;
        }();
        return strings;
    }

    QString Language() const
    {
        return QString::fromStdString(GetParam() == kBuiltIn ? "JP" : GetParam());
    }

    platform::LibraryHandle m_library = nullptr;
};

TEST_P(ResourceSetsTest, CarriesEveryStringDialogTextAndMenuEntry)
{
    EXPECT_EQ(ResourceModule::Language(), Language());
    for (unsigned id : RequiredStrings()) {
        EXPECT_FALSE(ResourceModule::String(id).trimmed().isEmpty()) << "string " << id;
    }
    for (const auto& [dialog, control] : kRequiredDialogTexts) {
        EXPECT_FALSE(ResourceModule::DialogText(dialog, control).trimmed().isEmpty())
            << "dialog " << dialog << " control " << control;
    }
    for (const auto& [menuId, popups] : kRequiredMenus) {
        const QList<MenuItem> menu = ResourceModule::Menu(menuId);
        ASSERT_EQ(menu.size(), static_cast<qsizetype>(popups.size())) << "menu " << menuId;
        for (std::size_t p = 0; p < popups.size(); ++p) {
            const MenuItem& popup = menu[static_cast<qsizetype>(p)];
            EXPECT_FALSE(popup.text.isEmpty()) << "menu " << menuId << " popup " << p;
            EXPECT_EQ(popup.id, 0u);
            std::vector<unsigned> commands;
            for (const MenuItem& item : popup.items) {
                commands.push_back(item.id);
                EXPECT_EQ(item.text.isEmpty(), item.id == 0)
                    << "menu " << menuId << " item " << item.id;
                EXPECT_TRUE(item.items.isEmpty());
            }
            EXPECT_EQ(commands, popups[p]) << "menu " << menuId << " popup " << p;
        }
    }
}

// Line breaks, "%s" and the filter bars are read by the code, not by the user: a translation
// must keep them exactly.
TEST_P(ResourceSetsTest, KeepsTheEnglishLineBreaksPlaceholdersAndFilterPatterns)
{
    for (unsigned id : RequiredStrings()) {
        const QString text = ResourceModule::String(id);
        const QString& english = English().at(id);
        for (const char* mark : {"\n", "%", "|"}) {
            EXPECT_EQ(text.count(mark), english.count(mark))
                << "string " << id << " '" << mark << "'";
        }
    }
    EXPECT_EQ(ResourceModule::String(205).count("%s"), 1);
    EXPECT_TRUE(ResourceModule::String(204).endsWith(' ')) << "the version number follows it";
    const QStringList templateParts = ResourceModule::String(128).split('\n');
    const QStringList englishParts = English().at(128).split('\n');
    ASSERT_EQ(templateParts.size(), 7);
    EXPECT_EQ(templateParts[0], ResourceModule::String(57344)) << "the frame's title";
    EXPECT_EQ(templateParts.mid(4), englishParts.mid(4)) << "extension and registry names";
    for (unsigned id : {188u, 190u}) {
        const QString& english = English().at(id);
        EXPECT_TRUE(ResourceModule::String(id).endsWith(english.mid(english.indexOf('|'))))
            << "string " << id;
    }
}

TEST_P(ResourceSetsTest, LeavesNoEnglishInAnotherLanguage)
{
    if (Language() == "EN") {
        GTEST_SKIP() << "the English set itself";
    }
    const std::set<unsigned> same =
        kSameAsEnglish.contains(Language()) ? kSameAsEnglish.at(Language()) : std::set<unsigned>{};
    const bool latinScript = Language() == "DE" || Language() == "ES" || Language() == "FR";
    for (unsigned id : RequiredStrings()) {
        const QString text = ResourceModule::String(id);
        if (!kSameEverywhere.contains(id) && !same.contains(id)) {
            EXPECT_NE(text, English().at(id)) << "string " << id << " is left in English";
        }
        if (!latinScript) {
            QString rest = text;
            for (const QString& kept : kLatinKept) {
                rest.remove(kept);
            }
            EXPECT_FALSE(rest.contains(QRegularExpression("[A-Za-z]{2,}")))
                << "string " << id << ": " << text.toStdString();
        }
    }
}

// Glyph 0 is the font's "missing" box: the text would show it even after font fallback.
bool HasMissingGlyph(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    while (layout.createLine().isValid()) {
    }
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns()) {
        if (run.glyphIndexes().contains(0)) {
            return true;
        }
    }
    return false;
}

TEST_P(ResourceSetsTest, ShowsEveryTextWithoutMissingGlyphs)
{
    QStringList texts;
    for (unsigned id : RequiredStrings()) {
        texts.append(ResourceModule::String(id).split('\n'));
    }
    for (const auto& [menuId, popups] : kRequiredMenus) {
        for (const MenuItem& popup : ResourceModule::Menu(menuId)) {
            texts.append(popup.text);
            for (const MenuItem& item : popup.items) {
                texts.append(item.text);
            }
        }
    }
    for (const auto& [dialog, control] : kRequiredDialogTexts) {
        texts.append(ResourceModule::DialogText(dialog, control));
    }
    ASSERT_TRUE(HasMissingGlyph(QString::fromUcs4(U"\U0010FFFD"), QApplication::font()))
        << "a private-use character no font has";
    for (const QString& text : texts) {
        EXPECT_FALSE(HasMissingGlyph(text, QApplication::font())) << text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(AllSets, ResourceSetsTest, ::testing::ValuesIn(kSets),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

// A sample of every set side by side, for people to look at the shapes the font gives them.
TEST(ResourceScreenshotTest, WritesASampleOfEveryLanguage)
{
    QWidget sheet;
    sheet.setAutoFillBackground(true);
    sheet.setPalette(QPalette(Qt::white));
    auto* grid = new QGridLayout(&sheet);
    int row = 0;
    for (const std::string& set : kSets) {
        platform::LibraryHandle library =
            set == kBuiltIn ? nullptr : ResourceModule::LoadLanguageLibrary(LibraryPath(set));
        if (set == kBuiltIn) {
            ResourceModule::UseBuiltInSet();
        }
        const QStringList cells = {
            QString::fromStdString(set),
            ResourceModule::String(130) + "\n" + ResourceModule::String(136) + "\n" +
                ResourceModule::String(137),
            ResourceModule::String(155) + "\n" + ResourceModule::String(150) + "\n" +
                ResourceModule::String(184),
            ResourceModule::String(185) + " \n(03004)",
            ResourceModule::String(181) + "\n" + ResourceModule::String(206) + "\n" +
                ResourceModule::String(198) + " / " + ResourceModule::String(199)};
        for (int column = 0; column < cells.size(); ++column) {
            auto* label = new QLabel(cells[column]);
            label->setFrameShape(QFrame::Box);
            grid->addWidget(label, row, column);
        }
        ++row;
        ResourceModule::FreeLanguageLibrary(library);
    }
    ResourceModule::UseBuiltInSet();
    sheet.adjustSize();
    ASSERT_TRUE(QDir().mkpath(PYRN_SCREENSHOT_DIR));
    EXPECT_TRUE(sheet.grab().save(QString(PYRN_SCREENSHOT_DIR) + "/resources-languages.png"));
}

// The word a user reads on the buttons of every box, and the title, per library.
struct LanguageSample
{
    std::string language;
    QString ok;
    QString cancel;
};

class ResourceLibraryTest : public ::testing::TestWithParam<LanguageSample>
{
protected:
    void TearDown() override { ResourceModule::UseBuiltInSet(); }
};

TEST_P(ResourceLibraryTest, HandsOverItsOwnLanguage)
{
    const LanguageSample& sample = GetParam();
    platform::LibraryHandle library =
        ResourceModule::LoadLanguageLibrary(LibraryPath(sample.language));
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(ResourceModule::Language(), QString::fromStdString(sample.language));
    EXPECT_EQ(ResourceModule::String(198), sample.ok);
    EXPECT_EQ(ResourceModule::String(199), sample.cancel);
    EXPECT_EQ(ResourceModule::String(57344), QString("TARV Post Log Viewer"));
    ResourceModule::FreeLanguageLibrary(library);
    EXPECT_EQ(ResourceModule::Language(), QString("JP")) << "freed: the built-in set again";
}

INSTANTIATE_TEST_SUITE_P(
    EveryLibrary, ResourceLibraryTest,
    ::testing::Values(LanguageSample{"DE", "OK", "Abbrechen"}, LanguageSample{"EN", "OK", "Cancel"},
                      LanguageSample{"ES", "Aceptar", "Cancelar"},
                      LanguageSample{"FR", "OK", "Annuler"},
                      LanguageSample{"JP", "OK", "キャンセル"},
                      LanguageSample{"KO", "확인", "취소"}, LanguageSample{"RU", "ОК", "Отмена"},
                      LanguageSample{"SC", "确定", "取消"}, LanguageSample{"TC", "確定", "取消"},
                      LanguageSample{"TH", "ตกลง", "ยกเลิก"}),
    [](const ::testing::TestParamInfo<LanguageSample>& info) { return info.param.language; });

// A library that is missing or is no library at all leaves the texts that were current.
TEST(ResourceFallbackTest, KeepsTheCurrentSetWhenALibraryCannotBeUsed)
{
    ResourceModule::UseBuiltInSet();
    const QString builtInCancel = ResourceModule::String(199);
    EXPECT_EQ(ResourceModule::Language(), QString("JP"));
    EXPECT_EQ(builtInCancel, QString("キャンセル"));
    const std::string hostile = std::string(PYRN_TEST_DATA_DIR) + "/hostile/language-library/";
    const std::vector<std::string> unusable = {
        LibraryPath("XX"), hostile + "kwel_pyrnLanguageResourceXX.so",
        hostile + "kwel_pyrnLanguageResourceEmpty.so",
        hostile + "kwel_pyrnLanguageResourceTruncatedElf.so"};
    for (const std::string& path : unusable) {
        EXPECT_EQ(ResourceModule::LoadLanguageLibrary(path), nullptr) << path;
        EXPECT_EQ(ResourceModule::String(199), builtInCancel) << path;
    }

    platform::LibraryHandle english = ResourceModule::LoadLanguageLibrary(LibraryPath("EN"));
    ASSERT_NE(english, nullptr);
    for (const std::string& path : unusable) {
        EXPECT_EQ(ResourceModule::LoadLanguageLibrary(path), nullptr) << path;
        EXPECT_EQ(ResourceModule::String(199), QString("Cancel")) << path;
    }
    ResourceModule::FreeLanguageLibrary(english);
    EXPECT_EQ(ResourceModule::String(199), builtInCancel);
    EXPECT_TRUE(ResourceModule::String(1).isEmpty()) << "an id no set carries";
}

} // namespace
