// Rules for the program folder name and the paths composed from it.
#pragma once

// True when name holds one of the characters a folder name may not contain:
// < > : " / \ |
bool HasRejectedCharacter(const char* name);

// Drops the rejected characters from name, in place.
void RemoveRejectedCharacters(char* name);

// True when the install directory composed from destBase and folderName, the
// uninstall log path in it and the product's command line (rows 10014 and
// 10012 after the directory) all fit their 260-byte buffers.
bool InstallPathsFit(const char* destBase, const char* folderName);
