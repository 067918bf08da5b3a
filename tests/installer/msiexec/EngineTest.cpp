// Why: the installer decides what to install by the package's conditions, writes its texts
// through formatted strings, takes setup's command line, compares versions for the upgrade
// rules and names files from package data: each must read exactly as Windows Installer reads
// it, and refuse what it cannot read rather than guess.
#include "installer/Condition.h"
#include "installer/DesktopEntry.h"
#include "installer/FormattedText.h"
#include "installer/MsiexecCommand.h"
#include "installer/ProductStore.h"
#include "installer/ProductVersion.h"
#include "installer/TargetFolder.h"

#include <gtest/gtest.h>
#include <map>

namespace {

using namespace installer;

constexpr const char* kLaunchCondition =
    "(VersionNT >= 601) OR (VersionNT = 600 AND ServicePackLevel = 2)";

TEST(EngineTest, ConditionsReadAsTheInstallerReadsThem)
{
    const struct
    {
        const char* condition;
        std::map<std::string, std::string> properties;
        bool value;
        bool error = false;
    } cases[] = {
        {"", {}, true},
        {"NOT Installed", {}, true},
        {"NOT Installed", {{"Installed", "1"}}, false},
        {"NEWFOUND", {{"NEWFOUND", "{A}"}}, true},
        {"ProductLanguage = 1031", {{"ProductLanguage", "1031"}}, true},
        {"ProductLanguage = 1031", {{"ProductLanguage", "1033"}}, false},
        {kLaunchCondition, {{"VersionNT", "601"}}, true},
        {kLaunchCondition, {{"VersionNT", "600"}, {"ServicePackLevel", "2"}}, true},
        {kLaunchCondition, {{"VersionNT", "600"}, {"ServicePackLevel", "1"}}, false},
        {kLaunchCondition, {}, false},
        {"Installed AND NOT RESUME AND NOT Preselected", {{"Installed", "1"}}, true},
        {"Name = \"abc\"", {{"Name", "abc"}}, true},
        {"Name ~= \"ABC\"", {{"Name", "abc"}}, true},
        {"Name = \"ABC\"", {{"Name", "abc"}}, false},
        {"Name >< \"b\" AND Name << \"a\" AND Name >> \"c\"", {{"Name", "abc"}}, true},
        {"Version >= 601", {{"Version", "6.1"}}, false}, // a text against an integer
        {"Version <> 601", {{"Version", "6.1"}}, true},
        {"A OR B AND C", {{"A", "1"}}, true},
        {"(A OR B) AND C", {{"A", "1"}}, false},
        {"A XOR B", {{"A", "1"}, {"B", "1"}}, false},
        {"A IMP B", {}, true},
        {"NOT NOT A", {{"A", "x"}}, true},
        {"-1 < 0", {}, true},
        {"(A", {}, false, true},
        {"A =", {}, false, true},
        {"$PYRN = 3", {}, false, true},
        {"Name = \"open", {}, false, true},
        {"A B", {}, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.condition);
        const ConditionResult result = EvaluateCondition(c.condition, [&](std::string_view name) {
            const auto found = c.properties.find(std::string(name));
            return found == c.properties.end() ? std::string() : found->second;
        });
        EXPECT_EQ(!result.error.empty(), c.error) << result.error;
        if (!c.error) {
            EXPECT_EQ(result.value, c.value);
        }
    }
}

TEST(EngineTest, FormattedTextsResolveGroupsEscapesAndRecordFields)
{
    const std::map<std::string, std::string> properties = {{"ProductName", "TARV"},
                                                           {"#PYRN", "/opt/TARV/PYRN"}};
    const FormatLookup lookup = [&](std::string_view name) -> std::optional<std::string> {
        if (name.starts_with('%')) {
            return std::nullopt;
        }
        if (name == "1") {
            return std::string("one");
        }
        const auto found = properties.find(std::string(name));
        return found == properties.end() ? std::string() : found->second;
    };
    const struct
    {
        const char* text;
        FormatAudience audience;
        const char* expected;
        const char* unsupported;
    } cases[] = {
        {"[ProductName] Setup", FormatAudience::User, "TARV Setup", ""},
        {"{[ProductName] }Done", FormatAudience::User, "TARV Done", ""},
        {"{[Missing] }Done", FormatAudience::User, "Done", ""},
        {"a{{ hidden [1]}}b", FormatAudience::User, "ab", ""},
        {"a{{ hidden [1]}}b", FormatAudience::Log, "a hidden oneb", ""},
        {"[\\[]x[\\]]", FormatAudience::User, "[x]", ""},
        {"[#PYRN] [1] [2]", FormatAudience::User, "/opt/TARV/PYRN one ", ""},
        {"path [%PATH]!", FormatAudience::User, "path !", "[%PATH]"},
        {"[Unclosed and {open", FormatAudience::User, "[Unclosed and {open", ""},
        {"[]", FormatAudience::User, "[]", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const FormatResult result = FormatText(c.text, lookup, c.audience);
        EXPECT_EQ(result.text, c.expected);
        EXPECT_EQ(result.unsupported, c.unsupported);
    }
    EXPECT_EQ(WithoutTextStyle("{\\Font_Title}Hello"), "Hello");
    EXPECT_EQ(WithoutTextStyle("{&Bold}Hello"), "Hello");
    EXPECT_EQ(WithoutTextStyle("{Hello}"), "{Hello}");
}

TEST(EngineTest, CommandLineTakesSetupsFormsAndRefusesTheRest)
{
    const std::string code = "{24677629-3F9F-4A04-84B9-A04AA5F500D6}";
    const struct
    {
        std::vector<std::string> arguments;
        std::string package;
        std::string productCode;
        std::vector<std::string> transforms;
        MaintenanceRequest request = MaintenanceRequest::Ask;
        bool quiet = false;
        bool refused = false;
    } cases[] = {
        {{"/i", "Install.dat", "/norestart", "TRANSFORMS=lang.mst"},
         "Install.dat",
         "",
         {"lang.mst"}},
        {{"/i", "Install.dat", "/norestart"}, "Install.dat", "", {}},
        {{"/I" + code, "/norestart"}, "", code, {}},
        {{"/i{24677629-3f9f-4a04-84b9-a04aa5f500d6}", "remove=All", "/QN"},
         "",
         code,
         {},
         MaintenanceRequest::Remove,
         true},
        {{"-I", code, "REINSTALL=ALL", "/q"}, "", code, {}, MaintenanceRequest::Repair, true},
        {{"/i", "p.msi", "TRANSFORMS=a.mst;b.mst"}, "p.msi", "", {"a.mst", "b.mst"}},
        {{}, "", "", {}, MaintenanceRequest::Ask, false, true},
        {{"/i"}, "", "", {}, MaintenanceRequest::Ask, false, true},
        {{"/x", code}, "", "", {}, MaintenanceRequest::Ask, false, true},
        {{"/i", "{24677629}"}, "", "", {}, MaintenanceRequest::Ask, false, true},
        {{"/i", "p.msi", "INSTALLLOCATION=/etc"}, "", "", {}, MaintenanceRequest::Ask, false, true},
        {{"/i", "p.msi", "TRANSFORMS=:secure.mst"},
         "",
         "",
         {},
         MaintenanceRequest::Ask,
         false,
         true},
        {{"/i", code, "TRANSFORMS=lang.mst"}, "", "", {}, MaintenanceRequest::Ask, false, true},
        {{"/i", "a.msi", "/i", "b.msi"}, "", "", {}, MaintenanceRequest::Ask, false, true},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const std::string& argument : c.arguments) {
            joined += argument + " ";
        }
        SCOPED_TRACE(joined);
        const auto parsed = MsiexecCommand::Parse(c.arguments);
        ASSERT_EQ(std::holds_alternative<std::string>(parsed), c.refused);
        if (c.refused) {
            continue;
        }
        const MsiexecCommand& command = std::get<MsiexecCommand>(parsed);
        EXPECT_EQ(command.package, c.package);
        EXPECT_EQ(command.productCode, c.productCode);
        EXPECT_EQ(command.transforms, c.transforms);
        EXPECT_EQ(command.request, c.request);
        EXPECT_EQ(command.quiet, c.quiet);
    }
}

TEST(EngineTest, VersionsCompareByTheirFirstThreeFieldsWithinTheirBounds)
{
    EXPECT_EQ(ProductVersion::Parse("3.00.00"), (ProductVersion{3, 0, 0}));
    EXPECT_EQ(ProductVersion::Parse("3.0.0.5"), (ProductVersion{3, 0, 0}));
    EXPECT_EQ(ProductVersion::Parse("255.255.65535"), (ProductVersion{255, 255, 65535}));
    EXPECT_LT(*ProductVersion::Parse("3.9.9"), *ProductVersion::Parse("3.10.0"));
    EXPECT_LT(*ProductVersion::Parse("2.5"), *ProductVersion::Parse("3"));
    for (const char* refused :
         {"", "3..0", "256.0.0", "1.256.0", "1.2.65536", "1.2.3.4.5", "a.b", "-1.0.0", "3.0.0 "}) {
        EXPECT_FALSE(ProductVersion::Parse(refused)) << refused;
    }
}

TEST(EngineTest, NamesFromPackagesAreSingleSafeComponents)
{
    for (const char* safe : {"TARV Post Log Viewer", "{24677629-3F9F-4A04-84B9-A04AA5F500D6}",
                             "PYRN.ini", "TARVポストログビューア.desktop"}) {
        EXPECT_TRUE(IsSafeName(safe)) << safe;
    }
    for (const char* unsafe : {"", ".", "..", "a/b", "/a", "..\\x", "c:x", "a\nb"}) {
        EXPECT_FALSE(IsSafeName(unsafe)) << unsafe;
    }
    EXPECT_FALSE(IsSafeName(std::string(256, 'a')));
    EXPECT_TRUE(IsProductCode("{24677629-3F9F-4A04-84B9-A04AA5F500D6}"));
    for (const char* refused :
         {"{24677629-3f9f-4a04-84b9-a04aa5f500d6}", "24677629-3F9F-4A04-84B9-A04AA5F500D6",
          "{../../../../etc/x}", "{24677629-3F9F-4A04-84B9A-04AA5F500D6}"}) {
        EXPECT_FALSE(IsProductCode(refused)) << refused;
    }
}

TEST(EngineTest, DesktopEntryQuotesItsCommandAndKeepsOneValueALine)
{
    DesktopEntry entry;
    entry.name = "Viewer\nExec=/bin/sh";
    entry.program = "/opt/A B/pro\"g$%";
    entry.arguments = "one \"two three\" C:\\x";
    entry.folder = "/opt/A B";
    EXPECT_EQ(entry.Text(), "[Desktop Entry]\nType=Application\nVersion=1.0\n"
                            "Name=Viewer\\nExec=/bin/sh\n"
                            "Exec=\"/opt/A B/pro\\\\\"g\\\\$%%\" \"one\" \"two three\" "
                            "\"C:\\\\\\\\x\"\n"
                            "Path=/opt/A B\nTerminal=false\n");
}

} // namespace
