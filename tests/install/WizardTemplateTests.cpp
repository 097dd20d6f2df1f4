// The wizard's page templates as stored in a built setup image.
#include <gtest/gtest.h>

#include "DialogTemplate.h"
#include "WizardRun.h"

namespace {

constexpr DWORD PAGE_STYLE = WS_CHILD | WS_VISIBLE | DS_SETFONT | DS_3DLOOK;
constexpr DWORD VISIBLE_CHILD = WS_CHILD | WS_VISIBLE;
constexpr DWORD PICTURE = VISIBLE_CHILD | SS_BITMAP | SS_SUNKEN;
constexpr DWORD TEXT = VISIBLE_CHILD | WS_GROUP | SS_LEFT;
constexpr DWORD GROUP = VISIBLE_CHILD | WS_GROUP | BS_GROUPBOX;
constexpr DWORD FOLDER_EDIT = VISIBLE_CHILD | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD CHECK = VISIBLE_CHILD | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr int NONE = 0xFFFF; // id -1

struct Page {
    int id;
    std::vector<ControlTemplate> controls;
};

const Page PAGES[] = {
    {2000,
     {
         {PICTURE, 0, 0, 77, 140, NONE, "#130", "#199"},
         {VISIBLE_CHILD | SS_ICON, 92, 6, 21, 20, NONE, "#130", "#10"},
         {TEXT, 123, 7, 151, 26, NONE, "#130", "This program will install %ProgName% on your system."},
         {TEXT, 92, 58, 184, 27, 101, "#130", ""},
         {TEXT, 92, 115, 184, 19, NONE, "#130",
          "To continue installation, choose Next.  To exit without installing, choose Cancel."},
     }},
    {2001,
     {
         {PICTURE, 0, 0, 77, 140, NONE, "#130", "#199"},
         {GROUP, 92, 62, 184, 28, NONE, "#128", "Program folder"},
         {FOLDER_EDIT, 96, 73, 175, 12, 102, "#129", ""},
         {GROUP, 92, 95, 184, 44, NONE, "#128", "Destination directory"},
         {FOLDER_EDIT | ES_READONLY, 96, 106, 175, 12, 104, "#129", ""},
         {VISIBLE_CHILD | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER, 156, 121, 50, 14, 103, "#128", "Browse..."},
         {TEXT, 92, 17, 184, 21, NONE, "#130",
          "If you want to install %ProgName% in a different directory, choose the Browse button."},
         {TEXT, 92, 40, 184, 20, NONE, "#130",
          "To change the name of the %ProgName% folder, edit the Program folder below."},
         {TEXT, 92, 3, 184, 10, NONE, "#130", "Please specify where to install %ProgName%."},
     }},
    {2002,
     {
         {PICTURE, 0, 0, 77, 140, NONE, "#130", "#199"},
         {GROUP, 92, 48, 184, 44, NONE, "#128", "Options"},
         {CHECK, 98, 59, 173, 12, 101, "#128", "Add %ProgName% to the Start->Programs menu"},
         {CHECK, 98, 73, 169, 12, 102, "#128", "Create a shortcut to %ProgName% on the desktop"},
         {TEXT, 92, 109, 184, 16, NONE, "#130",
          "Choosing the Finish button will install files to the destination folder and run %ProgName% to "
          "complete installation."},
         {TEXT, 92, 12, 184, 21, NONE, "#130",
          "These options add a %ProgName% group to your Programs menu and a shortcut on the desktop."},
     }},
};

} // namespace

TEST(WizardTemplates, PagesAreStoredAsDesigned)
{
    HMODULE image = LoadLibraryExA(ImagePath("vantrell").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    for (const Page& page : PAGES) {
        SCOPED_TRACE(page.id);
        DialogTemplate dialog = ReadDialogTemplate(image, page.id);
        ASSERT_TRUE(dialog.found);
        ASSERT_FALSE(dialog.extended);
        EXPECT_EQ(dialog.style, PAGE_STYLE);
        EXPECT_EQ(dialog.x, 0);
        EXPECT_EQ(dialog.y, 0);
        EXPECT_EQ(dialog.cx, 276);
        EXPECT_EQ(dialog.cy, 140);
        EXPECT_EQ(dialog.caption, "");
        EXPECT_EQ(dialog.points, 8);
        EXPECT_EQ(dialog.font, "MS Sans Serif");
        ASSERT_EQ(dialog.controls.size(), page.controls.size());
        for (std::size_t i = 0; i < page.controls.size(); ++i) {
            const ControlTemplate& want = page.controls[i];
            const ControlTemplate& got = dialog.controls[i];
            SCOPED_TRACE(want.text);
            EXPECT_EQ(got.style, want.style) << std::hex << got.style;
            EXPECT_EQ(got.x, want.x);
            EXPECT_EQ(got.y, want.y);
            EXPECT_EQ(got.cx, want.cx);
            EXPECT_EQ(got.cy, want.cy);
            EXPECT_EQ(got.id, want.id);
            EXPECT_EQ(CanonicalClass(got.className), CanonicalClass(want.className));
            EXPECT_EQ(got.text, want.text);
        }
    }
    // The side picture and the icon the pages show.
    EXPECT_NE(FindResourceA(image, MAKEINTRESOURCEA(199), reinterpret_cast<LPCSTR>(RT_BITMAP)), nullptr);
    EXPECT_NE(FindResourceA(image, MAKEINTRESOURCEA(10), reinterpret_cast<LPCSTR>(RT_GROUP_ICON)), nullptr);
    FreeLibrary(image);
}
