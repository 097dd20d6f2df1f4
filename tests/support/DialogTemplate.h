// Reads a dialog template (the plain DLGTEMPLATE form) as stored in a module's
// resources, so tests can check it field by field.
#pragma once

#include <windows.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

struct TemplateReader {
    const unsigned char* p;

    WORD Word() { WORD w; std::memcpy(&w, p, 2); p += 2; return w; }
    DWORD Dword() { DWORD d; std::memcpy(&d, p, 4); p += 4; return d; }
    short Short() { return static_cast<short>(Word()); }
    void AlignDword(const unsigned char* base) { while ((p - base) % 4 != 0) ++p; }
    // A name or ordinal: "#n" for an ordinal.
    std::string NameOrOrdinal()
    {
        WORD first = Word();
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        std::string text;
        for (WORD c = first; c != 0; c = Word())
            text += static_cast<char>(c);
        return text;
    }
};

inline std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// A control class as one name: an ordinal of a standard class or its name, in
// capitals (the system matches class names without regard to case).
inline std::string CanonicalClass(const std::string& className)
{
    if (className == "#128")
        return "BUTTON";
    if (className == "#129")
        return "EDIT";
    if (className == "#130")
        return "STATIC";
    return Upper(className);
}

struct ControlTemplate {
    DWORD style;
    short x, y, cx, cy;
    int id;
    std::string className; // "#128" button, "#129" edit, "#130" static
    std::string text;
};

struct DialogTemplate {
    bool found = false;
    bool extended = false;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;
    WORD points = 0;
    std::string font;
    std::vector<ControlTemplate> controls;
};

inline DialogTemplate ReadDialogTemplate(HMODULE module, int id)
{
    DialogTemplate dialog;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (found == nullptr)
        return dialog;
    const unsigned char* base = static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
    dialog.found = true;
    TemplateReader r{base};
    DWORD first;
    std::memcpy(&first, base, 4);
    if (first == 0xFFFF0001u) {
        dialog.extended = true;
        return dialog;
    }
    dialog.style = r.Dword();
    r.Dword(); // extended style
    WORD count = r.Word();
    dialog.x = r.Short();
    dialog.y = r.Short();
    dialog.cx = r.Short();
    dialog.cy = r.Short();
    r.NameOrOrdinal(); // menu
    r.NameOrOrdinal(); // class
    dialog.caption = r.NameOrOrdinal();
    if (dialog.style & DS_SETFONT) {
        dialog.points = r.Word();
        dialog.font = r.NameOrOrdinal();
    }
    for (WORD i = 0; i < count; ++i) {
        ControlTemplate c;
        r.AlignDword(base);
        c.style = r.Dword();
        r.Dword(); // extended style
        c.x = r.Short();
        c.y = r.Short();
        c.cx = r.Short();
        c.cy = r.Short();
        c.id = r.Word();
        c.className = r.NameOrOrdinal();
        c.text = r.NameOrOrdinal();
        WORD extra = r.Word();
        r.p += extra;
        dialog.controls.push_back(c);
    }
    return dialog;
}
