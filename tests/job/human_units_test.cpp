// Sizes and durations as people read them.
#include <arkseal/job/human_units.h>

#include <gtest/gtest.h>

namespace arkseal {
namespace {

TEST(HumanUnitsTest, SizesInPowersOfAThousand) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0 bytes"},
        {1, "1 byte"},
        {999, "999 bytes"},
        {1000, "1.0 KB"},
        {3'200'000, "3.2 MB"},
        {999'949, "999.9 KB"},
        {999'950, "1.0 MB"},
        {5'368'709'120, "5.4 GB"},
        {7'000'000'000'000'000, "7000.0 TB"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(SizeText(bytes), text) << bytes;
    EXPECT_EQ(SizeWithBytesText(50069504), "50.1 MB (50069504 bytes)");
    EXPECT_EQ(SizeWithBytesText(999), "999 bytes");
}

TEST(HumanUnitsTest, DurationsInMinutesAndHours) {
    const std::pair<double, const char*> cases[] = {
        {0, "0:00"}, {-3, "0:00"}, {0.2, "0:01"}, {12, "0:12"}, {3599.5, "1:00:00"}, {3723, "1:02:03"},
    };
    for (const auto& [seconds, text] : cases) EXPECT_EQ(DurationText(seconds), text) << seconds;
}

}  // namespace
}  // namespace arkseal
