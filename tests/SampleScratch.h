// A fresh folder per test process for the sample-job tests, removed afterwards.
#pragma once

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

class SampleScratch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Parameterised test names hold '/'.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name) {
            c = c == '/' ? '_' : c;
        }
        m_dir = std::filesystem::temp_directory_path() /
                ("SampleJob_" + name + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }

    std::filesystem::path m_dir;
};
