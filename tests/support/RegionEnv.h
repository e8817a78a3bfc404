#pragma once

#include "support/TempDir.h"

#include <clocale>
#include <ctime>
#include <string>

/// Sets LC_ALL in the environment and has the C library take it up, as the program does at
/// start; both are restored when the object goes.
class LocaleEnv
{
public:
    explicit LocaleEnv(const char* name)
        : m_old(std::setlocale(LC_ALL, nullptr)), m_env("LC_ALL", name),
          m_ok(std::setlocale(LC_ALL, "") != nullptr)
    {
    }
    ~LocaleEnv() { std::setlocale(LC_ALL, m_old.c_str()); }
    LocaleEnv(const LocaleEnv&) = delete;
    LocaleEnv& operator=(const LocaleEnv&) = delete;
    /// Whether the locale is installed.
    bool Ok() const { return m_ok; }

private:
    std::string m_old;
    ScopedEnv m_env;
    bool m_ok;
};

/// Sets TZ for the life of the object; the C library re-reads it on both sides.
class TimeZoneEnv
{
public:
    explicit TimeZoneEnv(const char* zone) : m_env("TZ", zone) { tzset(); }
    TimeZoneEnv(const TimeZoneEnv&) = delete;
    TimeZoneEnv& operator=(const TimeZoneEnv&) = delete;

private:
    struct Reread
    {
        ~Reread() { tzset(); }
    } m_reread; // destroyed after m_env has put the old TZ back
    ScopedEnv m_env;
};
