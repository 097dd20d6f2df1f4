// The uninstaller's built-in texts; it has no string table.
#pragma once

namespace texts {
constexpr const char* CAPTION = "Uninstall";
constexpr const char* QUESTION_START = "Remove ";
constexpr const char* QUESTION_END = " now?";
constexpr const char* FILES_LEFT = "Not all files could be uninstalled.";
constexpr const char* FOLDERS_LEFT = "Not all folders could be uninstalled.";
constexpr const char* NOT_FOUND =
    "Cannot find program.  A different version of the software may have been installed.\n\n"
    "This item will be removed from the uninstall list.";
constexpr const char* DONE = "Program is now uninstalled.";
constexpr const char* FILE_ERROR = "A file error occurred while trying to uninstall the program.";
constexpr const char* NO_MEMORY = "Insufficient memory to uninstall the program.";
constexpr const char* HEADER_PREFIX = "qvUnstallName=";
constexpr const char* FILE_PREFIX = "qvFile=";
constexpr const char* FOLDER_PREFIX = "qvFolder=";
constexpr const char* UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
} // namespace texts
