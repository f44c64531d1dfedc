// File names, the program's path and arguments, and system error texts.
//
// File names are Strings; the file system receives them in UTF-8. The path
// delimiter is "/" (a backslash is an ordinary character of a name).
#pragma once

#include "platform/rtl/Types.h"

constexpr Char PathDelim = u'/';

// The directory part including its last delimiter ("/a/b.txt" -> "/a/"),
// "" for a bare name.
String ExtractFilePath(const String& FileName);
// The part after the last delimiter.
String ExtractFileName(const String& FileName);
// The extension with its dot, from the last dot of the name part
// ("a.tar.gz" -> ".gz"); "" when the name part has no dot.
String ExtractFileExt(const String& FileName);
// FileName with its extension replaced by Extension (which carries its dot),
// or with Extension appended when there is none.
String ChangeFileExt(const String& FileName, const String& Extension);
String IncludeTrailingPathDelimiter(const String& S);
// Drops one trailing delimiter ("/" itself becomes "").
String ExcludeTrailingPathDelimiter(const String& S);

// Whether a file (not a directory) exists at FileName, symbolic links followed.
Boolean FileExists(const String& FileName);
// Whether a directory exists at Directory, symbolic links followed.
Boolean DirectoryExists(const String& Directory);

// The current directory, without a trailing delimiter ("/" for the root);
// "" when it cannot be read.
String GetCurrentDir();
// The absolute form of FileName: a relative name is taken against the
// current directory, then "." and ".." components and repeated delimiters
// are resolved in the text (".." above the root stays at the root; symbolic
// links are not followed). A trailing delimiter is kept. "" stays "".
String ExpandFileName(const String& FileName);

// ParamStr(0) is the program file's full path (/proc/self/exe); 1..ParamCount
// are the command-line arguments; any other index gives "".
String ParamStr(Integer Index);
Integer ParamCount();

// The text of a system error code, the codes that GetLastError answers
// (ERROR_FILE_NOT_FOUND = 2 ...), without the final period, as the platform
// gives it; "" for a code without a text.
String SysErrorMessage(Cardinal ErrorCode);
// The system error code standing for a POSIX errno value (ENOENT ->
// ERROR_FILE_NOT_FOUND, EACCES -> ERROR_ACCESS_DENIED ...); a value without
// a counterpart gives ERROR_GEN_FAILURE (31).
Cardinal SystemErrorOfErrno(int Errno);
