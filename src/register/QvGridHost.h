#pragma once

#include "data/Variant.h"

#include <string>

/// What the register grid asks of the window that hosts it. Every call has a default that
/// does nothing or accepts, so a dialog that hosts a grid overrides only what it needs.
class QvGridHost
{
public:
    virtual ~QvGridHost() = default;

    /// Delete on a data row; true lets the grid delete it. By default it deletes unasked.
    virtual bool ConfirmDelete(int /*row*/) { return true; }
    /// After the grid deleted a row.
    virtual void RowDeleted() {}
    /// An edit started, or the grid gained or lost the keyboard focus.
    virtual void CommandStateChanged() {}
    /// An edit of a cell of the row finished; the host may set cells of the row.
    virtual void CellEdited(int /*row*/) {}
    /// Before the pending row is written; false keeps it pending (the host told the user why).
    /// The host may set cells of the row, which are written with it.
    virtual bool ValidateRow(int /*row*/) { return true; }
    /// The pending row is stored, in the transaction that stores it; what else changes with
    /// it changes here (a DatabaseError undoes the write).
    virtual void RowStored(int /*row*/) {}
    /// A row is about to be deleted, in the transaction that deletes it.
    virtual void RowDeleting(int /*row*/) {}
    /// After the pending row was written.
    virtual void RowsWritten() {}
    /// Enter or a double click on a row of a grid that cannot be edited; true when the host
    /// acted on it.
    virtual bool RowActivated(int /*row*/) { return false; }
    /// The tool tip over a row; "" for none.
    virtual std::string CellHint(int /*row*/) { return {}; }
    /// The value of a computed column (a logical column) of a row; NULL shows nothing.
    virtual Variant ComputedCell(int /*row*/, int /*column*/) { return {}; }
    /// The total of a group under a column (a logical column).
    virtual Variant GroupTotal(const std::string& /*group*/, int /*column*/) { return {}; }
    /// The order text of a heading sort, which the host may rewrite (grouped: whether the rows
    /// are grouped, and in which direction).
    virtual std::string SortOrder(const std::string& order, bool /*grouped*/,
                                  bool /*groupAscending*/)
    {
        return order;
    }
};
