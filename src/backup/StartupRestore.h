#pragma once

#include "data/Database.h"

#include <ctime>
#include <memory>
#include <string>

class UserInterface;

/// Opens the program's database as the start-up does (located, created on the first start).
/// When the file is damaged and a good backup exists, says so and offers to restore the
/// newest good one, naming its time and its number of transactions; on Yes the damaged file
/// is kept beside the database and the backup opened in its place. On No, or without a
/// good backup, the error goes on to the caller as before.
std::unique_ptr<Database> OpenOrRestoreProgramDatabase(UserInterface& ui, OpenOptions options,
                                                       std::time_t now = std::time(nullptr));

/// The question the start-up asks before restoring.
std::string RestoreQuestion(const std::string& databasePath, const std::string& reason,
                            const std::string& backupTime, std::int64_t transactions,
                            const std::string& keptAs);
