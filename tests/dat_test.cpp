#include <array>
#include <cerrno>
#include <cstddef>
#include <ostream>

#include <gtest/gtest.h>

#include "dat.h"

namespace
{

struct hcase {
	const char *name;
	std::array<unsigned char, hdrlen> hdr;
	std::size_t n;
	verdict want;
};

std::ostream &operator<<(std::ostream &os, const hcase &c)
{
	return os << c.name;
}

// Bytes past n are stale buffer contents: they must never decide the verdict.
constexpr hcase cases[] = {
    {"empty", {0xAC, 0xAA, 0x02, 0x00}, 0, verdict::invalid},
    {"one_byte", {0xAC, 0xAA, 0x02, 0x00}, 1, verdict::invalid},
    {"signature_alone", {0xAC, 0xAA, 0x02, 0x00}, 3, verdict::invalid},
    {"short_lynx", {0xAC, 0xAA, 0x02, 0x01}, 3, verdict::invalid},
    {"ms", {0xAC, 0xAA, 0x02, 0x00}, 4, verdict::ms},
    {"lynx", {0xAC, 0xAA, 0x02, 0x01}, 4, verdict::lynx},
    {"ruleset_2", {0xAC, 0xAA, 0x02, 0x02}, 4, verdict::other},
    {"ruleset_80", {0xAC, 0xAA, 0x02, 0x80}, 4, verdict::other},
    {"ruleset_ff", {0xAC, 0xAA, 0x02, 0xFF}, 4, verdict::other},
    {"bad_first", {0xAB, 0xAA, 0x02, 0x00}, 4, verdict::invalid},
    {"bad_second", {0xAC, 0xAB, 0x02, 0x00}, 4, verdict::invalid},
    {"bad_third", {0xAC, 0xAA, 0x03, 0x00}, 4, verdict::invalid},
    {"bad_third_lynx", {0xAC, 0xAA, 0x03, 0x01}, 4, verdict::invalid},
    {"signed_lookalike", {0x2C, 0x2A, 0x02, 0x00}, 4, verdict::invalid},
    {"zeros", {0x00, 0x00, 0x00, 0x00}, 4, verdict::invalid},
    {"all_ff", {0xFF, 0xFF, 0xFF, 0xFF}, 4, verdict::invalid},
    {"reversed", {0x02, 0xAA, 0xAC, 0x00}, 4, verdict::invalid},
};

class classify_test : public testing::TestWithParam<hcase>
{
};

TEST_P(classify_test, verdict)
{
	const hcase &c = GetParam();
	EXPECT_EQ(classify(c.hdr, c.n), c.want);
}

INSTANTIATE_TEST_SUITE_P(header, classify_test, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<hcase> &i) { return i.param.name; });

// No real failure on this system leaves errno at 0, so the guard is shown here.
TEST(syscode, never_zero)
{
	EXPECT_EQ(syscode(0), EIO);
	EXPECT_EQ(syscode(ENOENT), ENOENT);
	EXPECT_EQ(syscode(EFBIG), EFBIG);
}

} // namespace
