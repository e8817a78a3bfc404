// The Find field's language: words, quoted words, the five prefixes and the hint shown for each
// kind of mistake.

#include "search/SearchQuery.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace
{
SearchQuery Parsed(const std::string& text)
{
    std::variant<SearchQuery, std::string> result = ParseSearchQuery(text);
    if (const std::string* hint = std::get_if<std::string>(&result))
    {
        ADD_FAILURE() << "[" << text << "] gave the hint: " << *hint;
        return SearchQuery();
    }
    return std::get<SearchQuery>(result);
}

std::string HintOf(const std::string& text)
{
    std::variant<SearchQuery, std::string> result = ParseSearchQuery(text);
    if (std::holds_alternative<SearchQuery>(result))
    {
        ADD_FAILURE() << "[" << text << "] was read without a hint";
        return "";
    }
    return std::get<std::string>(result);
}

std::optional<std::int64_t> UnitsOf(const std::optional<Currency>& amount)
{
    if (!amount)
        return std::nullopt;
    return amount->Units();
}

DateTime Day(int year, int month, int day)
{
    return DateTime{year, month, day, 0, 0, 0};
}

const std::string UseKnownPrefixes = "; use amount:, from:, to:, account: or category:.";
const std::string WriteAnAmount = " is not an amount; write it as 42.17 or 10..50.";
const std::string WriteADate = " is not a date; write it as YYYY-MM-DD.";
} // namespace

TEST(SearchQuery, WordsAreSplitAtBlanksOutsideDoubleQuotes)
{
    const struct
    {
        std::string text;
        std::vector<std::string> words;
    } cases[] = {
        {"coffee", {"coffee"}},
        {"coffee beans", {"coffee", "beans"}},
        {"   coffee    beans   ", {"coffee", "beans"}},
        {"coffee\tbeans\n", {"coffee", "beans"}},
        {"\"two words\" rent", {"two words", "rent"}},
        {"\"two   words\"", {"two   words"}},
        {"\"  two words  \"", {"two words"}},
        {"ab\"c d\"e", {"abc de"}},
        {"\"\" rent \"\"", {"rent"}},
        {"\"\"", {}},
        {"\"   \"", {}},
        {"Café Zürich", {"Café", "Zürich"}},
        {"\"Crème brûlée\" 日本語", {"Crème brûlée", "日本語"}},
        {"RENT Rent", {"RENT", "Rent"}},
    };
    for (const auto& c : cases)
    {
        SearchQuery query = Parsed(c.text);
        EXPECT_EQ(query.words, c.words) << c.text;
        EXPECT_FALSE(query.amountFrom || query.amountTo || query.from || query.to) << c.text;
        EXPECT_EQ(query.account, "") << c.text;
        EXPECT_EQ(query.category, "") << c.text;
    }
}

TEST(SearchQuery, TextWithAColonThatIsNoPrefixIsAWord)
{
    const struct
    {
        std::string text;
        std::vector<std::string> words;
    } cases[] = {
        {"12:30", {"12:30"}},
        {"lunch 12:30", {"lunch", "12:30"}},
        {"http://example.com/a", {"http://example.com/a"}},
        {"Re:", {"Re:"}},
        {"Invoice: paid", {"Invoice:", "paid"}},
        {"a1:b", {"a1:b"}},
        {":x", {":x"}},
        {"\"amount:5\"", {"amount:5"}},
        {"\"note: x\"", {"note: x"}},
        {"Zürich:x", {"Zürich:x"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Parsed(c.text).words, c.words) << c.text;
}

TEST(SearchQuery, AmountIsTheAbsoluteAmountOrARange)
{
    const struct
    {
        std::string text;
        std::optional<std::int64_t> from;
        std::optional<std::int64_t> to;
    } cases[] = {
        {"amount:42.17", 421700, 421700},
        {"amount:42,17", 421700, 421700},
        {"amount:-42.17", 421700, 421700},
        {"amount:42", 420000, 420000},
        {"amount:.5", 5000, 5000},
        {"amount:0.0001", 1, 1},
        {"amount:1234.5678", 12345678, 12345678},
        {"amount:\"42.17\"", 421700, 421700},
        {"amount:10..50", 100000, 500000},
        {"amount:10,5..20.25", 105000, 202500},
        {"amount:10..", 100000, std::nullopt},
        {"amount:..50", std::nullopt, 500000},
        {"amount:10..10", 100000, 100000},
        {"amount:-10..-50", 100000, 500000},
        {"amount:\"10 .. 50\"", 100000, 500000},
        {"amount:0", 0, 0},
    };
    for (const auto& c : cases)
    {
        SearchQuery query = Parsed(c.text);
        EXPECT_EQ(UnitsOf(query.amountFrom), c.from) << c.text;
        EXPECT_EQ(UnitsOf(query.amountTo), c.to) << c.text;
        EXPECT_TRUE(query.words.empty()) << c.text;
    }
}

TEST(SearchQuery, FromAndToBoundTheDay)
{
    const struct
    {
        std::string text;
        std::optional<DateTime> from;
        std::optional<DateTime> to;
    } cases[] = {
        {"from:2024-01-01", Day(2024, 1, 1), std::nullopt},
        {"to:2024-12-31", std::nullopt, Day(2024, 12, 31)},
        {"from:2024-02-29", Day(2024, 2, 29), std::nullopt},
        {"from:2000-02-29", Day(2000, 2, 29), std::nullopt},
        {"from:2024-03-01 to:2024-03-31", Day(2024, 3, 1), Day(2024, 3, 31)},
        {"to:2024-03-31 from:2024-03-01", Day(2024, 3, 1), Day(2024, 3, 31)},
        {"from:2024-05-05 to:2024-05-05", Day(2024, 5, 5), Day(2024, 5, 5)},
        {"to:\"2024-12-31\"", std::nullopt, Day(2024, 12, 31)},
    };
    for (const auto& c : cases)
    {
        SearchQuery query = Parsed(c.text);
        EXPECT_EQ(query.from, c.from) << c.text;
        EXPECT_EQ(query.to, c.to) << c.text;
    }
}

TEST(SearchQuery, AccountAndCategoryAreTrimmedAndKeptAsTyped)
{
    const struct
    {
        std::string text;
        std::string account;
        std::string category;
    } cases[] = {
        {"account:Checking", "Checking", ""},
        {"account:\"Visa Card\"", "Visa Card", ""},
        {"account:\"  Visa Card  \"", "Visa Card", ""},
        {"account:Visa\" Card\"", "Visa Card", ""},
        {"account:A1", "A1", ""},
        {"category:Food", "", "Food"},
        {"category:\"Auto: Fuel\"", "", "Auto: Fuel"},
        {"category:Épicerie", "", "Épicerie"},
        {"account:Checking category:Rent", "Checking", "Rent"},
    };
    for (const auto& c : cases)
    {
        SearchQuery query = Parsed(c.text);
        EXPECT_EQ(query.account, c.account) << c.text;
        EXPECT_EQ(query.category, c.category) << c.text;
        EXPECT_TRUE(query.words.empty()) << c.text;
    }
}

TEST(SearchQuery, PrefixesIgnoreCase)
{
    SearchQuery query = Parsed("AMOUNT:5 From:2024-01-01 tO:2024-01-31 Account:Checking "
                               "CATEGORY:Food");
    EXPECT_EQ(UnitsOf(query.amountFrom), 50000);
    EXPECT_EQ(UnitsOf(query.amountTo), 50000);
    EXPECT_EQ(query.from, Day(2024, 1, 1));
    EXPECT_EQ(query.to, Day(2024, 1, 31));
    EXPECT_EQ(query.account, "Checking");
    EXPECT_EQ(query.category, "Food");
    EXPECT_TRUE(query.words.empty());
}

TEST(SearchQuery, WordsAndConditionsMix)
{
    SearchQuery query =
        Parsed("  rent   amount:..900 \"March 2024\"  account:\"Visa Card\" 12:30  ");
    EXPECT_EQ(query.words, (std::vector<std::string>{"rent", "March 2024", "12:30"}));
    EXPECT_EQ(UnitsOf(query.amountFrom), std::nullopt);
    EXPECT_EQ(UnitsOf(query.amountTo), 9000000);
    EXPECT_EQ(query.account, "Visa Card");
    EXPECT_EQ(query.category, "");
}

TEST(SearchQuery, ARepeatedPrefixKeepsItsLastValue)
{
    SearchQuery amounts = Parsed("amount:5 amount:10..");
    EXPECT_EQ(UnitsOf(amounts.amountFrom), 100000);
    EXPECT_EQ(UnitsOf(amounts.amountTo), std::nullopt);

    SearchQuery ranges = Parsed("amount:10..20 amount:7");
    EXPECT_EQ(UnitsOf(ranges.amountFrom), 70000);
    EXPECT_EQ(UnitsOf(ranges.amountTo), 70000);

    SearchQuery days = Parsed("from:2024-01-01 from:2024-06-01 to:2024-03-01 to:2024-09-30");
    EXPECT_EQ(days.from, Day(2024, 6, 1));
    EXPECT_EQ(days.to, Day(2024, 9, 30));

    SearchQuery texts = Parsed("account:A1 category:Food account:V9 category:Rent");
    EXPECT_EQ(texts.account, "V9");
    EXPECT_EQ(texts.category, "Rent");
}

TEST(SearchQuery, EachMistakeGivesItsHint)
{
    const struct
    {
        std::string text;
        std::string hint;
    } cases[] = {
        {"amout:5", "Unknown prefix 'amout:'" + UseKnownPrefixes},
        {"rent Note:\"x y\"", "Unknown prefix 'Note:'" + UseKnownPrefixes},
        {"payee:x", "Unknown prefix 'payee:'" + UseKnownPrefixes},
        {"amount:12,5x", "'12,5x'" + WriteAnAmount},
        {"amount:abc", "'abc'" + WriteAnAmount},
        {"amount:1.2.3", "'1.2.3'" + WriteAnAmount},
        {"amount:1.000,50", "'1.000,50'" + WriteAnAmount},
        {"amount:1e3", "'1e3'" + WriteAnAmount},
        {"amount:+5", "'+5'" + WriteAnAmount},
        {"amount:--5", "'--5'" + WriteAnAmount},
        {"amount:-", "'-'" + WriteAnAmount},
        {"amount:\"4 2\"", "'4 2'" + WriteAnAmount},
        {"amount:..", "'..'" + WriteAnAmount},
        {"amount:10..abc", "'10..abc'" + WriteAnAmount},
        {"amount:x..10", "'x..10'" + WriteAnAmount},
        {"amount:1..2..3", "'1..2..3'" + WriteAnAmount},
        {"amount:0.00001", "'0.00001' has more than four decimals."},
        {"amount:1..2,12345", "'1..2,12345' has more than four decimals."},
        {"amount:50..10", "amount:50..10 is an empty range."},
        {"amount:0.0002..0.0001", "amount:0.0002..0.0001 is an empty range."},
        {"from:2024-13-01", "'2024-13-01'" + WriteADate},
        {"to:2023-02-29", "'2023-02-29'" + WriteADate},
        {"from:2024-04-31", "'2024-04-31'" + WriteADate},
        {"from:2024-00-10", "'2024-00-10'" + WriteADate},
        {"from:2024-01-00", "'2024-01-00'" + WriteADate},
        {"to:0000-01-01", "'0000-01-01'" + WriteADate},
        {"from:2024-1-5", "'2024-1-5'" + WriteADate},
        {"to:20240101", "'20240101'" + WriteADate},
        {"from:2024/01/01", "'2024/01/01'" + WriteADate},
        {"from:2024-01-01T10", "'2024-01-01T10'" + WriteADate},
        {"to:today", "'today'" + WriteADate},
        {"from:2024-12-31 to:2024-01-01", "from: is after to:."},
        {"to:2024-01-01 from:2024-12-31", "from: is after to:."},
        {"\"rent", "A closing double quote is missing."},
        {"account:\"Visa Card", "A closing double quote is missing."},
        {"\"a\" \"b\" \"", "A closing double quote is missing."},
        {"amount:", "amount: needs a value."},
        {"from:", "from: needs a value."},
        {"to:", "to: needs a value."},
        {"account:", "account: needs a value."},
        {"category:", "category: needs a value."},
        {"ACCOUNT:", "account: needs a value."},
        {"account:\"\"", "account: needs a value."},
        {"category:\"   \"", "category: needs a value."},
        {"amout:5 amount:x", "Unknown prefix 'amout:'" + UseKnownPrefixes},
        {"amount:x amout:5", "'x'" + WriteAnAmount},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HintOf(c.text), c.hint) << c.text;
}

TEST(SearchQuery, IsEmptyOnlyWithoutWordsAndConditions)
{
    const struct
    {
        std::string text;
        bool empty;
    } cases[] = {
        {"", true},
        {"   ", true},
        {" \t ", true},
        {"\"\"", true},
        {"\"  \" \"\"", true},
        {"x", false},
        {"amount:5", false},
        {"amount:10..", false},
        {"amount:..10", false},
        {"from:2024-01-01", false},
        {"to:2024-01-01", false},
        {"account:A1", false},
        {"category:Food", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Parsed(c.text).IsEmpty(), c.empty) << c.text;
}

TEST(SearchQuery, IsEmptyLooksAtEveryCondition)
{
    EXPECT_TRUE(SearchQuery().IsEmpty());
    SearchQuery to;
    to.amountTo = Currency::FromWhole(1);
    EXPECT_FALSE(to.IsEmpty());
    SearchQuery day;
    day.to = Day(2024, 1, 1);
    EXPECT_FALSE(day.IsEmpty());
}
