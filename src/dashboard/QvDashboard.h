#pragma once

#include "dashboard/CBrowser.h"

class Database;

/// The main window's browser pane, which also shows the home page.
class QvDashboard : public CBrowser
{
public:
    using CBrowser::CBrowser;
    using CBrowser::Refresh;

    /// Builds the home page for the budget period and shows it.
    void Refresh(Database& db, int year, int period);
};
