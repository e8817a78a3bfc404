#pragma once

#include "data/DateTime.h"
#include "data/Variant.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>

class Database;

// How an import tells the rows an account holds already from new ones.

/// The FITIDs the account holds, compared byte for byte (banks' ids can differ only in
/// case), with those this import adds: a FITID seen earlier in the file is a duplicate too.
class KnownFitids
{
public:
    /// Room is made for `expected` more ids.
    KnownFitids(Database& db, const std::string& accountId, std::size_t expected);

    /// Takes the FITID of a row about to be stored; false when it is known already.
    /// `written` is the id as the file writes it: earlier imports stored OFX ids as written
    /// ("A&amp;B"), so that form counts as known too.
    bool Take(const std::string& fitid, const std::string& written);
    bool Take(const std::string& fitid) { return Take(fitid, fitid); }

private:
    std::unordered_set<std::string> m_fitids;
};

/// Rows without a FITID (some banks' OFC files, statements without references): such a row
/// is a duplicate only when the account held a row with the same posting day, amount,
/// description, notes and check number before this import; rows this import adds never
/// count, so two equal rows of one file are both stored. Texts compare as Jet's do,
/// ignoring case; an absent text is the empty one.
class UnnumberedRows
{
public:
    /// Rows whose Sequence is below firstNew (or who have none) were there before.
    UnnumberedRows(Database& db, std::string accountId, std::int32_t firstNew);

    bool IsHeld(const DateTime& day, const Variant& amount, const std::string& description,
                const std::string& notes, const std::string& checkId);

private:
    void Load();

    Database& m_db;
    std::string m_accountId;
    std::int32_t m_firstNew;
    bool m_loaded = false;
    std::unordered_set<std::string> m_keys;
};
