#include <windows.h>

#include <new>

#include "Errors.h"
#include "Texts.h"
#include "Uninstall.h"

namespace {

void Inform(const char* text)
{
    MessageBoxA(nullptr, text, texts::CAPTION, MB_OK | MB_ICONINFORMATION);
}

void Warn(const char* text, const char* caption)
{
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONWARNING);
}

} // namespace

int RunUninstall(char* commandLine)
{
    char* title = nullptr;
    char* logPath = nullptr;
    if (commandLine == nullptr || commandLine[0] == '\0' || !ParseCommandLine(commandLine, &title, &logPath))
        return 0;
    // A title that the composition buffers can't hold is refused before
    // anything is shown or touched; the setup program never writes one.
    char question[QUESTION_CAPACITY];
    char keyPath[KEY_PATH_CAPACITY];
    if (!ComposeQuestion(title, question) || !ComposeKeyPath(title, keyPath))
        return 0;

    std::unique_ptr<char[]> text;
    try {
        LogCursor cursor{};
        char header[HEADER_CAPACITY];
        const char* loggedTitle = nullptr;
        if (logPath != nullptr && logPath[0] != '\0') {
            LoadLogText(logPath, text, cursor);
            loggedTitle = CheckLogHeader(cursor, header);
        }
        // Only an explicit Yes goes on: a box that could not be shown removes nothing.
        if (MessageBoxA(nullptr, question, texts::CAPTION, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return 0;
        if (loggedTitle != nullptr && EqualIgnoringAsciiCase(loggedTitle, title)) {
            if (DeleteLoggedFiles(cursor) > 0)
                Inform(texts::FILES_LEFT);
            if (RemoveLoggedFolders(cursor) > 0)
                Inform(texts::FOLDERS_LEFT);
        } else {
            Inform(texts::NOT_FOUND);
        }
        // An empty title would name the uninstall list's own key.
        if (title[0] != '\0')
            RemoveUninstallEntry(keyPath);
        Warn(texts::DONE, title);
    } catch (XFile) {
        Warn(texts::FILE_ERROR, texts::CAPTION);
    } catch (std::bad_alloc&) {
        Warn(texts::NO_MEMORY, texts::CAPTION);
    }
    return 0;
}
