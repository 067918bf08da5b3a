// What the installer suite shares: where the build put the package, its transforms and their
// payload, the languages, the package loaded once, and msitools run as programs.
#pragma once

#include "msipackage/ChangeList.h"
#include "msipackage/MsiDatabase.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <array>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <string_view>

namespace installer_test {

struct Language
{
    const char* code;
    int lcid;
    int codePage;
    int resource;
};

inline constexpr std::array<Language, 9> kLanguages{{
    {"JP", 1041, 932, 134},
    {"DE", 1031, 1252, 135},
    {"FR", 1036, 1252, 136},
    {"ES", 1034, 1252, 137},
    {"SC", 2052, 936, 2168},
    {"KO", 1042, 949, 2193},
    {"TH", 1054, 874, 2194},
    {"TC", 1028, 950, 2195},
    {"RU", 1049, 1251, 2196},
}};

inline void PrintTo(const Language& language, std::ostream* out)
{
    *out << language.code;
}

inline std::string PackagePath()
{
    return std::string(PYRN_INSTALLER_DIR) + "/PYRN_Installer.msi";
}

inline std::string TransformPath(const Language& language)
{
    return std::string(PYRN_INSTALLER_DIR) + "/" + std::to_string(language.resource) + ".mst";
}

inline std::string ChangeListPath(const Language& language)
{
    return std::string(PYRN_INSTALLER_SOURCE_DIR) + "/languages/" + language.code + ".txt";
}

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The built package, read through libmsi once for the whole suite.
inline const msitransform::MsiDatabase& Package()
{
    static const msitransform::MsiDatabase package = [] {
        auto loaded = msitransform::MsiDatabase::Load(PackagePath());
        if (!loaded) {
            ADD_FAILURE() << loaded.Error();
            return msitransform::MsiDatabase();
        }
        return loaded.Take();
    }();
    return package;
}

inline msitransform::ChangeList LoadChangeList(const Language& language)
{
    auto list = msitransform::ChangeList::Parse(ReadBytes(ChangeListPath(language)));
    EXPECT_TRUE(list) << list.Error();
    return list ? list.Take() : msitransform::ChangeList();
}

struct ToolRun
{
    int exitCode = -1;
    QByteArray output; // standard output only
    QByteArray errors;
};

// Runs an msitools program to its end (at most a minute).
inline ToolRun RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.output = process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
    return run;
}

// The text of one cell, or "<missing>".
inline std::string CellText(const msitransform::MsiDatabase& database, std::string_view table,
                            const std::vector<std::string>& keys, std::string_view column)
{
    const msitransform::MsiTable* found = database.FindTable(table);
    if (found == nullptr) {
        return "<missing>";
    }
    std::vector<msitransform::MsiValue> keyValues;
    for (std::size_t i = 0; i < keys.size() && i < found->Columns().size(); ++i) {
        keyValues.push_back(found->Columns()[i].kind == msitransform::ColumnKind::Integer
                                ? msitransform::MsiValue::Int(std::stoi(keys[i]))
                                : msitransform::MsiValue::Str(keys[i]));
    }
    const msitransform::MsiValue* value = found->Cell(keyValues, column);
    if (value == nullptr) {
        return "<missing>";
    }
    return value->kind == msitransform::MsiValue::Kind::Integer ? std::to_string(value->integer)
                                                                : value->text;
}

} // namespace installer_test
