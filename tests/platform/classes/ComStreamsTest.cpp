// TStreamAdapter: a TStream seen through IStream.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/classes/ComStreams.h"
#include "platform/classes/Streams.h"

namespace {

TEST(StreamAdapter, ReadsWritesSeeksAndStats) {
  TMemoryStream* m = New<TMemoryStream>();
  {
    TInterfacePtr<IStream> s = New<TStreamAdapter>(m, soReference);
    uint32_t n = 0;
    ASSERT_EQ(s->Write("hello world", 11, &n), S_OK);
    EXPECT_EQ(n, 11u);
    ULARGE_INTEGER pos = 99;
    ASSERT_EQ(s->Seek(-5, STREAM_SEEK_END, &pos), S_OK);
    EXPECT_EQ(pos, 6u);
    char buf[16] = {};
    ASSERT_EQ(s->Read(buf, sizeof buf, &n), S_OK);
    EXPECT_EQ(n, 5u);  // a short read is not an error
    EXPECT_EQ(std::string(buf, n), "world");
    STATSTG st{};
    ASSERT_EQ(s->Stat(&st, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(st.cbSize, 11u);
    EXPECT_EQ(st.type, STGTY_STREAM);
    EXPECT_EQ(s->Seek(0, 7, nullptr), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(s->Read(nullptr, 1, &n), STG_E_INVALIDPOINTER);
    ASSERT_EQ(s->SetSize(5), S_OK);
    EXPECT_EQ(m->Size(), 5);
    IStream* clone = reinterpret_cast<IStream*>(1);
    EXPECT_EQ(s->Clone(&clone), E_NOTIMPL);
    EXPECT_EQ(clone, nullptr);
    // the adapter answers for IStream by GUID
    void* p = nullptr;
    ASSERT_EQ(s->QueryInterface(IStream::IID, &p), S_OK);
    static_cast<IStream*>(p)->_Release();
  }
  // soReference: the stream outlives the adapter
  EXPECT_EQ(m->Size(), 5);
  Free(m);
}

TEST(StreamAdapter, CopyToMovesTheRestAndOwnedStreamsAreFreed) {
  TMemoryStream* src = New<TMemoryStream>();
  src->WriteBuffer("0123456789", 10);
  src->SetPosition(4);
  TMemoryStream* dst = New<TMemoryStream>();
  {
    TInterfacePtr<IStream> a = New<TStreamAdapter>(src, soOwned);
    TInterfacePtr<IStream> b = New<TStreamAdapter>(dst, soReference);
    ULARGE_INTEGER read = 0, written = 0;
    ASSERT_EQ(a->CopyTo(b.get(), 100, &read, &written), S_OK);
    EXPECT_EQ(read, 6u);
    EXPECT_EQ(written, 6u);
  }  // src is freed with its adapter (the sanitizer would see a leak otherwise)
  ASSERT_EQ(dst->Size(), 6);
  EXPECT_EQ(std::memcmp(dst->Memory(), "456789", 6), 0);
  Free(dst);
}

}  // namespace
