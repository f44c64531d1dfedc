// The program's settings file: the serial port number and the default values
// of the input panel, in section "TALVIK" of an INI file beside the program
// file. Read once when the main window shows, written once when it closes.
#pragma once

#include "app/CardRecord.h"

// The program file's path with its extension replaced by ".ini" (added when
// the name has none).
String SettingsFileName();

// Reads every key; a missing file, section or key, or a value that does not
// parse, gives the key's default. Values are cut as they are kept (COM to 8
// bits, Kontor to 16, FaturaNo to 6 characters, TahsilatYeri to 4 ...).
// YuklemeTS is not part of the file and is left 0.
void LoadSettings(const String& FileName, Byte& ComPortNumber, TCardRecord& Defaults);
// Writes every key in the file's order; errors are not handled here.
void SaveSettings(const String& FileName, Byte ComPortNumber, const TCardRecord& Defaults);
