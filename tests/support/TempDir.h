#pragma once

#include <filesystem>
#include <string>

/// A fresh directory under the system's temporary folder, removed with its contents when
/// the object goes out of scope.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    /// The path of a file inside the directory, as text.
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

/// Sets an environment variable for the life of the object, restoring the old value after.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_had = false;
};

/// Every byte of a file; empty when it cannot be read.
std::string FileContents(const std::filesystem::path& path);
