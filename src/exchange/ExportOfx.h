#pragma once

#include "exchange/ExportFile.h"

#include <cstdint>
#include <string>

class Database;

/// Writes every transaction of the account (all periods, each part of a split transaction
/// as its own) as an OFX 1.0.2 bank statement in SGML form, replacing the file. The
/// transactions are listed in posting order (date, then Sequence and SubSequence). `now` is the
/// time the statement is made at: its server date, its balance date and its time zone.
/// The empty account id writes a statement without transactions. The text is CP1252 when
/// every character fits, else UTF-8, as the header says. Database failures raise
/// DatabaseError; a file that cannot be written is reported in the result.
ExportResult ExportOfx(Database& db, const std::string& accountId, const std::string& path,
                       std::int64_t now);

/// The time-zone suffix of every date of a statement made at `now`: "[h]", h being the local
/// offset from universal time in whole hours, cut towards zero ("[-5]", "[5]").
std::string OfxTimeZoneSuffix(std::int64_t now);
