// The decoded-stream cache under the two passes every run makes: the page walk reads the
// streams one after another, then the copy reads them again in much the same order.
#include <gtest/gtest.h>

#include "reader/cpdf_objstm.h"
#include "reader/cpdf_objstm_cache.h"

namespace {

// Streams that decode to nothing still take their bookkeeping, 64 bytes each: the smallest
// budget (2 MiB) holds 32,768 of them.
constexpr int kStreams = 40000;
constexpr int kFit = 32768;

// How often the cache decodes over passes that each read `count` streams from first on by step.
int Decodes(int passes, int count, int first, int step) {
  CPdfObjStmCache cache(0);
  int decodes = 0;
  const CPdfObjStmCache::Decode decode = [&decodes](CPdfObjStmData& /*data*/) { ++decodes; };
  for (int pass = 0; pass < passes; ++pass) {
    for (int k = 0; k < count; ++k) {
      cache.Get(first + step * k, decode);
    }
  }
  return decodes;
}

TEST(ObjStmCacheTest, CopyFindsTheStreamsTheWalkReadFirst) {
  // Letting the oldest go would leave the second pass none of them: twice the decoding.
  EXPECT_LE(Decodes(2, kStreams, 1, 1), kStreams + (kStreams - kFit) + 1);
  EXPECT_LE(Decodes(2, kStreams, kStreams, -1), kStreams + (kStreams - kFit) + 1);
}

TEST(ObjStmCacheTest, StreamsThatFitAreDecodedOnce) {
  EXPECT_EQ(kFit, Decodes(3, kFit, 1, 1));
}

}  // namespace
