#include "platform/rtl/FileUtils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/rtl/CodePages.h"

namespace {

String U(const std::string& S) { return UTF8ToUTF16(S); }

// A fresh folder under the build's test folder (or /tmp).
std::string MakeDir(const char* Name) {
  const char* base = std::getenv("CL_TEST_TMP");
  std::string dir = std::string(base && *base ? base : "/tmp") + "/" + Name + "-" + std::to_string(::getpid());
  ::mkdir(dir.c_str(), 0755);
  return dir;
}

TEST(FileNames, SplitAndChange) {
  struct Case {
    String Name, Path, File, Ext, Changed;  // Changed: ChangeFileExt(Name, ".ini")
  } cases[] = {
      {u"/opt/kart/Yükle.exe", u"/opt/kart/", u"Yükle.exe", u".exe", u"/opt/kart/Yükle.ini"},
      {u"arşiv.tar.gz", u"", u"arşiv.tar.gz", u".gz", u"arşiv.tar.ini"},
      {u"/a.b/c", u"/a.b/", u"c", u"", u"/a.b/c.ini"},  // the dot of a folder is not an extension
      {u"/a/", u"/a/", u"", u"", u"/a/.ini"},
      {u".bashrc", u"", u".bashrc", u".bashrc", u".ini"},
      {u"name.", u"", u"name.", u".", u"name.ini"},
      {u"dir\\file.txt", u"", u"dir\\file.txt", u".txt", u"dir\\file.ini"},  // a backslash is a character
      {u"", u"", u"", u"", u".ini"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(UTF16ToUTF8(c.Name));
    EXPECT_EQ(ExtractFilePath(c.Name), c.Path);
    EXPECT_EQ(ExtractFileName(c.Name), c.File);
    EXPECT_EQ(ExtractFileExt(c.Name), c.Ext);
    EXPECT_EQ(ChangeFileExt(c.Name, u".ini"), c.Changed);
  }
  EXPECT_EQ(ChangeFileExt(u"/a/b.mdb", u""), u"/a/b");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"/a"), u"/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"/a/"), u"/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u""), u"/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"/a/"), u"/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"/a"), u"/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"/"), u"");
}

// Relative names against the current directory; "." and ".." resolved.
TEST(FileNames, ExpandFileName) {
  const std::string dir = MakeDir("expand");
  char saved[4096];
  ASSERT_NE(::getcwd(saved, sizeof saved), nullptr);
  ASSERT_EQ(::chdir(dir.c_str()), 0);
  const String cwd = GetCurrentDir();
  EXPECT_EQ(cwd, U(dir));
  const String parent = ExtractFilePath(cwd);  // with its delimiter
  struct Case {
    String Name, Expanded;
  } cases[] = {
      {u"a.ini", cwd + u"/a.ini"},
      {u"./lang/tr.lng", cwd + u"/lang/tr.lng"},
      {u"../x", parent + u"x"},
      {u"sub/../y", cwd + u"/y"},
      {u".", cwd},
      {u"sub/", cwd + u"/sub/"},
      {u"/a//b/./c/../d", u"/a/b/d"},
      {u"/../../e", u"/e"},  // nothing above the root
      {u"/a/b/..", u"/a"},
      {u"/", u"/"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandFileName(c.Name), c.Expanded) << UTF16ToUTF8(c.Name);
  ASSERT_EQ(::chdir(saved), 0);
}

TEST(FileNames, ExistenceTests) {
  const std::string dir = MakeDir("exists");
  const std::string file = dir + "/dosya ğ.txt";
  std::ofstream(file) << "x";
  const std::string link = dir + "/link";
  ::unlink(link.c_str());
  ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
  EXPECT_TRUE(FileExists(U(file)));
  EXPECT_TRUE(FileExists(U(link)));  // links are followed
  EXPECT_FALSE(FileExists(U(dir)));
  EXPECT_FALSE(FileExists(U(dir + "/none")));
  EXPECT_FALSE(FileExists(u""));
  EXPECT_FALSE(FileExists(U(file) + u'\0' + u"x"));  // a NUL does not cut the name short
  EXPECT_TRUE(DirectoryExists(U(dir)));
  EXPECT_TRUE(DirectoryExists(U(dir + "/")));
  EXPECT_FALSE(DirectoryExists(U(file)));
  EXPECT_FALSE(DirectoryExists(u""));
}

TEST(ProgramFile, ParamStrZeroIsTheRunningProgram) {
  const String exe = ParamStr(0);
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe[0], PathDelim);
  EXPECT_TRUE(FileExists(exe));
  EXPECT_EQ(ExtractFileName(exe), u"test_rtl");
  EXPECT_GE(ParamCount(), 0);
  EXPECT_EQ(ParamStr(ParamCount() + 1), u"");
  EXPECT_EQ(ParamStr(-1), u"");
}

TEST(SystemErrors, TextsAndErrnoCodes) {
  struct Case {
    int Errno;
    Cardinal Code;
    String Text;
  } cases[] = {
      {ENOENT, 2, u"The system cannot find the file specified"},
      {ENOTDIR, 3, u"The system cannot find the path specified"},
      {EACCES, 5, u"Access is denied"},
      {EISDIR, 5, u"Access is denied"},
      {EBUSY, 32, u"The process cannot access the file because it is being used by another process"},
      {EEXIST, 80, u"The file exists"},
      {EINVAL, 87, u"The parameter is incorrect"},
      {ENOSPC, 112, u"There is not enough space on the disk"},
      {EPROTO, 31, u"A device attached to the system is not functioning"},  // no counterpart
      {0, 0, u"The operation completed successfully"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SystemErrorOfErrno(c.Errno), c.Code) << c.Errno;
    EXPECT_EQ(SysErrorMessage(c.Code), c.Text) << c.Code;
  }
  EXPECT_EQ(SysErrorMessage(1011), u"The configuration registry key could not be opened");
  EXPECT_EQ(SysErrorMessage(0xDEADBEEF), u"");
}

}  // namespace
