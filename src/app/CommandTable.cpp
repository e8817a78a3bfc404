#include "app/CommandTable.h"

#include "app/AppImages.h"
#include "app/CommandIds.h"
#include "app/MainCommands.h"
#include "app/QvMenuStrip.h"
#include "app/QvToolBar.h"
#include "data/ViewKind.h"
#include "data/Vocabulary.h"
#include "register/View.h"

#include <wx/menu.h>

#include <algorithm>
#include <array>
#include <string>

namespace
{
constexpr int ToolkitOffset = 20000;

// The enabling rules. With the grid focused, the row decides; elsewhere the view kind does.
bool NewRecordRule(const CommandContext& c)
{
    // Find's results are read-only.
    if (c.kind == KindFind)
        return false;
    return c.gridFocused ? c.row != 0 : c.kind != KindHome;
}

bool DeleteRecordRule(const CommandContext& c)
{
    return c.gridFocused && c.row != 0 && c.kind != KindFind;
}

bool RegisterRowRule(const CommandContext& c)
{
    return c.gridFocused && c.kind == KindRegister && c.row != 0;
}

bool ScheduleRowRule(const CommandContext& c)
{
    return c.kind == KindScheduled && c.row != 0 && !c.editing;
}

bool ExportRule(const CommandContext& c)
{
    const std::string& type = c.accountType;
    return !c.editing && c.accountInContext &&
           (type == AccountType::Bank || type == AccountType::Cash ||
            type == AccountType::CreditCard);
}

bool PrintRule(const CommandContext& c)
{
    return c.kind != KindHome;
}

using M = MainCommands;

// The row column: the row being typed is written before the command runs, so nothing that
// re-reads, replaces or closes the grid loses it. Delete removes the row it is on, Split
// writes the row at its OK, and the help pages and About leave the grid as it is.
// clang-format off
const std::array Table{
//  id                            menu      text                       key label  key  sep    tool sep    tooltip                      row   handler                   rule
    CommandEntry{Command::Import, "&File", "&Import...",               "Ctrl+I", 'I', false, 0, false, "",                          true,  &M::Import,               nullptr},
    CommandEntry{Command::Export, "&File", "&Export...",               "Ctrl+E", 'E', false, 0, false, "",                          true,  &M::Export,               &ExportRule},
    CommandEntry{Command::Print,  "&File", "&Print...",                "Ctrl+P", 'P', false, 3, true,  "Print",                     true,  &M::Print,                &PrintRule},
    CommandEntry{Command::Exit,   "&File", "E&xit",                    "",       0,   true,  0, false, "",                          true,  &M::Exit,                 nullptr},
    CommandEntry{Command::NewRecord, "&Edit", "&New Record",           "Ctrl+N", 'N', false, 0, false, "",                          true,  &M::NewRecord,            &NewRecordRule},
    CommandEntry{Command::DeleteRecord, "&Edit", "&Delete Record",     "Del",    0,   false, 0, false, "",                          false, &M::DeleteRecord,         &DeleteRecordRule},
    CommandEntry{Command::CopyPreviousBudget, "&Edit", "&Copy Previous Budget", "Ctrl+B", 'B', true, 0, false, "",                  true,  &M::CopyPreviousBudget,   nullptr},
    CommandEntry{Command::MovePreviousMonth, "&Edit", "Move To &Previous Month", "", 0, false, 0, false, "",                        true,  &M::MovePreviousMonth,    &RegisterRowRule},
    CommandEntry{Command::MoveNextMonth, "&Edit", "Move To N&ext Month", "",     0,   false, 0, false, "",                          true,  &M::MoveNextMonth,        &RegisterRowRule},
    CommandEntry{Command::SplitTransaction, "&Edit", "&Split Transaction", "Ctrl+S", 'S', true, 0, false, "",                       false, &M::SplitTransaction,     &RegisterRowRule},
    CommandEntry{Command::Find,   "&Edit", "&Find...",                "Ctrl+F", 'F', true,  0, false, "",                          true,  &M::Find,                 nullptr},
    CommandEntry{Command::EnterNow, "&Edit", "Enter Scheduled &Now",  "",       0,   true,  0, false, "",                     true,  &M::EnterNow,             &ScheduleRowRule},
    CommandEntry{Command::UpdateQuotes, "&Tools", "&Update Quotes",    "",       0,   false, 0, false, "",                          true,  &M::UpdateQuotes,         nullptr},
    CommandEntry{Command::Options, "&Tools", "&Options...",            "",       0,   false, 0, false, "",                          true,  &M::Options,              nullptr},
    CommandEntry{Command::CategoryRules, "&Tools", "&Category Rules...", "",     0,   false, 0, false, "",                          true,  &M::CategoryRules,        nullptr},
    CommandEntry{Command::HelpTopics, "&Help", "&Help Topics",         "",       0,   false, 0, false, "",                          false, &M::HelpTopics,           nullptr},
    CommandEntry{Command::QuorvelOnTheWeb, "&Help", "Quorvel on the &Web", "",   0,   false, 0, false, "",                          false, &M::QuorvelOnTheWeb,      nullptr},
    CommandEntry{Command::OnlineTutorial, "&Help", "&Online Tutorial", "",       0,   false, 0, false, "",                          false, &M::OnlineTutorial,       nullptr},
    CommandEntry{Command::CheckForUpdates, "&Help", "Check for &Updates", "",    0,   false, 0, false, "",                          false, &M::CheckForUpdates,      nullptr},
    CommandEntry{Command::Donate, "&Help", "&Donate",                  "",       0,   false, 0, false, "",                          false, &M::Donate,               nullptr},
    CommandEntry{Command::About,  "&Help", "&About",                   "",       0,   true,  0, false, "",                          false, &M::About,                nullptr},
    CommandEntry{Command::ToolNew, nullptr, "",                        "",       0,   false, 1, false, "New",                       true,  &M::NewRecord,            &NewRecordRule},
    CommandEntry{Command::ToolDelete, nullptr, "",                     "",       0,   false, 2, false, "Delete",                    false, &M::DeleteRecord,         &DeleteRecordRule},
    CommandEntry{Command::BankWebSite, nullptr, "",                    "",       0,   false, 4, true,  "Go to your bank's website", true,  &M::BankWebSite,          nullptr},
    CommandEntry{Command::Back,   nullptr, "",                         "",       0,   false, 5, true,  "Back",                      true,  &M::Back,                 nullptr},
    CommandEntry{Command::Forward, nullptr, "",                        "",       0,   false, 6, false, "Forward",                   true,  &M::Forward,              nullptr},
};
// clang-format on
} // namespace

namespace CommandTable
{
std::span<const CommandEntry> Entries()
{
    return Table;
}

const CommandEntry* Find(int id)
{
    auto at = std::find_if(Table.begin(), Table.end(),
                           [id](const CommandEntry& entry) { return entry.id == id; });
    return at == Table.end() ? nullptr : &*at;
}

const CommandEntry* FindChord(int keyCode)
{
    if (keyCode == 0)
        return nullptr;
    auto at = std::find_if(Table.begin(), Table.end(),
                           [keyCode](const CommandEntry& entry) { return entry.key == keyCode; });
    return at == Table.end() ? nullptr : &*at;
}

int ToolkitId(int id)
{
    return id - ToolkitOffset;
}

int CommandOf(int toolkitId)
{
    return toolkitId + ToolkitOffset;
}

void BuildMenus(QvMenuStrip& strip)
{
    std::string title;
    wxMenu* menu = nullptr;
    for (const CommandEntry& entry : Table)
    {
        if (!entry.menu)
            continue;
        if (!menu || title != entry.menu)
        {
            title = entry.menu;
            menu = new wxMenu;
            strip.Append(menu, title);
        }
        else if (entry.menuSeparatorBefore)
            menu->AppendSeparator();
        wxString text = entry.text;
        if (*entry.keyLabel)
            text += wxString("\t") + entry.keyLabel;
        menu->Append(ToolkitId(entry.id), text);
    }
}

void BuildToolBar(QvToolBar& toolBar)
{
    std::vector<const CommandEntry*> buttons;
    for (const CommandEntry& entry : Table)
        if (entry.toolPosition > 0)
            buttons.push_back(&entry);
    std::sort(buttons.begin(), buttons.end(),
              [](const CommandEntry* a, const CommandEntry* b)
              { return a->toolPosition < b->toolPosition; });
    wxBitmap strip = AppImages::ToolBarStrip();
    for (const CommandEntry* entry : buttons)
    {
        if (entry->toolSeparatorBefore)
            toolBar.AddSeparator();
        toolBar.AddTool(ToolkitId(entry->id), "", AppImages::Cut(strip, entry->toolPosition - 1),
                        entry->tooltip);
    }
    toolBar.Realize();
}
} // namespace CommandTable
