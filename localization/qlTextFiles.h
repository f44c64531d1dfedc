// Text translation files: the state shared by the localization component's
// file operations (qlTextFiles.cpp) and the language dispatcher.
//
// A text translation file is INI text, written as UTF-8 with a byte-order
// mark; files without a mark are read in the system code page. Section
// OPTIONS holds the delimiter text and the UTF-8 flag, the language-names
// section the names, and one section per list kind one key per line (owner
// class name, ".", path) whose value is the languages' values, each followed
// by the delimiter text.
#pragma once

#include "platform/classes/Classes.h"

class TqlMemIniFile;

// A parsed file that the single-list loaders read instead of their stream
// while one operation loads all lists (so the file is parsed once); none
// otherwise. Main thread only.
extern TqlMemIniFile* SharedIniFile;

// The default delimiter text, and the text that marks a missing key.
extern const char16_t* const qlDefaultFileDelimiter;
