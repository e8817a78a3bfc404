#pragma once

#include <wx/dialog.h>

#include <memory>

class Database;

/// The main window: owns the Database for the whole run of the program.
class Controller : public wxDialog
{
public:
    /// The traced start-up sequence; a failure in any step propagates to the caller.
    Controller();
    /// Releases the Database and deletes the temporary directory with all its contents.
    ~Controller() override;

private:
    std::unique_ptr<Database> m_db;
};

/// The main window, from start-up step 13 until it is destroyed.
extern Controller* frmController;
/// The program's Database, from start-up step 15 until the main window is destroyed.
extern Database* db;
