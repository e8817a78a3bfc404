#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

/// Status codes carried by DatabaseError, in the HRESULT form the messages show.
namespace Status
{
constexpr std::int32_t Fail = static_cast<std::int32_t>(0x80004005);
constexpr std::int32_t NoSuchTable = static_cast<std::int32_t>(0x80040E37);
constexpr std::int32_t ErrorsInCommand = static_cast<std::int32_t>(0x80040E14);
constexpr std::int32_t IntegrityViolation = static_cast<std::int32_t>(0x80040E2F);
constexpr std::int32_t TypeMismatch = static_cast<std::int32_t>(0x80020005);
constexpr std::int32_t Overflow = static_cast<std::int32_t>(0x8002000A);
constexpr std::int32_t ItemNotFound = static_cast<std::int32_t>(0x800A0CC1);
constexpr std::int32_t NoCurrentRecord = static_cast<std::int32_t>(0x800A0BCD);
constexpr std::int32_t ObjectClosed = static_cast<std::int32_t>(0x800A0E78);
constexpr std::int32_t NotSupported = static_cast<std::int32_t>(0x800A0CB3);
} // namespace Status

/// A failure of the database engine or the access layer: a status code and the engine's
/// description (which may be empty).
class DatabaseError : public std::runtime_error
{
public:
    DatabaseError(std::int32_t status, std::string description);

    std::int32_t StatusCode() const { return m_status; }
    const std::string& Description() const { return m_description; }

private:
    std::int32_t m_status;
    std::string m_description;
};

/// A database file that cannot be opened because of what it holds: empty, cut short, not a
/// database, or not the program's. A backup can take its place; a file that is merely busy,
/// read-only or missing is not damaged.
class DamagedDatabaseError : public DatabaseError
{
public:
    explicit DamagedDatabaseError(std::string description)
        : DatabaseError(Status::Fail, std::move(description))
    {
    }
};

/// The text shown to the user: the description (or the system's text for the code), then
/// the code as a signed decimal number in brackets.
std::string GetComExceptionMessage(const DatabaseError& error);
