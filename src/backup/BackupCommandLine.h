#pragma once

#include <iosfwd>
#include <optional>
#include <string>

/// `tallybrook-cli backups`: one line per backup, newest first,
/// "YYYY-MM-DD HH:MM<TAB>BYTES<TAB>TRANSACTIONS<TAB>FILE", under a heading line; a backup
/// that fails its check shows "damaged: REASON" in place of its count. Returns 0.
int RunBackupsCommand(const std::string& databasePath, std::ostream& out);

/// `tallybrook-cli restore [BACKUP]`: puts the named backup (a path, or the name of a file
/// among the backups), else the newest good one, in the database's place. Prints what was
/// restored and where the replaced file is kept; returns 0, or 1 with the message on err.
int RunRestoreCommand(const std::string& databasePath, const std::optional<std::string>& backup,
                      std::ostream& out, std::ostream& err);
