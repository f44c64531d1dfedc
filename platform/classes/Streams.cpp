#include "platform/classes/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <list>
#include <mutex>

#include "platform/classes/Filer.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Format.h"

CL_IMPLEMENT_CLASS(TStream)
CL_IMPLEMENT_CLASS(THandleStream)
CL_IMPLEMENT_CLASS(TFileStream)
CL_IMPLEMENT_CLASS(TCustomMemoryStream)
CL_IMPLEMENT_CLASS(TMemoryStream)
CL_IMPLEMENT_CLASS(TBytesStream)
CL_IMPLEMENT_CLASS(TStringStream)

namespace {

const char16_t kReadError[] = u"Stream read error";
const char16_t kWriteError[] = u"Stream write error";
const char16_t kMemoryStreamError[] = u"Out of memory while expanding memory stream";
const char16_t kInvalidImage[] = u"Invalid stream format";

constexpr NativeInt kMemoryDelta = 0x2000;  // memory streams grow in steps of 8 KiB
constexpr Integer kMaxBufSize = 0xF000;     // CopyFrom's buffer

constexpr Cardinal kErrorPathNotFound = 3;
constexpr Cardinal kErrorSharingViolation = 32;
// A resource header: FF, the type RCDATA as a word, the name, flags, size.
constexpr Word kResTypeRCData = 10;
constexpr Word kResFlags = 0x1030;  // moveable, pure, discardable
constexpr size_t kMaxResName = 63;

// Share modes between the TFileStreams of this process: one entry per open
// stream, keyed by the file's device and inode.
constexpr unsigned kRead = 1, kWrite = 2;

struct TShareEntry {
  dev_t Dev;
  ino_t Ino;
  unsigned Access;  // kRead | kWrite
  unsigned Share;   // what the stream lets others do
};

std::mutex& ShareMutex() {
  static std::mutex m;
  return m;
}
std::list<TShareEntry>& ShareTable() {
  static std::list<TShareEntry> table;
  return table;
}

// Adds an entry for the stream unless an open stream's access and share
// modes conflict with it; answers the entry or nil.
TShareEntry* AcquireShare(const struct stat& St, unsigned Access, unsigned Share) {
  std::lock_guard<std::mutex> lock(ShareMutex());
  auto& table = ShareTable();
  for (const TShareEntry& e : table) {
    if (e.Dev != St.st_dev || e.Ino != St.st_ino) continue;
    if ((Access & ~e.Share) != 0 || (e.Access & ~Share) != 0) return nullptr;
  }
  table.push_back({St.st_dev, St.st_ino, Access, Share});
  return &table.back();
}

void ReleaseShare(TShareEntry* Entry) {
  std::lock_guard<std::mutex> lock(ShareMutex());
  auto& table = ShareTable();
  for (auto it = table.begin(); it != table.end(); ++it)
    if (&*it == Entry) {
      table.erase(it);
      return;
    }
}

}  // namespace

// --- TStream ------------------------------------------------------------------

Integer TStream::Read(void*, Integer) { AbstractError(); }

Integer TStream::Write(const void*, Integer) { AbstractError(); }

Int64 TStream::Seek(Int64, TSeekOrigin) { AbstractError(); }

void TStream::ReadBuffer(void* Buffer, Integer Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError(kReadError);
}

void TStream::WriteBuffer(const void* Buffer, Integer Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError(kWriteError);
}

Int64 TStream::CopyFrom(TStream* Source, Int64 Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  if (Count < 0) throw EReadError(kReadError);
  Int64 Result = Count;
  Integer BufSize = Count > kMaxBufSize ? kMaxBufSize : static_cast<Integer>(Count);
  std::vector<Byte> Buffer(static_cast<size_t>(BufSize));
  while (Count != 0) {
    Integer N = Count > BufSize ? BufSize : static_cast<Integer>(Count);
    Source->ReadBuffer(Buffer.data(), N);
    WriteBuffer(Buffer.data(), N);
    Count -= N;
  }
  return Result;
}

void TStream::SetSize(Int64) {}

Int64 TStream::GetSize() {
  Int64 Pos = Seek(0, soCurrent);
  Int64 Result = Seek(0, soEnd);
  Seek(Pos, soBeginning);
  return Result;
}

TComponent* TStream::ReadComponent(TComponent* Instance) { return ReadComponentFromStream(this, Instance); }

void TStream::WriteComponent(TComponent* Instance) { WriteComponentToStream(this, Instance); }

void TStream::WriteDescendent(TComponent* Instance, TComponent* Ancestor) {
  WriteDescendentToStream(this, Instance, Ancestor);
}

TComponent* TStream::ReadComponentRes(TComponent* Instance) {
  ReadResHeader();
  return ReadComponent(Instance);
}

void TStream::WriteComponentRes(const String& ResName, TComponent* Instance) {
  WriteDescendentRes(ResName, Instance, nullptr);
}

void TStream::WriteDescendentRes(const String& ResName, TComponent* Instance, TComponent* Ancestor) {
  String upper = ResName.substr(0, kMaxResName);
  for (Char& c : upper)
    if (c >= u'a' && c <= u'z') c = static_cast<Char>(c - 32);
  RawByteString header = "\xFF";
  header += static_cast<char>(kResTypeRCData & 0xFF);
  header += static_cast<char>(kResTypeRCData >> 8);
  RawByteString name = StringToAnsi(upper);
  header += name.substr(0, name.find('\0'));  // the name ends at its first NUL
  header += '\0';
  header += static_cast<char>(kResFlags & 0xFF);
  header += static_cast<char>(kResFlags >> 8);
  header.append(4, '\0');  // the size, filled in once the data is written
  WriteBuffer(header.data(), static_cast<Integer>(header.size()));
  const Int64 start = Position();
  WriteDescendent(Instance, Ancestor);
  const Int64 end = Position();
  const Int64 size = end - start;
  if (size < 0 || size > static_cast<Int64>(0xFFFFFFFFu)) throw EWriteError(kWriteError);
  const Byte sizeBytes[4] = {static_cast<Byte>(size), static_cast<Byte>(size >> 8), static_cast<Byte>(size >> 16),
                             static_cast<Byte>(size >> 24)};
  SetPosition(start - 4);
  WriteBuffer(sizeBytes, 4);
  SetPosition(end);
}

void TStream::ReadResHeader() {
  Byte head[3];
  if (Read(head, 3) != 3 || head[0] != 0xFF || (head[1] | (head[2] << 8)) != kResTypeRCData)
    throw EInvalidImage(kInvalidImage);
  // The name, up to its NUL; a header without one within reach is damaged.
  for (size_t n = 0;; ++n) {
    Byte c;
    if (n > 255 || Read(&c, 1) != 1) throw EInvalidImage(kInvalidImage);
    if (c == 0) break;
  }
  Byte rest[6];  // flags and data size, which the reader does not need
  if (Read(rest, 6) != 6) throw EInvalidImage(kInvalidImage);
}

// --- THandleStream ------------------------------------------------------------

void THandleStream::Create(int AHandle) {
  inherited::Create();
  FHandle = AHandle;
}

Integer THandleStream::Read(void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  ssize_t n;
  do n = ::read(FHandle, Buffer, static_cast<size_t>(Count));
  while (n < 0 && errno == EINTR);
  return n < 0 ? 0 : static_cast<Integer>(n);
}

Integer THandleStream::Write(const void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  const char* p = static_cast<const char*>(Buffer);
  size_t done = 0;
  while (done < static_cast<size_t>(Count)) {
    ssize_t n = ::write(FHandle, p + done, static_cast<size_t>(Count) - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<Integer>(done);
}

Int64 THandleStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  int whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
  return ::lseek(FHandle, static_cast<off_t>(Offset), whence);
}

void THandleStream::SetSize(Int64 NewSize) {
  Seek(NewSize, soBeginning);
  if (NewSize < 0 || ::ftruncate(FHandle, static_cast<off_t>(NewSize)) != 0) {
    Cardinal err = SystemErrorOfErrno(NewSize < 0 ? EINVAL : errno);
    throw EOSError(Format(u"System Error.  Code: %d.\n%s", {static_cast<Int64>(err), SysErrorMessage(err)}), err);
  }
}

// --- TFileStream --------------------------------------------------------------

void TFileStream::Create(const String& AFileName, Word Mode) { Create(AFileName, Mode, 0666); }

void TFileStream::Create(const String& AFileName, Word Mode, Cardinal Rights) {
  FFileName = AFileName;
  const bool creating = (Mode & fmCreate) == fmCreate;
  const unsigned accessMode = Mode & 3;
  const unsigned shareMode = (Mode & 0xF0) >> 4;
  unsigned access = creating          ? (kRead | kWrite)
                    : accessMode == 0 ? kRead
                    : accessMode == 1 ? kWrite
                                      : kRead | kWrite;
  // Compat and Exclusive share nothing; DenyWrite shares reading, DenyRead
  // writing, DenyNone both.
  static const unsigned kShare[5] = {0, 0, kRead, kWrite, kRead | kWrite};

  // The message names the full path and the system error's text; a missing
  // folder is "path not found", as on the platform.
  auto fail = [&](Cardinal err) {
    String full = ExpandFileName(AFileName);
    if (err == SystemErrorOfErrno(ENOENT) && !DirectoryExists(ExtractFilePath(full))) err = kErrorPathNotFound;
    String text = SysErrorMessage(err);
    if (creating) throw EFCreateError(Format(u"Cannot create file \"%s\". %s", {full, text}));
    throw EFOpenError(Format(u"Cannot open file \"%s\". %s", {full, text}));
  };
  auto failErrno = [&](int err) { fail(SystemErrorOfErrno(err)); };
  if ((!creating && accessMode > 2) || shareMode > 4) failErrno(EINVAL);

  int flags = O_CLOEXEC | (creating          ? O_RDWR | O_CREAT
                           : accessMode == 0 ? O_RDONLY
                           : accessMode == 1 ? O_WRONLY
                                             : O_RDWR);
  std::string path = UTF16ToUTF8(AFileName);
  int fd = ::open(path.c_str(), flags, static_cast<mode_t>(Rights & 07777));
  if (fd < 0) failErrno(errno);
  struct stat st {};
  int statErr = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
  if (statErr) {
    int err = statErr;
    ::close(fd);
    failErrno(err);
  }
  TShareEntry* entry = AcquireShare(st, access, kShare[shareMode]);
  if (!entry) {
    ::close(fd);
    fail(kErrorSharingViolation);
  }
  // The file is made empty only once the share check has let us in.
  if (creating && ::ftruncate(fd, 0) != 0) {
    int err = errno;
    ReleaseShare(entry);
    ::close(fd);
    failErrno(err);
  }
  FShareEntry = entry;
  FOpen = true;
  inherited::Create(fd);
}

void TFileStream::Destroy() {
  if (FOpen) {
    ::close(FHandle);
    FOpen = false;
  }
  if (FShareEntry) {
    ReleaseShare(static_cast<TShareEntry*>(FShareEntry));
    FShareEntry = nullptr;
  }
  inherited::Destroy();
}

// --- TCustomMemoryStream ------------------------------------------------------

Integer TCustomMemoryStream::Read(void* Buffer, Integer Count) {
  if (FPosition >= 0 && Count >= 0) {
    NativeInt Result = FSize - FPosition;
    if (Result > 0) {
      if (Result > Count) Result = Count;
      std::memcpy(Buffer, static_cast<Byte*>(FMemory) + FPosition, static_cast<size_t>(Result));
      FPosition += Result;
      return static_cast<Integer>(Result);
    }
  }
  return 0;
}

Int64 TCustomMemoryStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  // Wrapping arithmetic: a hostile offset gives a position Read and Write refuse.
  switch (Origin) {
    case soBeginning:
      FPosition = Offset;
      break;
    case soCurrent:
      FPosition = static_cast<NativeInt>(static_cast<uint64_t>(FPosition) + static_cast<uint64_t>(Offset));
      break;
    case soEnd:
      FPosition = static_cast<NativeInt>(static_cast<uint64_t>(FSize) + static_cast<uint64_t>(Offset));
      break;
  }
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
  const Byte* p = static_cast<const Byte*>(FMemory);
  NativeInt left = FSize;
  while (left > 0) {
    Integer n = left > MaxInt ? MaxInt : static_cast<Integer>(left);
    Stream->WriteBuffer(p, n);
    p += n;
    left -= n;
  }
}

void TCustomMemoryStream::SaveToFile(const String& FileName) {
  TFileStream* Stream = New<TFileStream>(FileName, fmCreate);
  Finally release([&] { Free(Stream); });
  SaveToStream(Stream);
}

void TCustomMemoryStream::SetPointer(Pointer Ptr, NativeInt ASize) {
  FMemory = Ptr;
  FSize = ASize;
}

// --- TMemoryStream ------------------------------------------------------------

void TMemoryStream::Destroy() {
  Clear();
  inherited::Destroy();
}

void TMemoryStream::Clear() {
  SetCapacity(0);
  FSize = 0;
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  Int64 Count = Stream->Size();
  SetSize(Count);
  Byte* p = static_cast<Byte*>(FMemory);
  while (Count > 0) {
    Integer n = Count > MaxInt ? MaxInt : static_cast<Integer>(Count);
    Stream->ReadBuffer(p, n);
    p += n;
    Count -= n;
  }
}

void TMemoryStream::LoadFromFile(const String& FileName) {
  TFileStream* Stream = New<TFileStream>(FileName, fmOpenRead | fmShareDenyWrite);
  Finally release([&] { Free(Stream); });
  LoadFromStream(Stream);
}

void TMemoryStream::SetCapacity(NativeInt NewCapacity) {
  SetPointer(Realloc(NewCapacity), FSize);
  FCapacity = NewCapacity;
}

void TMemoryStream::SetSize(Int64 NewSize) {
  if (NewSize < 0 || NewSize > MaxInt) throw EStreamError(kMemoryStreamError);
  NativeInt OldPosition = FPosition;
  NativeInt OldSize = FSize;
  SetCapacity(static_cast<NativeInt>(NewSize));
  FSize = static_cast<NativeInt>(NewSize);
  // Grown bytes read as zero, also those left over from a shrink.
  if (FSize > OldSize)
    std::memset(static_cast<Byte*>(FMemory) + OldSize, 0, static_cast<size_t>(FSize - OldSize));
  if (OldPosition > FSize) Seek(0, soEnd);
}

Integer TMemoryStream::Write(const void* Buffer, Integer Count) {
  if (FPosition < 0 || Count < 0 || FPosition > MaxInt - static_cast<NativeInt>(Count)) return 0;
  NativeInt Pos = FPosition + Count;
  if (Pos <= 0) return 0;
  if (Pos > FSize) {
    if (Pos > FCapacity) SetCapacity(Pos);
    if (FPosition > FSize)
      std::memset(static_cast<Byte*>(FMemory) + FSize, 0, static_cast<size_t>(FPosition - FSize));
    FSize = Pos;
  }
  std::memcpy(static_cast<Byte*>(FMemory) + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = Pos;
  return Count;
}

Pointer TMemoryStream::Realloc(NativeInt& NewCapacity) {
  if (NewCapacity > 0 && NewCapacity != FSize)
    NewCapacity = (NewCapacity + (kMemoryDelta - 1)) & ~(kMemoryDelta - 1);
  Pointer Result = FMemory;
  if (NewCapacity != FCapacity) {
    if (NewCapacity == 0) {
      std::free(FMemory);
      Result = nullptr;
    } else {
      Result = std::realloc(FMemory, static_cast<size_t>(NewCapacity));
      if (!Result) throw EStreamError(kMemoryStreamError);
    }
  }
  return Result;
}

// --- TBytesStream -------------------------------------------------------------

void TBytesStream::Create() { inherited::Create(); }

void TBytesStream::Create(const TBytes& ABytes) {
  inherited::Create();
  FBytes = ABytes;
  SetPointer(FBytes.empty() ? nullptr : FBytes.data(), static_cast<NativeInt>(FBytes.size()));
  FCapacity = FSize;
}

Pointer TBytesStream::Realloc(NativeInt& NewCapacity) {
  if (NewCapacity > 0 && NewCapacity != FSize)
    NewCapacity = (NewCapacity + (kMemoryDelta - 1)) & ~(kMemoryDelta - 1);
  if (NewCapacity != FCapacity) {
    try {
      FBytes.resize(static_cast<size_t>(NewCapacity));
    } catch (const std::bad_alloc&) {
      throw EStreamError(kMemoryStreamError);
    }
    if (NewCapacity == 0) TBytes().swap(FBytes);
  }
  return FBytes.empty() ? nullptr : FBytes.data();
}

// --- TStringStream ------------------------------------------------------------

void TStringStream::Create() { Create(String(), TTextEncoding::Ansi); }

void TStringStream::Create(const String& AString) { Create(AString, TTextEncoding::Ansi); }

void TStringStream::Create(const String& AString, TTextEncoding AEncoding) {
  FEncoding = AEncoding;
  RawByteString raw = EncodeText(AString, AEncoding, false);
  inherited::Create(TBytes(raw.begin(), raw.end()));
}

void TStringStream::Create(const TBytes& ABytes) {
  FEncoding = TTextEncoding::Ansi;
  inherited::Create(ABytes);
}

String TStringStream::DataString() const {
  return DecodeTextAs(FMemory, static_cast<size_t>(FSize), FEncoding);
}

String TStringStream::ReadString(Integer Count) {
  if (Count <= 0 || FPosition < 0 || FPosition >= FSize) return String();
  NativeInt Len = FSize - FPosition;
  if (Len > Count) Len = Count;
  String Result =
      DecodeTextAs(static_cast<const Byte*>(FMemory) + FPosition, static_cast<size_t>(Len), FEncoding);
  FPosition += Len;
  return Result;
}

void TStringStream::WriteString(const String& AString) {
  RawByteString raw = EncodeText(AString, FEncoding, false);
  if (raw.size() > static_cast<size_t>(MaxInt)) throw EWriteError(kWriteError);
  WriteBuffer(raw.data(), static_cast<Integer>(raw.size()));
}
