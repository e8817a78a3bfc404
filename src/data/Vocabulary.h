#pragma once

// Texts that the tables, the readers and the views share.

/// The category of an uncategorised transaction, and the group of budget lines made for it.
inline constexpr const char* NoCategory = "(none)";

/// The account types, as `Account`.`Type` holds them.
namespace AccountType
{
inline constexpr const char* Bank = "Bank";
inline constexpr const char* Cash = "Cash";
inline constexpr const char* CreditCard = "Credit Card";
inline constexpr const char* Investment = "Investment";
inline constexpr const char* Loan = "Loan";
} // namespace AccountType
