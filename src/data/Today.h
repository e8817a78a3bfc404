#pragma once

#include "data/DateTime.h"

#include <optional>

/// Today's date at local midnight, from the system clock, or the day set with SetToday: the
/// one clock that schedules and the pages that show what is coming read, so a test (or a
/// user trying a schedule out) can move it.
DateTime Today();

/// Makes Today() answer a fixed day (its time of day dropped); nullopt gives the system
/// clock back.
void SetToday(std::optional<DateTime> day);
