#pragma once

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

/// Wall-clock seconds of the work.
inline double Seconds(const std::function<void()>& work)
{
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// The median of the wall-clock seconds of several runs of the work.
inline double Median(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(Seconds(work));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

/// The median of three runs of a statement read to its end by the engine alone: the floor a
/// benchmark compares the program's own work with.
inline double EngineScanSeconds(sqlite3* db, const char* sql)
{
    return Median(3,
                  [&]
                  {
                      sqlite3_stmt* scan = nullptr;
                      sqlite3_prepare_v2(db, sql, -1, &scan, nullptr);
                      while (sqlite3_step(scan) == SQLITE_ROW)
                      {
                      }
                      sqlite3_finalize(scan);
                  });
}
