// Streams: the abstract byte stream, streams over POSIX file descriptors and
// files, and streams in memory.
//
// TFileStream's share modes are enforced between the TFileStreams of this
// process (a table keyed by device and inode); other processes are not
// affected, since POSIX files have no share modes.
#pragma once

#include <vector>

#include "platform/classes/ObjectModel.h"

enum TSeekOrigin : Byte { soBeginning, soCurrent, soEnd };

using TBytes = std::vector<Byte>;

// Declared in platform/rtl/CodePages.h.
enum class TTextEncoding;
class TComponent;

// File modes of TFileStream: one access mode combined with one share mode,
// or fmCreate (read and write, the file made empty) with a share mode.
constexpr Word fmCreate = 0xFF00;
constexpr Word fmOpenRead = 0x0000;
constexpr Word fmOpenWrite = 0x0001;
constexpr Word fmOpenReadWrite = 0x0002;
constexpr Word fmShareCompat = 0x0000;  // treated as exclusive
constexpr Word fmShareExclusive = 0x0010;
constexpr Word fmShareDenyWrite = 0x0020;
constexpr Word fmShareDenyRead = 0x0030;
constexpr Word fmShareDenyNone = 0x0040;

class TStream : public TObject {
  CL_CLASS(TStream, TObject)
 public:
  // Abstract: read or write up to Count bytes and answer how many were moved.
  virtual Integer Read(void* Buffer, Integer Count);
  virtual Integer Write(const void* Buffer, Integer Count);
  // Abstract: moves the position and answers the new one.
  virtual Int64 Seek(Int64 Offset, TSeekOrigin Origin);

  // Read or write exactly Count bytes, else EReadError/EWriteError.
  void ReadBuffer(void* Buffer, Integer Count);
  void WriteBuffer(const void* Buffer, Integer Count);
  // Copies Count bytes from Source's position; Count 0 copies the whole of
  // Source from its start. Answers the bytes copied.
  Int64 CopyFrom(TStream* Source, Int64 Count);

  Int64 Position() { return Seek(0, soCurrent); }
  void SetPosition(Int64 Pos) { Seek(Pos, soBeginning); }
  Int64 Size() { return GetSize(); }
  virtual void SetSize(Int64 NewSize);

  // Component streaming at the position, in the binary form format
  // (platform/classes/Filer.h does the work). ReadComponent reads into
  // Instance, or into a new component of the class the stream names when
  // Instance is nil, and answers it.
  TComponent* ReadComponent(TComponent* Instance);
  void WriteComponent(TComponent* Instance);
  // Writes only what differs from Ancestor (nil: everything).
  void WriteDescendent(TComponent* Instance, TComponent* Ancestor);
  // The same behind a resource header (the 16-bit resource-file form: FF,
  // type RCDATA, the name in upper case, flags 1030h, the data size).
  TComponent* ReadComponentRes(TComponent* Instance);
  void WriteComponentRes(const String& ResName, TComponent* Instance);
  void WriteDescendentRes(const String& ResName, TComponent* Instance, TComponent* Ancestor);
  // Reads a resource header of that form and leaves the position at its
  // data; EInvalidImage "Invalid stream format" when there is none.
  void ReadResHeader();

 protected:
  virtual Int64 GetSize();
};

// A stream over a POSIX file descriptor that it does not own.
class THandleStream : public TStream {
  CL_CLASS(THandleStream, TStream)
 public:
  void Create(int AHandle);

  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  void SetSize(Int64 NewSize) override;

  int Handle() const { return FHandle; }

 protected:
  int FHandle{};
};

// A stream over a named file, opened or created with a mode of fmXxx
// constants. Fails with EFCreateError or EFOpenError.
class TFileStream : public THandleStream {
  CL_CLASS(TFileStream, THandleStream)
 public:
  void Create(const String& AFileName, Word Mode);
  // Rights are the permission bits of a file that fmCreate makes (before the umask).
  void Create(const String& AFileName, Word Mode, Cardinal Rights);
  void Destroy() override;

  const String& FileName() const { return FFileName; }

 private:
  String FFileName;
  Boolean FOpen{};
  Pointer FShareEntry{};
};

// A stream over a block of memory that a descendant provides.
class TCustomMemoryStream : public TStream {
  CL_CLASS(TCustomMemoryStream, TStream)
 public:
  Integer Read(void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  void SaveToStream(TStream* Stream);
  void SaveToFile(const String& FileName);

  Pointer Memory() const { return FMemory; }

 protected:
  void SetPointer(Pointer Ptr, NativeInt ASize);
  Int64 GetSize() override { return FSize; }

  Pointer FMemory{};
  NativeInt FSize{};
  NativeInt FPosition{};
};

// A growable stream in memory (capacity in steps of 8 KiB). Bytes between the
// old end and a position written past it read as zero.
class TMemoryStream : public TCustomMemoryStream {
  CL_CLASS(TMemoryStream, TCustomMemoryStream)
 public:
  void Destroy() override;

  void Clear();
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const String& FileName);
  void SetSize(Int64 NewSize) override;
  Integer Write(const void* Buffer, Integer Count) override;

  NativeInt Capacity() const { return FCapacity; }

 protected:
  // Answers the memory block for NewCapacity bytes (adjusting NewCapacity
  // to the allocation step); the default reallocates FMemory.
  virtual Pointer Realloc(NativeInt& NewCapacity);
  void SetCapacity(NativeInt NewCapacity);

  NativeInt FCapacity{};
};

// A memory stream over a byte array, which Bytes gives (its length is the
// capacity, at least Size).
class TBytesStream : public TMemoryStream {
  CL_CLASS(TBytesStream, TMemoryStream)
 public:
  void Create();
  void Create(const TBytes& ABytes);

  const TBytes& Bytes() const { return FBytes; }

 protected:
  Pointer Realloc(NativeInt& NewCapacity) override;

 private:
  TBytes FBytes;
};

// A stream over the bytes of a text in an encoding (by default ANSI in the
// system code page; no byte-order mark is written or expected).
class TStringStream : public TBytesStream {
  CL_CLASS(TStringStream, TBytesStream)
 public:
  void Create();
  void Create(const String& AString);
  void Create(const String& AString, TTextEncoding AEncoding);
  void Create(const TBytes& ABytes);

  // The whole content, decoded.
  String DataString() const;
  // Decodes up to Count bytes from the position and moves past them.
  String ReadString(Integer Count);
  // Encodes AString and writes it at the position.
  void WriteString(const String& AString);

  TTextEncoding Encoding() const { return FEncoding; }

 private:
  TTextEncoding FEncoding{};
};
