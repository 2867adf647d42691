#include "app/result.h"

#include <gtest/gtest.h>

namespace rowbit {
namespace {

TEST(Result, CarriesValueOrErrorWithLocation) {
    Result<int> good(7);
    ASSERT_TRUE(good.ok());
    EXPECT_EQ(*good, 7);

    Result<int> bad(makeError(ErrorCode::Damaged, "record runs past the stream", "offset 0x10"));
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error().describe(), "record runs past the stream (offset 0x10)");
}

} // namespace
} // namespace rowbit
