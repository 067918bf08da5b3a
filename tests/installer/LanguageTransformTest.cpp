// Why: each language is installed only through its transform; applied to the package it must
// select its language library, write its LCID where maintenance reads it back, carry its texts
// in its own code page, and change nothing that its change list does not name.
#include "msipackage/CompoundFile.h"
#include "msipackage/MsiStreamName.h"
#include "msipackage/TransformReader.h"
#include "tests/installer/InstallerFixtures.h"

#include <map>
#include <set>
#include <tuple>

namespace {

using namespace installer_test;
using msitransform::MsiDatabase;
using msitransform::MsiValue;

class LanguageTransformTest : public ::testing::TestWithParam<Language>
{
protected:
    void SetUp() override
    {
        m_applied = Package();
        auto result = msitransform::ApplyTransform(m_applied, ReadBytes(TransformPath(GetParam())));
        ASSERT_TRUE(result) << result.Error();
        m_summary = result.Take();
    }

    std::string Cell(std::string_view table, const std::vector<std::string>& keys,
                     std::string_view column) const
    {
        return CellText(m_applied, table, keys, column);
    }

    MsiDatabase m_applied;
    msitransform::TransformSummary m_summary;
};

TEST_P(LanguageTransformTest, SelectsItsLanguageAndWritesItsLcid)
{
    const std::string lcid = std::to_string(GetParam().lcid);
    EXPECT_EQ(m_applied.Property("ProductLanguage"), lcid);
    EXPECT_EQ(Cell("Registry", {"Language"}, "Value"), "#" + lcid);
    // The key keeps the English product name, where setup looks in every language.
    EXPECT_EQ(Cell("Registry", {"Language"}, "Key"),
              "Software\\[Manufacturer]\\TARV Post Log Viewer\\Install");
    int matching = 0;
    for (const msitransform::MsiRow& row : m_applied.FindTable("Component")->Rows()) {
        matching += row.at(4).text == "ProductLanguage = " + lcid ? 1 : 0;
    }
    EXPECT_EQ(matching, 1) << "exactly one language library for " << lcid;
    EXPECT_EQ(m_summary.templateText, "Intel;1033");
    EXPECT_EQ(m_summary.lastAuthor, "Intel;" + lcid);
}

TEST_P(LanguageTransformTest, StringPoolIsInTheLanguagesCodePage)
{
    EXPECT_EQ(m_summary.codePage, GetParam().codePage);
    EXPECT_EQ(m_applied.CodePage(), GetParam().codePage);
    auto file = msitransform::CompoundFile::Parse(ReadBytes(TransformPath(GetParam())));
    ASSERT_TRUE(file) << file.Error();
    auto pool = file.Value().ReadStream(msitransform::EncodeTableStreamName("_StringPool"));
    ASSERT_TRUE(pool && pool.Value().size() >= 4);
    EXPECT_EQ(static_cast<unsigned char>(pool.Value()[0]) |
                  static_cast<unsigned char>(pool.Value()[1]) << 8,
              GetParam().codePage);
}

TEST_P(LanguageTransformTest, TranslatesTheMessagesAndTheWizard)
{
    const std::vector<std::tuple<std::string, std::vector<std::string>, std::string>> cells = {
        {"Property", {"MANUALSHORTCUTNAME"}, "Value"},
        {"CustomAction", {"NoDowngrade"}, "Target"},
        {"LaunchCondition",
         {"(VersionNT >= 601) OR (VersionNT = 600 AND ServicePackLevel = 2)"},
         "Description"},
        {"Control", {"VerifyReadyDlg", "ManualCheckBox"}, "Text"},
        {"Control", {"WelcomeDlg", "Description"}, "Text"},
        {"Error", {"1602"}, "Message"},
        {"ActionText", {"InstallFiles"}, "Description"},
        {"UIText", {"NewFolder"}, "Text"},
        {"RadioButton", {"RMOPTION", "1"}, "Text"},
        {"Dialog", {"ErrorDlg"}, "Title"},
    };
    for (const auto& [table, keys, column] : cells) {
        const std::string translated = Cell(table, keys, column);
        EXPECT_NE(translated, CellText(Package(), table, keys, column)) << table << " " << keys[0];
        EXPECT_FALSE(translated.empty()) << table << " " << keys[0];
    }
    // Only Japanese has a product name of its own.
    EXPECT_EQ(m_applied.Property("ProductName"), std::string(GetParam().code) == "JP"
                                                     ? "TARVポストログビューア"
                                                     : "TARV Post Log Viewer");
}

// The transform holds exactly its change list: every named cell has its value, all else is
// the package's.
TEST_P(LanguageTransformTest, ChangesExactlyWhatItsChangeListNames)
{
    std::map<std::tuple<std::string, std::vector<std::string>, std::string>, std::string> named;
    const msitransform::ChangeList changes = LoadChangeList(GetParam());
    for (const msitransform::RowChange& change : changes.Rows()) {
        ASSERT_EQ(change.action, msitransform::RowChange::Action::Update);
        for (const auto& [column, value] : change.cells) {
            named[{change.table, change.keys, column}] = value;
        }
    }
    std::size_t checked = 0;
    for (const auto& [name, base] : Package().Tables()) {
        const msitransform::MsiTable& applied = *m_applied.FindTable(name);
        ASSERT_EQ(applied.Rows().size(), base.Rows().size()) << name;
        for (std::size_t r = 0; r < base.Rows().size(); ++r) {
            std::vector<std::string> keys;
            for (std::size_t k = 0; k < base.KeyCount(); ++k) {
                const MsiValue& key = base.Rows()[r][k];
                keys.push_back(key.kind == MsiValue::Kind::Integer ? std::to_string(key.integer)
                                                                   : key.text);
            }
            for (std::size_t c = 0; c < base.Columns().size(); ++c) {
                const MsiValue& now = applied.Rows()[r][c];
                const auto found = named.find({name, keys, base.Columns()[c].name});
                if (found == named.end()) {
                    EXPECT_EQ(now, base.Rows()[r][c])
                        << name << " " << keys[0] << " " << base.Columns()[c].name;
                    continue;
                }
                ++checked;
                EXPECT_EQ(now.kind == MsiValue::Kind::Integer ? std::to_string(now.integer)
                                                              : now.text,
                          found->second)
                    << name << " " << keys[0] << " " << base.Columns()[c].name;
            }
        }
    }
    EXPECT_EQ(checked, named.size()) << "every line of the change list names a cell";
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageTransformTest, ::testing::ValuesIn(kLanguages),
                         [](const auto& info) { return std::string(info.param.code); });

TEST(JapaneseTransformTest, NamesTheProductInJapanese)
{
    MsiDatabase applied = Package();
    auto result = msitransform::ApplyTransform(applied, ReadBytes(TransformPath(kLanguages[0])));
    ASSERT_TRUE(result) << result.Error();
    const std::string name = "TARVポストログビューア";
    EXPECT_EQ(applied.Property("ProductName"), name);
    EXPECT_EQ(CellText(applied, "Feature", {"ProductFeature"}, "Title"), name);
    EXPECT_EQ(CellText(applied, "Feature", {"MainFeature"}, "Title"), name);
    EXPECT_EQ(CellText(applied, "Shortcut", {"DesktopShortcut"}, "Name"), name);
    EXPECT_EQ(CellText(applied, "Shortcut", {"StartMenuShortcut"}, "Name"), name);
    EXPECT_EQ(CellText(applied, "CustomAction", {"NoDowngrade"}, "Target"),
              "TARVポストログビューアの新しいバージョンが既にインストールされています。");
}

} // namespace
