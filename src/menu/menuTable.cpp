// The constant menu table and the glyph string it shares with the title bar.
#include "menuTable.h"

const wchar_t glyphString[8] = {0xE700, 0xE921, 0xE923, 0xE922, 0xE8BB, 0xEB9F, 0xE7E8, 0};

const MenuEntry menuEntries[menuEntryCount] = {
    {false, L"Export as Image", &glyphString[ExportGlyph], MenuCommand::ExportImage},
    {true, nullptr, nullptr, MenuCommand::None},
    {false, L"Exit", &glyphString[ExitGlyph], MenuCommand::Exit},
};
