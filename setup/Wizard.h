// The three wizard pages, their shared notification handler, the sheet
// callback and the folder browser.
#pragma once

#include <windows.h>

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DestinationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Handles the wizard notifications of the page with template id pageId.
bool OnWizardNotify(HWND page, const NMHDR* header, int pageId);

// Stores the wizard window in sheetWnd once it exists.
int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM lParam);

// Lets the user pick the destination base; true when path (260 bytes) was replaced.
bool BrowseForDestination(HWND owner, char* path);
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data);

// Shows the current install directory in field 104.
void RefreshInstallDirField(HWND page);
