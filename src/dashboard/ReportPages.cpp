#include "dashboard/ReportPages.h"

#include "dashboard/PageFile.h"
#include "dashboard/PageTemplate.h"
#include "data/DateTime.h"
#include "data/Regional.h"

#include <fstream>
#include <sstream>

const char* const ReportStyleSheet =
    "<style type=\"text/css\">body, td { font-family: \"Tahoma\"; font-size: x-small; "
    "vertical-align:top; } h1 {text-align:center;} h2 {text-align:center;} tr.AccountRow "
    "{background-color:LightGray;} @media print { tr.AccountRow td {border-bottom:1pt solid "
    "black;font-style:italic;} }</style>";

namespace
{
std::string ShortDate(int year, int month, int day)
{
    return FormatShortDate(DateTime{year, month, day, 0, 0, 0});
}
} // namespace

std::string ReportDocument(const std::string& body)
{
    std::ostringstream document;
    WriteReportDocument(document, body);
    return std::move(document).str();
}

void WriteReportDocument(std::ostream& out, const std::string& body)
{
    // The pages are UTF-8; without the declaration the browser reads them as Latin-1.
    out << "<html><head><meta charset=\"utf-8\">" << ReportStyleSheet << "</head><body>" << body
        << "</body></html>";
}

std::string WriteReportPage(const std::string& body)
{
    std::string path = PageFilePath();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    WriteReportDocument(file, body);
    return path;
}

std::string ReportsMenuBody()
{
    return "<b>Reports</b><br><a href=\"event://Report_Transactions_Parameters\">Transactions</a>"
           "<br><a href=\"event://Report_Chart_Parameters?Report=spending\">Spending by "
           "Category</a><br><a href=\"event://Report_Chart_Parameters?Report=cashflow\">Income "
           "and Expenses</a><br><a href=\"event://Report_Chart_Parameters?Report=networth\">Net "
           "Worth</a><br><a href=\"event://Report_Chart_Parameters?Report=budget\">Budget for "
           "the Year</a>";
}

std::string BuildParametersPage(std::int64_t now)
{
    DateTime today = ToLocalCalendar(now);
    // The month's last day is counted on the calendar: stepping back 24 hours from the next
    // month's first midnight lands a day early when the clocks go forward on that last day.
    int lastDay = DaysInMonth(today.year, today.month);
    return FillTemplate(ParametersPageTemplate(),
                        {{"%start_date_month%", ShortDate(today.year, today.month, 1)},
                         {"%end_date_month%", ShortDate(today.year, today.month, lastDay)},
                         {"%start_date_year%", ShortDate(today.year, 1, 1)},
                         {"%end_date_year%", ShortDate(today.year, 12, 31)}});
}
