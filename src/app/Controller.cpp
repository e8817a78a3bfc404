#include "app/Controller.h"

#include "app/AppText.h"
#include "app/Paths.h"
#include "app/Trace.h"
#include "data/Database.h"
#include "data/Schema.h"

#include <wx/sizer.h>
#include <wx/stattext.h>

#include <clocale>
#include <filesystem>
#include <system_error>

Controller* frmController = nullptr;
Database* db = nullptr;

Controller::Controller()
    : wxDialog(nullptr, wxID_ANY, MessageCaption, wxPoint(0, 0), wxSize(800, 489),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER)
{
    Trace("[1] Controller::OnInitDialog");
    Trace("[2] Before setlocale");
    std::setlocale(LC_TIME, "");
    Trace("[13] frmController = this");
    frmController = this;
    Trace("[15] db = new Database()");
    m_db = std::make_unique<Database>();
    db = m_db.get();

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    wxString summary = wxString::Format("%s\nschema version %d", wxString::FromUTF8(db->Path()),
                                        ReadSchemaVersion(*db));
    sizer->Add(new wxStaticText(this, wxID_ANY, summary), wxSizerFlags().Border(wxALL, 12));
    SetSizer(sizer);

    // Enter and Escape do nothing here; only closing the window ends the program.
    SetEscapeId(wxID_NONE);
    SetAffirmativeId(wxID_NONE);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { EndModal(wxID_CANCEL); });
    Trace("[26] return TRUE");
}

Controller::~Controller()
{
    frmController = nullptr;
    db = nullptr;
    m_db.reset();
    std::error_code ignored;
    std::filesystem::remove_all(GetTempDir(), ignored);
}
