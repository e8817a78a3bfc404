#pragma once

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

/// A test that starts the whole program in a death test's child process, with an
/// application-data folder of its own. The child runs the test again from its start and finds
/// the parent's folder through the environment variable named at construction.
class ProgramHomeTest : public ::testing::Test
{
protected:
    explicit ProgramHomeTest(const char* homeVariable) : m_homeVariable(homeVariable) {}
    void SetUp() override;

    std::filesystem::path AppDir() const { return m_home / "Quorvel/Tallybrook"; }

    const char* m_homeVariable;
    std::optional<TempDir> m_tempDir;
    std::optional<ScopedEnv> m_homeEnv;
    std::optional<ScopedEnv> m_dataHome;
    std::filesystem::path m_home;
};
