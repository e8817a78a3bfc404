#pragma once

#include <cstddef>
#include <span>

class MainCommands;
class QvMenuStrip;
class QvToolBar;
struct CommandContext;

/// One command of the main window: how the user reaches it (menu item, Ctrl chord, tool-bar
/// button), what it does, and when it is enabled.
struct CommandEntry
{
    int id;                      ///< the command number
    const char* menu;            ///< the title of the menu that holds it; nullptr: no menu item
    const char* text;            ///< the menu item's text
    const char* keyLabel;        ///< shown beside the menu item ("Ctrl+I", "Del"), or ""
    int key;                     ///< Ctrl plus this key runs it; 0: no chord
    bool menuSeparatorBefore;    ///< a separator line above the menu item
    int toolPosition;            ///< its place on the tool bar, from 1; 0: no button
    bool toolSeparatorBefore;    ///< a separator before the button
    const char* tooltip;         ///< the button's tooltip
    bool writesRowFirst;         ///< the row being typed is written before it runs
    void (MainCommands::*run)(); ///< the handler; nullptr while its work is not built
    bool (*enabled)(const CommandContext&); ///< the enabling rule; nullptr: always enabled
};

/// The main window's one table of commands. The menus, the tool bar, the key chords, the
/// enabling and the dispatch are all built from it.
namespace CommandTable
{
std::span<const CommandEntry> Entries();
/// The entry of a command number; nullptr for none.
const CommandEntry* Find(int id);
/// The entry whose chord is Ctrl plus the key code; nullptr for none.
const CommandEntry* FindChord(int keyCode);

/// The toolkit takes menu identifiers below 32767 only, so every command travels under its
/// number less an offset, menus and tool bar alike.
int ToolkitId(int id);
int CommandOf(int toolkitId);

/// Fills the menu strip with the table's menus and items.
void BuildMenus(QvMenuStrip& strip);
/// Adds the table's buttons to the tool bar, in their places.
void BuildToolBar(QvToolBar& toolBar);
} // namespace CommandTable
