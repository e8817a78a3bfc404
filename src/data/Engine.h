#pragma once

#include <string>

struct sqlite3;

/// Raises the DatabaseError that matches an engine result code and the connection's
/// last message.
[[noreturn]] void ThrowEngineError(sqlite3* db, int resultCode);
/// Runs statements that return no rows directly on the engine.
void ExecEngine(sqlite3* db, const std::string& sql);
