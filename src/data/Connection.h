#pragma once

#include <memory>

struct sqlite3;

/// Closes an engine connection; statements still open keep it alive until they finish.
struct CloseConnection
{
    void operator()(sqlite3* connection) const noexcept;
};

/// An engine connection that is closed when the handle goes.
using ConnectionHandle = std::unique_ptr<sqlite3, CloseConnection>;
