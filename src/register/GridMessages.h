#pragma once

#include "data/Variant.h"

#include <string>

/// Messages between the register grid and the main window. The grid sends them
/// synchronously; the second parameter points to the record named with each.
namespace GridMessage
{
constexpr unsigned RowDeleted = 0x464;    ///< after a row was deleted
constexpr unsigned ConfirmDelete = 0x465; ///< bool* cancel: Delete on a data row
constexpr unsigned EditStarted = 0x466;   ///< command state: an edit started
constexpr unsigned CellEdited = 0x467;    ///< an edit finished
constexpr unsigned RowsWritten = 0x468;   ///< after a pending row was written
constexpr unsigned ValidateRow = 0x469;   ///< bool* cancel: before a pending row is written
constexpr unsigned CellHint = 0x46A;      ///< CellHintRequest*
constexpr unsigned ComputedCell = 0x46B;  ///< ComputedCellRequest*
constexpr unsigned GroupTotal = 0x46C;    ///< GroupTotalRequest*
constexpr unsigned FocusLost = 0x46D;     ///< command state: the grid lost the focus
constexpr unsigned PendingWrite = 0x46E;  ///< to the grid: write the pending row
constexpr unsigned FocusGained = 0x46F;   ///< command state: the grid gained the focus
constexpr unsigned AutoComplete = 0x470;  ///< to the grid itself: complete a drop-list cell
} // namespace GridMessage

struct CellHintRequest
{
    std::string text; ///< filled by the main window
    int row = 0;
};

struct ComputedCellRequest
{
    Variant value; ///< filled by the main window
    int row = 0;
    int column = 0;
};

struct GroupTotalRequest
{
    std::string group;
    Variant value;  ///< filled by the main window
    int column = 0; ///< 1 budgeted, 6 actual
};

/// The receiver of the grid's messages: the main window.
class GridMessageSink
{
public:
    virtual ~GridMessageSink() = default;
    virtual long OnGridMessage(unsigned message, void* parameter) = 0;
};
