// The regression corpus of hostile inputs: tests/data/hostile/<reader>/ holds the inputs and
// expected.txt, one line per input: its file name, then key=value expectations (the keys, and
// what a missing one means, are the reader's test's), then an optional '#' and why the input
// is there.
//
//   dotdot.zip  test=0:0 extract=-1 files=   # an entry that would land beside the folder
#pragma once

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

struct HostileInput
{
    std::string reader;
    std::string name; // file name in the reader's folder
    std::map<std::string, std::string> expected;

    std::string Path() const
    {
        return std::string(PYRN_TEST_DATA_DIR) + "/hostile/" + reader + "/" + name;
    }
    bool Has(const std::string& key) const { return expected.contains(key); }
    const std::string& Get(const std::string& key) const { return expected.at(key); }
    int GetInt(const std::string& key) const { return std::stoi(expected.at(key)); }
};

inline void PrintTo(const HostileInput& input, std::ostream* out)
{
    *out << input.reader << "/" << input.name;
}

inline std::filesystem::path HostileFolder(const std::string& reader)
{
    return std::filesystem::path(PYRN_TEST_DATA_DIR) / "hostile" / reader;
}

// The manifest's entries in file order; empty when it is missing (a test checks for that).
inline std::vector<HostileInput> LoadHostileInputs(const std::string& reader)
{
    std::vector<HostileInput> inputs;
    std::ifstream manifest(HostileFolder(reader) / "expected.txt");
    std::string line;
    while (std::getline(manifest, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        HostileInput input{reader, {}, {}};
        if (!(words >> input.name)) {
            continue;
        }
        for (std::string word; words >> word;) {
            const std::size_t equals = word.find('=');
            input.expected[word.substr(0, equals)] =
                equals == std::string::npos ? std::string() : word.substr(equals + 1);
        }
        inputs.push_back(std::move(input));
    }
    return inputs;
}

// A test name from the file name: letters and digits kept, anything else '_'.
inline std::string HostileTestName(const HostileInput& input)
{
    std::string name = input.name;
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}
