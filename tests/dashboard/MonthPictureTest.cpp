#include "dashboard/MonthPicture.h"

#include "budget/BudgetReport.h"
#include "support/RegionEnv.h"

#include <gtest/gtest.h>

namespace
{
BudgetReport OneGroup(const std::string& budgeted, const std::string& actual)
{
    BudgetReport report;
    report.groups.push_back(BudgetReportGroup{"Living",
                                              {},
                                              Variant::FromCurrency(*Currency::Parse(budgeted)),
                                              Variant::FromCurrency(*Currency::Parse(actual))});
    return report;
}

/// The filled bar and the budget outline of the group's picture.
std::string Bars(const std::string& budgeted, const std::string& actual)
{
    std::string rows = MonthPictureRows(OneGroup(budgeted, actual), 2016, 5);
    std::size_t start = rows.find("<rect");
    std::size_t end = rows.find("</svg>");
    return start == std::string::npos ? rows : rows.substr(start, end - start);
}

std::string Expected(int spent, const char* colour, int plan)
{
    return "<rect x='0' y='3' width='" + std::to_string(spent) + "' height='6' fill='" + colour +
           "'/><rect x='0.5' y='0.5' width='" + std::to_string(plan) +
           "' height='11' fill='none' stroke='#000000' stroke-width='1'/>";
}
} // namespace

TEST(MonthPicture, BarsCompareSpendingWithTheBudgetOnTheLargerScale)
{
    // Half of an expense budget spent: the outline is the full width, the bar half of it.
    EXPECT_EQ(Bars("-300", "-150"), Expected(80, "#7b869c", 159));
    // Twice the budget spent: the bar is the full width and red, the outline half of it.
    EXPECT_EQ(Bars("-100", "-200"), Expected(160, "#c0392b", 79));
    // A refund against an expense budget spends nothing.
    EXPECT_EQ(Bars("-100", "50"), Expected(0, "#7b869c", 159));
    // Income budgets count upwards.
    EXPECT_EQ(Bars("1000", "250"), Expected(40, "#7b869c", 159));
    // Nothing budgeted but something spent: all over budget; nothing at all: an empty outline.
    EXPECT_EQ(Bars("0", "15"), Expected(160, "#c0392b", 0));
    EXPECT_EQ(Bars("0", "0"), Expected(0, "#7b869c", 159));
}

TEST(MonthPicture, FiguresFollowTheLocaleAndTheBoxNeedsNoScript)
{
    for (const auto& [locale, name, figures] :
         {std::tuple{"en_US.UTF-8", "May 2016",
                     "-$150.00</td><td class='menuText' "
                     "align='right'>-$300.00"},
          std::tuple{"de_DE.UTF-8", "Mai 2016",
                     "-150,00 \xE2\x82\xAC</td><td class='menuText' "
                     "align='right'>-300,00 \xE2\x82\xAC"}})
    {
        LocaleEnv region(locale);
        ASSERT_TRUE(region.Ok());
        std::string rows = MonthPictureRows(OneGroup("-300", "-150"), 2016, 5);
        EXPECT_NE(rows.find(std::string("<b>") + name + "</b>"), std::string::npos) << rows;
        EXPECT_NE(rows.find(figures), std::string::npos) << rows;
        // The drawing's numbers never take the locale's decimal comma.
        EXPECT_NE(rows.find("x='0.5' y='0.5'"), std::string::npos) << rows;
        EXPECT_EQ(rows.find("script"), std::string::npos);
        EXPECT_EQ(rows.find("http"), std::string::npos);
    }
}

TEST(MonthPicture, NoBudgetLinesLinkToTheBudget)
{
    EXPECT_EQ(MonthPictureRows(BudgetReport{}, 2016, 7),
              "<tr><td class='menuText' colspan='4'><b>July 2016</b></td></tr>\n"
              "<tr><td class='menuText' colspan='4'><a href='event://gotoBudget'>No budget for "
              "this month.</a></td></tr>\n");
}
