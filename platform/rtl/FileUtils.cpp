#include "platform/rtl/FileUtils.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/rtl/CodePages.h"

namespace {

// The index of the last delimiter, or npos.
size_t LastDelim(const String& S) { return S.rfind(PathDelim); }

// The start of the extension ('.') in the name part, or npos.
size_t ExtStart(const String& FileName) {
  size_t dot = FileName.rfind(u'.');
  if (dot == String::npos) return dot;
  size_t delim = LastDelim(FileName);
  return delim != String::npos && delim > dot ? String::npos : dot;
}

bool StatOf(const String& Name, struct stat& St) {
  if (Name.empty()) return false;
  const std::string path = UTF16ToUTF8(Name);
  // A NUL inside the name would silently cut it.
  if (path.find('\0') != std::string::npos) return false;
  return ::stat(path.c_str(), &St) == 0;
}

// The command line of the process: its NUL-separated arguments, argv[0] first.
const std::vector<String>& CommandLine() {
  static const std::vector<String> args = [] {
    std::vector<String> out;
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t start = 0;
    while (start < all.size()) {
      size_t end = all.find('\0', start);
      if (end == std::string::npos) end = all.size();
      out.push_back(UTF8ToUTF16(all.substr(start, end - start)));
      start = end + 1;
    }
    return out;
  }();
  return args;
}

struct TErrorText {
  Cardinal Code;
  const char16_t* Text;
};

// The texts of the codes this system raises or reports, as the platform
// words them (without the final period, which SysErrorMessage drops).
const TErrorText kErrorTexts[] = {
    {0, u"The operation completed successfully"},
    {1, u"Incorrect function"},
    {2, u"The system cannot find the file specified"},
    {3, u"The system cannot find the path specified"},
    {4, u"The system cannot open the file"},
    {5, u"Access is denied"},
    {6, u"The handle is invalid"},
    {8, u"Not enough memory resources are available to process this command"},
    {14, u"Not enough memory resources are available to complete this operation"},
    {17, u"The system cannot move the file to a different disk drive"},
    {21, u"The device is not ready"},
    {29, u"The system cannot write to the specified device"},
    {30, u"The system cannot read from the specified device"},
    {31, u"A device attached to the system is not functioning"},
    {32, u"The process cannot access the file because it is being used by another process"},
    {50, u"The request is not supported"},
    {80, u"The file exists"},
    {87, u"The parameter is incorrect"},
    {112, u"There is not enough space on the disk"},
    {121, u"The semaphore timeout period has expired"},
    {122, u"The data area passed to a system call is too small"},
    {126, u"The specified module could not be found"},
    {127, u"The specified procedure could not be found"},
    {145, u"The directory is not empty"},
    {183, u"Cannot create a file when that file already exists"},
    {206, u"The filename or extension is too long"},
    {234, u"More data is available"},
    {259, u"No more data is available"},
    {267, u"The directory name is invalid"},
    {995, u"The I/O operation has been aborted because of either a thread exit or an application request"},
    {996, u"Overlapped I/O event is not in a signaled state"},
    {997, u"Overlapped I/O operation is in progress"},
    {1009, u"The configuration registry database is corrupt"},
    {1010, u"The configuration registry key is invalid"},
    {1011, u"The configuration registry key could not be opened"},
    {1012, u"The configuration registry key could not be read"},
    {1013, u"The configuration registry key could not be written"},
    {1018, u"Illegal operation attempted on a registry key that has been marked for deletion"},
    {1117, u"The request could not be performed because of an I/O device error"},
    {1921, u"The name of the file cannot be resolved by the system"},
};

}  // namespace

String ExtractFilePath(const String& FileName) {
  size_t delim = LastDelim(FileName);
  return delim == String::npos ? String() : FileName.substr(0, delim + 1);
}

String ExtractFileName(const String& FileName) {
  size_t delim = LastDelim(FileName);
  return delim == String::npos ? FileName : FileName.substr(delim + 1);
}

String ExtractFileExt(const String& FileName) {
  size_t dot = ExtStart(FileName);
  return dot == String::npos ? String() : FileName.substr(dot);
}

String ChangeFileExt(const String& FileName, const String& Extension) {
  size_t dot = ExtStart(FileName);
  return (dot == String::npos ? FileName : FileName.substr(0, dot)) + Extension;
}

String IncludeTrailingPathDelimiter(const String& S) {
  if (!S.empty() && S.back() == PathDelim) return S;
  return S + PathDelim;
}

String ExcludeTrailingPathDelimiter(const String& S) {
  if (!S.empty() && S.back() == PathDelim) return S.substr(0, S.size() - 1);
  return S;
}

Boolean FileExists(const String& FileName) {
  struct stat st {};
  return StatOf(FileName, st) && !S_ISDIR(st.st_mode);
}

Boolean DirectoryExists(const String& Directory) {
  struct stat st {};
  return StatOf(Directory, st) && S_ISDIR(st.st_mode);
}

String GetCurrentDir() {
  char* cwd = ::getcwd(nullptr, 0);
  if (!cwd) return String();
  String dir = UTF8ToUTF16(cwd);
  std::free(cwd);
  return dir;
}

String ExpandFileName(const String& FileName) {
  if (FileName.empty()) return String();
  String full = FileName;
  if (full[0] != PathDelim) full = IncludeTrailingPathDelimiter(GetCurrentDir()) + full;
  // Walk the components, keeping the resolved ones.
  std::vector<String> parts;
  size_t start = 1;
  while (start <= full.size()) {
    size_t end = full.find(PathDelim, start);
    if (end == String::npos) end = full.size();
    String part = full.substr(start, end - start);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(std::move(part));
    }
    start = end + 1;
  }
  String result;
  for (const String& part : parts) result += PathDelim + part;
  if (result.empty()) return String(1, PathDelim);
  // "a/" names a directory: keep the mark. "a/." and "a/.." name one too,
  // but resolve to the plain directory name.
  if (full.back() == PathDelim) result += PathDelim;
  return result;
}

String ParamStr(Integer Index) {
  if (Index == 0) {
    std::vector<char> buf(1024);
    for (;;) {
      ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
      if (n < 0) break;
      if (static_cast<size_t>(n) < buf.size()) return UTF8ToUTF16(std::string(buf.data(), static_cast<size_t>(n)));
      if (buf.size() >= (1u << 20)) break;
      buf.resize(buf.size() * 2);
    }
    // Without /proc the first argument is the best answer there is.
    const std::vector<String>& args = CommandLine();
    return args.empty() ? String() : ExpandFileName(args[0]);
  }
  const std::vector<String>& args = CommandLine();
  if (Index < 0 || static_cast<size_t>(Index) >= args.size()) return String();
  return args[static_cast<size_t>(Index)];
}

Integer ParamCount() {
  const std::vector<String>& args = CommandLine();
  return args.empty() ? 0 : static_cast<Integer>(args.size() - 1);
}

String SysErrorMessage(Cardinal ErrorCode) {
  for (const TErrorText& e : kErrorTexts)
    if (e.Code == ErrorCode) return e.Text;
  return String();
}

Cardinal SystemErrorOfErrno(int Errno) {
  switch (Errno) {
    case 0:
      return 0;
    case ENOENT:
      return 2;  // ERROR_FILE_NOT_FOUND
    case ENOTDIR:
      return 3;  // ERROR_PATH_NOT_FOUND
    case EMFILE:
    case ENFILE:
      return 4;  // ERROR_TOO_MANY_OPEN_FILES
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return 5;  // ERROR_ACCESS_DENIED (a directory opened as a file, too)
    case EBADF:
      return 6;  // ERROR_INVALID_HANDLE
    case ENOMEM:
      return 8;  // ERROR_NOT_ENOUGH_MEMORY
    case EXDEV:
      return 17;  // ERROR_NOT_SAME_DEVICE
    case ENXIO:
    case ENODEV:
      return 21;  // ERROR_NOT_READY
    case EBUSY:
    case ETXTBSY:
      return 32;  // ERROR_SHARING_VIOLATION
    case ENOSYS:
    case EOPNOTSUPP:
      return 50;  // ERROR_NOT_SUPPORTED
    case EEXIST:
      return 80;  // ERROR_FILE_EXISTS
    case EINVAL:
      return 87;  // ERROR_INVALID_PARAMETER
    case ENOSPC:
    case EDQUOT:
      return 112;  // ERROR_DISK_FULL
    case ETIMEDOUT:
      return 121;  // ERROR_SEM_TIMEOUT
    case ENOTEMPTY:
      return 145;  // ERROR_DIR_NOT_EMPTY
    case ENAMETOOLONG:
      return 206;  // ERROR_FILENAME_EXCED_RANGE
    case EINTR:
    case ECANCELED:
      return 995;  // ERROR_OPERATION_ABORTED
    case EIO:
      return 1117;  // ERROR_IO_DEVICE
    case ELOOP:
      return 1921;  // ERROR_CANT_RESOLVE_FILENAME
    default:
      return 31;  // ERROR_GEN_FAILURE
  }
}
