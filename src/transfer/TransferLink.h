#pragma once

#include <cstdint>
#include <optional>
#include <string>

class Database;

/// One row of Trans: a transaction's part by its Sequence and SubSequence (a part stored
/// without a SubSequence is part 0).
struct TransKey
{
    std::int32_t sequence = 0;
    std::int32_t subSequence = 0;
    // clang-tidy takes the 0 that a rewritten `a < b` compares the result with for a pointer
    auto operator<=>(const TransKey&) const = default; // NOLINT(modernize-use-nullptr)
};

/// An account that can take the other side of a transfer: one with a register.
struct TransferAccount
{
    std::string accountId;
    std::string description;
};

/// The category a transfer shows for the account at its other side: "[Savings]".
std::string TransferCategory(const std::string& accountDescription);

/// The Bank, Cash or Credit Card account a category in brackets names, by its description
/// (case aside); nullopt for any other category.
std::optional<TransferAccount> AccountOfTransfer(Database& db, const std::string& category);

/// Why a row of the account cannot take the category as a transfer ("A transfer cannot go to
/// the account it comes from."); empty when it can, and for categories not in brackets.
std::string TransferRefusal(Database& db, const std::string& accountId,
                            const std::string& category);

/// The other row of the transfer a row belongs to, and its account's description (empty
/// when the account is gone); nullopt when the row is not linked or its other side is gone.
struct TransferSide
{
    TransKey key;
    std::string accountId;
    std::string accountDescription;
};
std::optional<TransferSide> OtherSide(Database& db, TransKey key);

/// The description of an account by its number; empty when there is no such account.
std::string AccountDescription(Database& db, const std::string& accountId);

/// What an edit of a row's category means for its transfer, before the row is written: a
/// refusal when the new category names no account that can take a transfer, or the row's
/// own; else the question to ask when the row's other side would be removed or moved to
/// another account. Both empty: the row may be written unasked.
struct TransferEdit
{
    std::string refusal;
    std::string question;
};
TransferEdit CheckTransferEdit(Database& db, TransKey key, bool newRow,
                               const std::string& accountId, const std::string& category);

/// The question before a row that is one side of a transfer is deleted ("Delete this
/// transfer from both Checking and Savings?"); empty when the row is no transfer.
std::string DeleteTransferQuestion(Database& db, TransKey key, const std::string& accountId);

/// Makes a stored row's link agree with its category, in the caller's transaction: a row
/// whose category names another register account gets its other side there (written,
/// moved from the account it was in, or brought up to date: the same date, description
/// and notes, the opposite amount, the row's own account in brackets); a row whose category
/// names no such account loses its other side. The balances of the accounts touched are
/// recomputed.
void ReconcileTransfer(Database& db, TransKey key);

/// Removes the other side of a row's transfer, if any, and recomputes that account's
/// balance; the row itself is left for the caller to delete.
void DeleteOtherSide(Database& db, TransKey key);

/// Links two unlinked rows of different accounts as one transfer: each row's category
/// becomes the other's account in brackets. Amounts and dates stay as the banks gave them.
void LinkTransfer(Database& db, TransKey first, TransKey second);
