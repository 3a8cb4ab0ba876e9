#include <gtest/gtest.h>

#include <string>

#include "objects/cpdf_exception.h"
#include "objects/cpdf_object.h"
#include "objects/cpdf_ref_ptr.h"
#include "streams/cpdf_embed_stream.h"
#include "streams/cpdf_file_stream.h"
#include "streams/cpdf_input_file.h"
#include "test_files.h"

namespace {

std::string Drain(CPdfStream* s, int limit = 1 << 20) {
  std::string out;
  for (int c = s->GetChar(); c >= 0 && limit-- > 0; c = s->GetChar()) {
    out += static_cast<char>(c);
  }
  return out;
}

class FileStreamTest : public testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 1000; ++i) {
      content_ += static_cast<char>('A' + i % 26);
    }
    file_ = CPdfInputFile::Open(dir_.Write("data", content_).c_str());
    null_.SetNull();
  }
  CPdfRefPtr<CPdfStream> Window(uint32_t start, uint32_t length) {
    return CPdfRefPtr<CPdfStream>::Adopt(CPdfFileStream::Create(file_.get(), start, length, null_));
  }

  TempDir dir_;
  std::string content_;
  std::unique_ptr<CPdfInputFile> file_;
  CPdfObject null_;
};

TEST_F(FileStreamTest, WindowsDeliverExactlyTheirBytes) {
  EXPECT_EQ(content_, Drain(Window(0, 0).Get()));
  auto w = Window(100, 10);
  EXPECT_EQ(content_.substr(100, 10), Drain(w.Get()));
  EXPECT_EQ(110u, w->Tell());
  EXPECT_EQ(-1, w->GetChar());
  EXPECT_EQ(-1, w->PeekChar());
  EXPECT_EQ(content_.substr(300, 300), Drain(Window(300, 300).Get()));
  EXPECT_EQ(content_.substr(900), Drain(Window(900, 500).Get()));
  w->Rewind();
  EXPECT_EQ(content_[100], w->PeekChar());
  EXPECT_EQ(content_[100], w->GetChar());
}

TEST_F(FileStreamTest, InterleavedWindowsKeepTheirOwnPositions) {
  auto a = Window(0, 0);
  auto b = Window(500, 0);
  std::string ra;
  std::string rb;
  for (int i = 0; i < 400; ++i) {
    ra += static_cast<char>(a->GetChar());
    rb += static_cast<char>(b->GetChar());
  }
  EXPECT_EQ(content_.substr(0, 400), ra);
  EXPECT_EQ(content_.substr(500, 400), rb);
}

TEST_F(FileStreamTest, SeekFromTheEndAndShiftStart) {
  auto w = Window(0, 0);
  w->Seek(10, 2);
  EXPECT_EQ(content_.substr(990), Drain(w.Get()));
  w->Seek(5000, 2);  // no earlier than the start of the file
  EXPECT_EQ(0u, w->Tell());
  w->ShiftStart(7);
  EXPECT_EQ(7u, w->GetStartOffset());
  EXPECT_EQ(content_[7], w->GetChar());
  auto sub = CPdfRefPtr<CPdfStream>::Adopt(w->CreateSubStream(20, 3, null_));
  EXPECT_EQ(content_.substr(20, 3), Drain(sub.Get()));
  EXPECT_THROW(w->GetRawChar(), CPdfException);
}

TEST_F(FileStreamTest, EmbedStreamLimits) {
  auto w = Window(0, 0);
  {
    auto none = CPdfRefPtr<CPdfStream>::Adopt(new CPdfEmbedStream(w.Get(), null_, true, 0));
    EXPECT_EQ(-1, none->GetChar());
    EXPECT_EQ(0u, w->Tell());  // nothing read from the wrapped stream
    auto three = CPdfRefPtr<CPdfStream>::Adopt(new CPdfEmbedStream(w.Get(), null_, true, 3));
    EXPECT_EQ(content_.substr(0, 3), Drain(three.Get()));
    EXPECT_EQ(content_[3], w->PeekChar());
    EXPECT_EQ(nullptr, three->CreateSubStream(0, 1, null_));
  }
  auto negative = CPdfRefPtr<CPdfStream>::Adopt(new CPdfEmbedStream(w.Get(), null_, true, -1));
  EXPECT_EQ(content_.substr(3), Drain(negative.Get()));
}

TEST_F(FileStreamTest, StreamHeldByTwoValuesSurvivesOne) {
  CPdfStream* s = CPdfFileStream::Create(file_.get(), 0, 5, null_);
  CPdfObject a;
  a.SetStream(s);
  s->Release();
  CPdfObject b;
  b.Assign(a);
  a.Clear();
  EXPECT_EQ(1, b.GetStream()->GetRefCount());
  EXPECT_EQ(content_.substr(0, 5), Drain(b.GetStream()));
}

}  // namespace
