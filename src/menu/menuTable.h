// The application menu's rows, compiled in. Layout takes row heights from it,
// painting draws its glyphs and labels, the menu runs its commands.
// No <windows.h>: the native tests build it too.
#pragma once

#include <cstdint>

enum class MenuCommand : int32_t
{
    None = 0, // separator rows only
    ExportImage = 1,
    Exit = 2,
};

struct MenuEntry
{
    bool isSeparator;
    const wchar_t* label; // null for a separator
    const wchar_t* glyph; // one character of glyphString; null for a separator
    MenuCommand command;
};

// Every icon-font character the window draws, each drawn as a run of one.
extern const wchar_t glyphString[8];

enum GlyphIndex
{
    MenuGlyph = 0,
    MinimizeGlyph = 1,
    RestoreGlyph = 2,
    MaximizeGlyph = 3,
    CloseGlyph = 4,
    ExportGlyph = 5,
    ExitGlyph = 6,
};

constexpr int menuEntryCount = 3;
extern const MenuEntry menuEntries[menuEntryCount];
