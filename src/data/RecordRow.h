#pragma once

#include "data/Variant.h"

#include <cstdint>
#include <vector>

/// One row of a result as a Recordset holds it.
struct RecordRow
{
    std::vector<Variant> values;      ///< one per field
    std::vector<std::int64_t> rowids; ///< one per origin table the row can be written to
};
