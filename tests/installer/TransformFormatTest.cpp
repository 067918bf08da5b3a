// Why: the transform writer and reader are our own implementation of an undocumented-by-us
// format; row masks, the string pool and the compound file must round-trip exactly, every
// change a package cannot take must be refused at build time, and a hostile transform must
// fail without touching the package.
#include "msipackage/CompoundFile.h"
#include "msipackage/CompoundFileFormat.h"
#include "msipackage/CompoundFileWriter.h"
#include "msipackage/MsiStreamName.h"
#include "msipackage/TransformReader.h"
#include "msipackage/TransformWriter.h"
#include "tests/HostileCorpus.h"
#include "tests/installer/InstallerFixtures.h"

namespace {

using namespace installer_test;
using namespace msitransform;

Outcome<std::string> Write(std::string_view changes, int codePage)
{
    auto list = ChangeList::Parse(changes);
    if (!list) {
        return list.TakeFailure();
    }
    return WriteTransform(Package(), list.Value(), 1041, codePage);
}

bool SameContents(const MsiDatabase& a, const MsiDatabase& b)
{
    if (a.Tables().size() != b.Tables().size() || a.CodePage() != b.CodePage()) {
        return false;
    }
    for (const auto& [name, table] : a.Tables()) {
        const MsiTable* other = b.FindTable(name);
        if (other == nullptr || other->Rows() != table.Rows()) {
            return false;
        }
    }
    return true;
}

// The first row mask of `table`'s stream in a written transform, and the stream's length.
std::pair<int, std::size_t> FirstMask(const std::string& transform, std::string_view table)
{
    auto file = CompoundFile::Parse(transform);
    auto stream = file ? file.Value().ReadStream(EncodeTableStreamName(table))
                       : Outcome<std::string>(Failure{"no file"});
    if (!stream || stream.Value().size() < 2) {
        return {-1, 0};
    }
    return {cfb::Read16(stream.Value(), 0), stream.Value().size()};
}

TEST(TransformWriterTest, InsertsUpdatesAndDeletesWithTheirRowMasks)
{
    auto transform = Write("Property[NEWPROPERTY] +\n"
                           "Property.Value[NEWPROPERTY] = 新しい値\n"
                           "Error[1602] -\n"
                           "Control.Text[CancelDlg/Yes] = はい(&Y)\n",
                           932);
    ASSERT_TRUE(transform) << transform.Error();
    // Insert: every column follows (2 of Property); delete: only the i2 key; update: the keys
    // and column 9 (Text) of Control.
    EXPECT_EQ(FirstMask(transform.Value(), "Property"), std::make_pair(0x0201, std::size_t{6}));
    EXPECT_EQ(FirstMask(transform.Value(), "Error"), std::make_pair(0x0000, std::size_t{4}));
    EXPECT_EQ(FirstMask(transform.Value(), "Control"), std::make_pair(1 << 9, std::size_t{8}));

    MsiDatabase applied = Package();
    auto result = ApplyTransform(applied, transform.Value());
    ASSERT_TRUE(result) << result.Error();
    EXPECT_EQ(applied.Property("NEWPROPERTY"), "新しい値");
    EXPECT_EQ(applied.FindTable("Property")->Rows().size(),
              Package().FindTable("Property")->Rows().size() + 1);
    EXPECT_EQ(CellText(applied, "Error", {"1602"}, "Message"), "<missing>");
    EXPECT_EQ(CellText(applied, "Control", {"CancelDlg", "Yes"}, "Text"), "はい(&Y)");
    EXPECT_EQ(CellText(applied, "Control", {"CancelDlg", "No"}, "Text"), "&No");
}

TEST(TransformWriterTest, LeavesOutCellsThatDoNotChange)
{
    auto transform = Write("Property.Value[ProductName] = TARV Post Log Viewer\n"
                           "Property.Value[ProductLanguage] = 1041\n",
                           1252);
    ASSERT_TRUE(transform) << transform.Error();
    EXPECT_EQ(FirstMask(transform.Value(), "Property"), std::make_pair(0x0002, std::size_t{6}));
    EXPECT_EQ(FirstMask(Write("UIText.Text[KB] = KB\n", 1252).Value(), "UIText").first, -1);
}

TEST(TransformWriterTest, RefusesChangesThePackageCannotTake)
{
    struct Case
    {
        std::string changes;
        int codePage;
        const char* reason;
    };
    const Case cases[] = {
        {"Nonsense.Value[X] = 1\n", 1252, "no such table"},
        {"Property.Value[NoSuchProperty] = 1\n", 1252, "no such row"},
        {"Property.Colour[ProductName] = red\n", 1252, "no column Colour"},
        {"Property.Property[ProductName] = Other\n", 1252, "keys go in the brackets"},
        {"Control.Text[CancelDlg] = x\n", 1252, "has 2 keys"},
        {"Feature.Title[MainFeature] = " + std::string(65, 'x') + "\n", 1252, "64 characters"},
        {"Property.Value[ProductName] = ภาษาไทย\n", 1252, "cannot convert"},
        {"Property[ProductName] +\n", 1252, "there already"},
        {"Error[4242] -\n", 1252, "no such row"},
        {"Dialog.Width[CancelDlg] = wide\n", 1252, "not an integer"},
        {"Dialog.Width[CancelDlg] = 40000\n", 1252, "not an integer"},
        {"Binary.Data[CustomAction] = x\n", 1252, "binary column"},
        {"Property.Value[ProductLanguage] = 1031\n", 4242, "unknown code page"},
        {"Upgrade[X] +\n", 1252, "5 keys"},
    };
    for (const Case& c : cases) {
        auto transform = Write(c.changes, c.codePage);
        ASSERT_FALSE(transform) << c.changes;
        EXPECT_NE(transform.Error().find(c.reason), std::string::npos)
            << c.changes << " gave: " << transform.Error();
    }
}

TEST(ChangeListTest, GathersCellsByRowAndRefusesMalformedLines)
{
    auto list = ChangeList::Parse("\xEF\xBB\xBF# comment\r\n"
                                  "Control.Text[A/B] = x = y ] z\r\n"
                                  "\n"
                                  "Control.Help[A/B] =\n"
                                  "Error[7] -\n");
    ASSERT_TRUE(list) << list.Error();
    ASSERT_EQ(list.Value().Rows().size(), 2U);
    const RowChange& row = list.Value().Rows()[0];
    EXPECT_EQ(row.keys, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(row.cells, (std::vector<std::pair<std::string, std::string>>{{"Text", "x = y ] z"},
                                                                           {"Help", ""}}));
    EXPECT_EQ(row.line, 2);
    EXPECT_EQ(list.Value().Rows()[1].action, RowChange::Action::Delete);

    for (const char* bad : {"Control.Text[A] x\n", "Control.Text A = x\n", "Con trol.Text[A] = x\n",
                            "Control.Text[A] = x\nControl.Text[A] = y\n",
                            "Error[7] -\nError.Message[7] = x\n", "Error[7] +\nError[7] -\n",
                            "Control.Text[A] = tab\there\n", "Control.Text[A] = \xFF\n"}) {
        EXPECT_FALSE(ChangeList::Parse(bad)) << bad;
    }
}

TEST(TransformReaderTest, RefusesATransformForAnotherProductAndKeepsTheDatabase)
{
    MsiDatabase other = Package();
    MsiTable* property = other.FindTable("Property");
    property->SetCell(*property->FindRow({MsiValue::Str("ProductCode")}), 1,
                      MsiValue::Str("{00000000-0000-0000-0000-000000000000}"));
    const MsiDatabase before = other;
    auto result = ApplyTransform(other, ReadBytes(TransformPath(kLanguages[1])));
    ASSERT_FALSE(result);
    EXPECT_NE(result.Error().find("another product"), std::string::npos) << result.Error();
    EXPECT_TRUE(SameContents(other, before));
}

// A transform may change a database's code page only where its summary allows that.
TEST(TransformReaderTest, ChangesTheCodePageOnlyWhenAllowed)
{
    const std::string plain = ReadBytes(HostileFolder("msitransform") / "valid-reference.mst");
    MsiDatabase cyrillic = Package();
    cyrillic.SetCodePage(1251);
    auto refused = ApplyTransform(cyrillic, plain);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.Error().find("code page"), std::string::npos) << refused.Error();

    MsiDatabase western = Package();
    western.SetCodePage(1252);
    EXPECT_TRUE(ApplyTransform(western, plain));
    // Ours allow it: they carry the language's code page into any package.
    EXPECT_TRUE(ApplyTransform(cyrillic, ReadBytes(TransformPath(kLanguages[0]))));
    EXPECT_EQ(cyrillic.CodePage(), 932);
}

TEST(CompoundFileTest, WritesAndReadsStreamsOfEverySize)
{
    const ClassId classId{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    CompoundFileWriter writer(classId);
    std::map<std::u16string, std::string> streams;
    // Empty, within one small sector, across small sectors, at the cutoff and beyond it, and
    // enough entries for several directory sectors.
    for (const std::size_t size : {0, 1, 63, 64, 65, 4095, 4096, 5000, 70000, 10, 11, 12}) {
        std::u16string name =
            u"s" + std::u16string(1, static_cast<char16_t>(u'a' + streams.size()));
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>((i * 7 + size) & 0xFF);
        }
        writer.AddStream(name, bytes);
        streams[name] = bytes;
    }
    auto written = writer.Write();
    ASSERT_TRUE(written) << written.Error();
    auto file = CompoundFile::Parse(written.Value());
    ASSERT_TRUE(file) << file.Error();
    EXPECT_EQ(file.Value().RootClassId(), classId);
    EXPECT_EQ(file.Value().StreamNames().size(), streams.size());
    for (const auto& [name, bytes] : streams) {
        auto read = file.Value().ReadStream(name);
        ASSERT_TRUE(read) << bytes.size();
        EXPECT_TRUE(read.Value() == bytes) << bytes.size();
    }
    EXPECT_FALSE(file.Value().ReadStream(u"missing"));

    CompoundFileWriter repeated(classId);
    repeated.AddStream(u"twice", "a");
    repeated.AddStream(u"TWICE", "b");
    EXPECT_FALSE(repeated.Write()) << "names differ only in case";
}

TEST(MsiStreamNameTest, TableNamesRoundTrip)
{
    for (const char* table : {"Property", "_StringPool", "Control", "A", "Table.With_9"}) {
        EXPECT_EQ(DecodeTableStreamName(EncodeTableStreamName(table)), table);
    }
    EXPECT_EQ(EncodeTableStreamName("AB").size(), 2U) << "marker and one packed pair";
    EXPECT_FALSE(DecodeTableStreamName(u"\u0005SummaryInformation"));
}

class HostileTransformTest : public ::testing::TestWithParam<HostileInput>
{};

TEST_P(HostileTransformTest, ApplyGivesItsResult)
{
    const HostileInput& input = GetParam();
    MsiDatabase database = Package();
    auto result = ApplyTransform(database, ReadBytes(input.Path()));
    if (input.Get("apply") == "ok") {
        ASSERT_TRUE(result) << result.Error();
        EXPECT_EQ(database.Property("ProductLanguage"), input.Get("language"));
    } else {
        EXPECT_FALSE(result);
        EXPECT_TRUE(SameContents(database, Package())) << "a failed transform changed the package";
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileTransformTest,
                         ::testing::ValuesIn(LoadHostileInputs("msitransform")),
                         [](const auto& info) { return HostileTestName(info.param); });

TEST(HostileTransformCorpusTest, EveryInputIsListed)
{
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(HostileFolder("msitransform"))) {
        if (entry.path().filename() != "expected.txt") {
            files.insert(entry.path().filename().string());
        }
    }
    std::set<std::string> listed;
    for (const HostileInput& input : LoadHostileInputs("msitransform")) {
        listed.insert(input.name);
    }
    EXPECT_EQ(files, listed);
}

} // namespace
