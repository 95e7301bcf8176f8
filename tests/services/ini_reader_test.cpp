// Lookups of the configuration reader over small files written byte for byte,
// with the carriage-return line ends the data files use and without them.

#include "services/ini_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/temp_dir.h"

namespace {

class IniReaderTest : public ::testing::Test {
protected:
    // Writes the bytes exactly as given (binary), then loads them.
    CIniReader& read(const std::string& bytes) {
        std::ofstream(dir / "data.ini", std::ios::binary) << bytes;
        reader.load(dir / "data.ini");
        return reader;
    }

    TempDir dir;
    CIniReader reader;
};

// The raw text a lookup returns: each case is one way of cutting the wrong span.
TEST_F(IniReaderTest, ValueIsTheRawTextUpToTheCarriageReturn) {
    const struct { const char *bytes, *section, *key, *value; } cases[] = {
        {"[HEADER]\nVALUES=3\nNAME=abc\n", "HEADER", "VALUES", "3\nNAME=abc\n"},  // no CR: to the section end
        {"[S]\r\nKEY = spaced value \r\n", "S", "KEY", " spaced value "},        // nothing is trimmed
        {"[A]\r\nK=x[y\r\nL=2\r\n[B]\r\nM=3\r\n", "A", "K", "x"},                // any "[" ends the section
        {"[A]\r\nK=x[y\r\nL=2\r\n[B]\r\nM=3\r\n", "A", "L", ""},
        {"[A]\r\nK=x[y\r\nL=2\r\n[B]\r\nM=3\r\n", "B", "M", "3"},
        {"[S]\r\nV=1\r\n[S]\r\nV=2\r\n", "S", "V", "1"},      // the first of two equal headers wins
        {"[S]\r\nAX=1\r\nX=2\r\n", "S", "X", "1"},            // "X" is found inside the earlier "AX"
        {"[SS]\r\nX=5\r\n[S]\r\nX=6\r\n", "S", "X", "6"},     // section names match exactly,
        {"[SS]\r\nX=5\r\n[S]\r\nX=6\r\n", "s", "X", ""},      // case included
        {"[A]\r\nK=first\r\n[B]\r\nK=last", "B", "K", "last"},  // the last value runs to the end
        {"[A]\r\nK=tail\n[B]\r\nK=x\r\n", "A", "K", "tail\n"},
        {"[S]\r\nK=1\r\n", "T", "K", ""},  // missing section
        {"[S]\r\nK=1\r\n", "S", "Q", ""},  // missing key
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bytes << " [" << c.section << "] " << c.key);
        EXPECT_EQ(read(c.bytes).getString(c.section, c.key), c.value);
    }
}

TEST_F(IniReaderTest, NumbersFollowAtofAndAtoiAndSaturateAndTheContentEndsAtAZero) {
    auto& r = read("[HEADER]\r\nF= 12.5abc\r\nW=abc\r\nN=-17xyz\r\nBIG=99999999999\r\nSMALL=-99999999999\r\n"
                   "[LF]\nVALUES=3\nNAME=abc\n");
    EXPECT_TRUE(r.isLoaded());
    EXPECT_EQ(r.getInt("LF", "VALUES"), 3);  // conversion stops at the line feed
    EXPECT_FLOAT_EQ(r.getFloat("HEADER", "F"), 12.5f);
    EXPECT_EQ(r.getInt("HEADER", "F"), 12);
    EXPECT_FLOAT_EQ(r.getFloat("HEADER", "W"), 0.0f);
    EXPECT_EQ(r.getInt("HEADER", "W"), 0);
    EXPECT_EQ(r.getInt("HEADER", "N"), -17);
    EXPECT_EQ(r.getInt("HEADER", "BIG"), INT32_MAX);
    EXPECT_EQ(r.getInt("HEADER", "SMALL"), INT32_MIN);
    EXPECT_FLOAT_EQ(r.getFloat("HEADER", "Q"), 0.0f);
    EXPECT_EQ(r.getInt("T", "K"), 0);

    // The content ends at the first zero byte; a missing file is empty.
    read(std::string("[A]\r\nK=12\0[B]\r\nK=7\r\n", 20));
    EXPECT_EQ(r.contentSize(), 9u);
    EXPECT_EQ(r.getString("A", "K"), "12");
    EXPECT_EQ(r.getInt("B", "K"), 0);

    EXPECT_FALSE(CIniReader().isLoaded());
    r.load(dir / "no_such_file.ini");  // drops what was loaded before
    EXPECT_FALSE(r.isLoaded());
    EXPECT_EQ(r.getString("A", "K"), "");
}

}  // namespace
