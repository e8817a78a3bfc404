#pragma once

#include "support/TempDir.h"

#include <clocale>
#include <ctime>
#include <string>

/// Switches every category of the C library's locale for the life of the object and puts
/// the old one back after.
class ScopedLocale
{
public:
    explicit ScopedLocale(const char* name)
        : m_old(std::setlocale(LC_ALL, nullptr)), m_ok(std::setlocale(LC_ALL, name) != nullptr)
    {
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, m_old.c_str()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;
    bool Ok() const { return m_ok; }

private:
    std::string m_old;
    bool m_ok;
};

/// Sets TZ for the life of the object; the C library re-reads it on both sides.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char* zone) : m_env("TZ", zone) { tzset(); }

private:
    struct Reread
    {
        ~Reread() { tzset(); }
    } m_reread; // destroyed after m_env has put the old TZ back
    ScopedEnv m_env;
};
