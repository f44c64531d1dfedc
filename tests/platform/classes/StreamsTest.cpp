#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Locale.h"
#include "tests/support/TestSupport.h"

namespace {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

String U(const std::string& S) { return UTF8ToUTF16(S); }

std::string ReadFile(const std::string& Path) {
  std::ifstream f(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

void WriteFile(const std::string& Path, const std::string& Bytes) {
  std::ofstream f(Path, std::ios::binary);
  f << Bytes;
}

std::string Content(TCustomMemoryStream* S) {
  return std::string(static_cast<const char*>(S->Memory()), static_cast<size_t>(S->Size()));
}

TEST(TStreamTest, ReadBufferShortReadRaises) {
  Owned<TMemoryStream> s(New<TMemoryStream>());
  s->WriteBuffer("abc", 3);
  s->SetPosition(1);
  char buf[8] = {};
  try {
    s->ReadBuffer(buf, 3);
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), u"Stream read error");
  }
  // Read itself answers the short count; a zero count never raises.
  s->SetPosition(1);
  EXPECT_EQ(s->Read(buf, 8), 2);
  EXPECT_EQ(s->Read(buf, 8), 0);
  s->ReadBuffer(buf, 0);
  EXPECT_EQ(s->Read(buf, -1), 0);
}

TEST(TStreamTest, SeekOrigins) {
  std::string dir = testing_support::MakeTempDir("seek");
  Owned<TMemoryStream> mem(New<TMemoryStream>());
  Owned<TFileStream> file(New<TFileStream>(U(dir + "/f.bin"), fmCreate));
  struct Case {
    Int64 Offset;
    TSeekOrigin Origin;
    Int64 Expected;
  } cases[] = {{3, soBeginning, 3}, {2, soCurrent, 5}, {-1, soCurrent, 4},   {0, soEnd, 10},
               {-4, soEnd, 6},      {0, soCurrent, 6}, {12, soBeginning, 12}};
  for (TStream* s : {static_cast<TStream*>(mem.get()), static_cast<TStream*>(file.get())}) {
    s->WriteBuffer("0123456789", 10);
    for (auto& c : cases) EXPECT_EQ(s->Seek(c.Offset, c.Origin), c.Expected) << s->ClassName().size();
    EXPECT_EQ(s->Size(), 10);
    // Past the end reads nothing; SetPosition/Position go through Seek.
    char b;
    EXPECT_EQ(s->Read(&b, 1), 0);
    s->SetPosition(7);
    EXPECT_EQ(s->Position(), 7);
    s->ReadBuffer(&b, 1);
    EXPECT_EQ(b, '7');
  }
}

TEST(TStreamTest, CopyFrom) {
  Owned<TMemoryStream> src(New<TMemoryStream>());
  std::string big(100000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  src->WriteBuffer(big.data(), static_cast<Integer>(big.size()));

  // Count 0: the whole source from its start, whatever its position.
  Owned<TMemoryStream> all(New<TMemoryStream>());
  src->SetPosition(500);
  EXPECT_EQ(all->CopyFrom(src.get(), 0), 100000);
  EXPECT_EQ(Content(all.get()), big);

  // A count from the current position.
  Owned<TMemoryStream> part(New<TMemoryStream>());
  src->SetPosition(10);
  EXPECT_EQ(part->CopyFrom(src.get(), 5), 5);
  EXPECT_EQ(Content(part.get()), big.substr(10, 5));
  EXPECT_EQ(src->Position(), 15);

  // More than the source holds is a read error.
  src->SetPosition(99990);
  EXPECT_THROW(part->CopyFrom(src.get(), 20), EReadError);
  EXPECT_THROW(part->CopyFrom(src.get(), -1), EReadError);
}

TEST(TMemoryStreamTest, GrowthZeroFillAndSetSize) {
  Owned<TMemoryStream> s(New<TMemoryStream>());
  EXPECT_EQ(s->Capacity(), 0);
  s->WriteBuffer("x", 1);
  EXPECT_EQ(s->Capacity(), 0x2000);  // grows in steps of 8 KiB
  std::string chunk(0x2000, 'y');
  s->WriteBuffer(chunk.data(), static_cast<Integer>(chunk.size()));
  EXPECT_EQ(s->Capacity(), 0x4000);
  EXPECT_EQ(s->Size(), 0x2001);

  // A write past the end leaves zeros in the gap, also over old bytes.
  s->SetSize(2);
  EXPECT_EQ(s->Position(), 2);  // clamped to the new end
  s->SetPosition(6);
  s->WriteBuffer("z", 1);
  EXPECT_EQ(Content(s.get()), std::string("xy\0\0\0\0z", 7));
  s->SetSize(10);
  EXPECT_EQ(Content(s.get()), std::string("xy\0\0\0\0z\0\0\0", 10));

  // A negative position reads and writes nothing.
  s->Seek(-5, soBeginning);
  char b;
  EXPECT_EQ(s->Read(&b, 1), 0);
  EXPECT_EQ(s->Write(&b, 1), 0);
  EXPECT_THROW(s->WriteBuffer(&b, 1), EWriteError);
  EXPECT_THROW(s->SetSize(-1), EStreamError);

  s->Clear();
  EXPECT_EQ(s->Size(), 0);
  EXPECT_EQ(s->Capacity(), 0);
  EXPECT_EQ(s->Memory(), nullptr);
}

TEST(TMemoryStreamTest, FileRoundTrip) {
  std::string dir = testing_support::MakeTempDir("memfile");
  std::string path = dir + "/data.bin";
  Owned<TMemoryStream> s(New<TMemoryStream>());
  s->WriteBuffer("\x00\x01\xFFhello", 8);
  s->SaveToFile(U(path));
  EXPECT_EQ(ReadFile(path), std::string("\x00\x01\xFFhello", 8));

  Owned<TMemoryStream> t(New<TMemoryStream>());
  t->LoadFromFile(U(path));
  EXPECT_EQ(Content(t.get()), std::string("\x00\x01\xFFhello", 8));
  EXPECT_EQ(t->Position(), 0);
  EXPECT_THROW(t->LoadFromFile(U(dir + "/missing")), EFOpenError);
}

TEST(TFileStreamTest, ModesAndErrors) {
  std::string dir = testing_support::MakeTempDir("modes");
  std::string path = dir + "/a.txt";
  WriteFile(path, "old content");

  // fmCreate empties an existing file.
  {
    Owned<TFileStream> s(New<TFileStream>(U(path), fmCreate));
    EXPECT_EQ(s->Size(), 0);
    s->WriteBuffer("new", 3);
    EXPECT_EQ(s->FileName(), U(path));
  }
  EXPECT_EQ(ReadFile(path), "new");
  // fmOpenRead cannot write; fmOpenWrite cannot read.
  {
    Owned<TFileStream> s(New<TFileStream>(U(path), fmOpenRead));
    char b[3];
    s->ReadBuffer(b, 3);
    EXPECT_THROW(s->WriteBuffer("x", 1), EWriteError);
  }
  {
    Owned<TFileStream> s(New<TFileStream>(U(path), fmOpenWrite));
    char b;
    EXPECT_EQ(s->Read(&b, 1), 0);
    s->Seek(0, soEnd);
    s->WriteBuffer("!", 1);
  }
  {
    Owned<TFileStream> s(New<TFileStream>(U(path), fmOpenReadWrite));
    s->SetSize(2);
    EXPECT_EQ(s->Size(), 2);
  }
  EXPECT_EQ(ReadFile(path), "ne");

  try {
    New<TFileStream>(U(dir + "/missing.txt"), fmOpenRead);
    FAIL() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(),
              U("Cannot open file \"" + dir + "/missing.txt\". The system cannot find the file specified"));
  }
  try {
    New<TFileStream>(U(dir + "/no/such/dir.txt"), fmCreate);
    FAIL() << "no error";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(),
              U("Cannot create file \"" + dir + "/no/such/dir.txt\". The system cannot find the path specified"));
  }
  try {
    New<TFileStream>(U(dir), fmOpenRead);  // a folder is not a file
    FAIL() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), U("Cannot open file \"" + dir + "\". Access is denied"));
  }
  // Relative names are shown in full.
  try {
    New<TFileStream>(u"no-such-file.bin", fmOpenRead);
    FAIL() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), u"Cannot open file \"" + ExpandFileName(u"no-such-file.bin") +
                               u"\". The system cannot find the file specified");
  }
  {
    Owned<TFileStream> s(New<TFileStream>(U(path), fmOpenReadWrite));
    try {
      s->SetSize(-1);
      FAIL() << "no error";
    } catch (const EOSError& e) {
      EXPECT_EQ(e.ErrorCode, 87u);
      EXPECT_EQ(e.Message(), u"System Error.  Code: 87.\nThe parameter is incorrect");
    }
  }
}

TEST(TFileStreamTest, ShareModesDenyBetweenStreams) {
  std::string dir = testing_support::MakeTempDir("share");
  String path = U(dir + "/s.bin");
  WriteFile(dir + "/s.bin", "data");
  struct Case {
    Word First;
    Word Second;
    bool Allowed;
  } cases[] = {
      {fmOpenRead | fmShareDenyNone, fmOpenReadWrite | fmShareDenyNone, true},
      {fmOpenRead | fmShareDenyWrite, fmOpenRead | fmShareDenyWrite, true},
      {fmOpenRead | fmShareDenyWrite, fmOpenReadWrite | fmShareDenyNone, false},
      {fmOpenReadWrite | fmShareDenyNone, fmOpenRead | fmShareDenyWrite, false},  // the first one writes
      {fmOpenRead | fmShareExclusive, fmOpenRead | fmShareDenyNone, false},
      {fmOpenRead | fmShareCompat, fmOpenRead | fmShareDenyNone, false},
      {fmOpenWrite | fmShareDenyRead, fmOpenWrite | fmShareDenyRead, true},
      {fmOpenWrite | fmShareDenyRead, fmOpenRead | fmShareDenyNone, false},
      {fmOpenRead | fmShareDenyNone, fmCreate, false},  // fmCreate alone is exclusive
      {fmOpenRead | fmShareDenyNone, fmCreate | fmShareDenyNone, true},
  };
  for (auto& c : cases) {
    Owned<TFileStream> first(New<TFileStream>(path, c.First));
    bool allowed = true;
    try {
      Owned<TFileStream> second(New<TFileStream>(path, c.Second));
    } catch (const EFOpenError&) {
      allowed = false;
    } catch (const EFCreateError&) {
      allowed = false;
    }
    EXPECT_EQ(allowed, c.Allowed) << std::hex << c.First << " then " << c.Second;
  }
  // A denied fmCreate leaves the file as it was; closing lifts the denial.
  WriteFile(dir + "/s.bin", "keep");
  {
    Owned<TFileStream> first(New<TFileStream>(path, fmOpenRead | fmShareDenyWrite));
    EXPECT_THROW(New<TFileStream>(path, fmCreate), EFCreateError);
  }
  EXPECT_EQ(ReadFile(dir + "/s.bin"), "keep");
  Owned<TFileStream> again(New<TFileStream>(path, fmOpenReadWrite | fmShareExclusive));
}

TEST(TBytesStreamTest, WrapsAByteArray) {
  Owned<TBytesStream> s(New<TBytesStream>(TBytes{1, 2, 3}));
  EXPECT_EQ(s->Size(), 3);
  EXPECT_EQ(s->Position(), 0);
  s->Seek(0, soEnd);
  Byte four = 4;
  s->WriteBuffer(&four, 1);
  EXPECT_EQ(s->Size(), 4);
  EXPECT_GE(s->Bytes().size(), 4u);
  EXPECT_EQ(TBytes(s->Bytes().begin(), s->Bytes().begin() + 4), (TBytes{1, 2, 3, 4}));
}

TEST(TStringStreamTest, EncodesItsText) {
  struct Case {
    TTextEncoding Encoding;
    std::string Bytes;
  } cases[] = {
      {TTextEncoding::Ansi, "\xD0\x61"},  // cp1254
      {TTextEncoding::UTF8, "\xC4\x9E\x61"},
      {TTextEncoding::UTF16LE, std::string("\x1E\x01\x61\x00", 4)},
      {TTextEncoding::UTF16BE, std::string("\x01\x1E\x00\x61", 4)},
  };
  SetSystemLocale(TSystemLocale::Turkish);  // ANSI is code page 1254
  for (auto& c : cases) {
    Owned<TStringStream> s(New<TStringStream>(String(u"Ğa"), c.Encoding));
    EXPECT_EQ(Content(s.get()), c.Bytes);
    EXPECT_EQ(s->DataString(), u"Ğa");
    s->Seek(0, soEnd);
    s->WriteString(u"ş");
    EXPECT_EQ(s->DataString(), u"Ğaş");
  }
  // Text that begins with U+FEFF keeps it: a stated encoding has no mark.
  for (TTextEncoding e : {TTextEncoding::UTF8, TTextEncoding::UTF16LE, TTextEncoding::UTF16BE}) {
    Owned<TStringStream> m(New<TStringStream>(String(u"\uFEFFa"), e));
    EXPECT_EQ(m->DataString(), u"\uFEFFa") << static_cast<int>(e);
    m->SetPosition(0);
    EXPECT_EQ(m->ReadString(static_cast<Integer>(m->Size())), u"\uFEFFa");
  }
  Owned<TStringStream> s(New<TStringStream>(String(u"abcdef")));
  s->SetPosition(2);
  EXPECT_EQ(s->ReadString(3), u"cde");
  EXPECT_EQ(s->ReadString(10), u"f");
  EXPECT_EQ(s->ReadString(10), u"");
}

}  // namespace
