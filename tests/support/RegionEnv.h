#pragma once

#include "support/ScopedLocale.h"
#include "support/TempDir.h"

#include <clocale>
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

/// Sets TZ for the life of the object.
using TimeZoneEnv = ScopedTimeZone;
