// The uninstaller's parts: command line, log text and its cursor, the two
// removal passes, the registry clean-up and the main sequence.
#pragma once

#include <cstddef>
#include <memory>

// A read position over the loaded log text.
struct LogCursor {
    const char* start; // first character of the log text
    const char* next;  // where the next line begins; null once a last line without LF was taken
    const char* end;   // just past the last character delivered (where the terminating NUL is)
    std::size_t taken; // characters copied by the last NextLine
};

// Capacities of the line buffers, terminator included.
constexpr std::size_t HEADER_CAPACITY = 100;
constexpr std::size_t ENTRY_CAPACITY = 270;
// Composition buffers for the confirmation text and the registry key path.
constexpr std::size_t QUESTION_CAPACITY = 200;
constexpr std::size_t KEY_PATH_CAPACITY = 260;

// Splits the command line in place: the title between the first two double
// quotes, the log path between the third and fourth (null when there is no
// third). False when the title's quotes or the log path's closing quote are missing.
bool ParseCommandLine(char* text, char** title, char** logPath);

// Copies the next line (at most capacity - 1 characters, the rest of a longer
// line skipped) into buffer. Null when the scan ends: no more text, or an
// empty line. Never looks at or past cursor.end.
char* NextLine(LogCursor& cursor, char* buffer, std::size_t capacity);

// True when a line just taken holds a NUL byte, which no path or title can
// carry: such a line is not used.
bool LineHoldsNul(const LogCursor& cursor, const char* buffer);

// Loads the whole log in text mode into text and sets the cursor over it.
// XFile 1, 4 or 5 on file failures; bad_alloc when the text can't be allocated.
void LoadLogText(const char* path, std::unique_ptr<char[]>& text, LogCursor& cursor);

// Takes the first line into header (HEADER_CAPACITY bytes) and returns the
// logged title inside it. XFile 1 when the line is missing, empty, holds a
// NUL or lacks the prefix "qvUnstallName=".
const char* CheckLogHeader(LogCursor& cursor, char* header);

// The two passes over the whole log; each returns how many logged entries
// were not removed and still exist.
int DeleteLoggedFiles(LogCursor& cursor);
int RemoveLoggedFolders(LogCursor& cursor);

// Comparisons that fold only the ASCII letters A-Z and a-z.
bool EqualIgnoringAsciiCase(const char* a, const char* b);
bool StartsWithIgnoringAsciiCase(const char* text, const char* prefix);

// "Remove <title> now?" and the uninstall entry's key path; false (with the
// buffer left empty) when the title does not fit.
bool ComposeQuestion(const char* title, char* question);
bool ComposeKeyPath(const char* title, char* keyPath);

// Deletes the product's uninstall entry; the result is of no interest.
void RemoveUninstallEntry(const char* keyPath);

// The whole run for one command line (the text after the program's name).
int RunUninstall(char* commandLine);
