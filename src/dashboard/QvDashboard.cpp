#include "dashboard/QvDashboard.h"

#include "dashboard/HomePage.h"

void QvDashboard::Refresh(Database& db, int year, int period)
{
    Navigate(WriteHomePage(db, year, period));
}
