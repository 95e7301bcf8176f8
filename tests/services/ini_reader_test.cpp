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
    CIniReader& read(const std::string& bytes)
    {
        std::ofstream(dir / "data.ini", std::ios::binary) << bytes;
        reader.load(dir / "data.ini");
        return reader;
    }

    TempDir dir;
    CIniReader reader;
};

TEST_F(IniReaderTest, ReadsValuesOfCrLfFile)
{
    auto& r = read("[CURRENT]\r\nSKIN=red\r\n\r\n[ENGINE]\r\nRPMREF=4500\r\nGAIN=0.75\r\n");
    EXPECT_TRUE(r.isLoaded());
    EXPECT_EQ(r.getString("CURRENT", "SKIN"), "red");
    EXPECT_EQ(r.getInt("ENGINE", "RPMREF"), 4500);
    EXPECT_FLOAT_EQ(r.getFloat("ENGINE", "GAIN"), 0.75f);
}

TEST_F(IniReaderTest, LineFeedOnlyFileReadsNumbersButTextKeepsTheRest)
{
    auto& r = read("[HEADER]\nVALUES=3\nNAME=abc\n");
    EXPECT_EQ(r.getInt("HEADER", "VALUES"), 3);
    // Without a carriage return the value runs to the end of the section.
    EXPECT_EQ(r.getString("HEADER", "VALUES"), "3\nNAME=abc\n");
}

TEST_F(IniReaderTest, NumericConversionFollowsAtofAndAtoi)
{
    auto& r = read("[HEADER]\r\nVALUES=3\r\nF= 12.5abc\r\nW=abc\r\nN=-17xyz\r\n");
    EXPECT_EQ(r.getInt("HEADER", "VALUES"), 3);
    EXPECT_FLOAT_EQ(r.getFloat("HEADER", "F"), 12.5f);
    EXPECT_EQ(r.getInt("HEADER", "F"), 12);
    EXPECT_FLOAT_EQ(r.getFloat("HEADER", "W"), 0.0f);
    EXPECT_EQ(r.getInt("HEADER", "W"), 0);
    EXPECT_EQ(r.getInt("HEADER", "N"), -17);
}

TEST_F(IniReaderTest, NothingIsTrimmed)
{
    auto& r = read("[S]\r\nKEY = spaced value \r\n");
    EXPECT_EQ(r.getString("S", "KEY"), " spaced value ");
}

TEST_F(IniReaderTest, SectionEndsAtNextBracketEvenInsideValue)
{
    auto& r = read("[A]\r\nK=x[y\r\nL=2\r\n[B]\r\nM=3\r\n");
    EXPECT_EQ(r.getString("A", "K"), "x");
    EXPECT_EQ(r.getString("A", "L"), "");
    EXPECT_EQ(r.getInt("A", "L"), 0);
    EXPECT_EQ(r.getInt("B", "M"), 3);
}

TEST_F(IniReaderTest, FirstOfTwoEqualHeadersWins)
{
    auto& r = read("[S]\r\nV=1\r\n[S]\r\nV=2\r\n");
    EXPECT_EQ(r.getInt("S", "V"), 1);
}

TEST_F(IniReaderTest, KeyIsFoundInsideAnEarlierLongerKey)
{
    // "X" first occurs inside "AX", so the value of AX is returned.
    auto& r = read("[S]\r\nAX=1\r\nX=2\r\n");
    EXPECT_EQ(r.getString("S", "X"), "1");
    // Section names must match exactly, brackets included.
    auto& r2 = read("[SS]\r\nX=5\r\n[S]\r\nX=6\r\n");
    EXPECT_EQ(r2.getInt("S", "X"), 6);
    EXPECT_EQ(r2.getInt("s", "X"), 0);
}

TEST_F(IniReaderTest, LastValueWithoutCarriageReturnRunsToEndOfBody)
{
    auto& r = read("[A]\r\nK=first\r\n[B]\r\nK=last");
    EXPECT_EQ(r.getString("B", "K"), "last");
    auto& r2 = read("[A]\r\nK=tail\n[B]\r\nK=x\r\n");
    EXPECT_EQ(r2.getString("A", "K"), "tail\n");
}

TEST_F(IniReaderTest, ContentEndsAtFirstZeroByte)
{
    auto& r = read(std::string("[A]\r\nK=12\0[B]\r\nK=7\r\n", 20));
    EXPECT_EQ(r.contentSize(), 9u);
    EXPECT_EQ(r.getString("A", "K"), "12");
    EXPECT_EQ(r.getInt("B", "K"), 0);
}

TEST_F(IniReaderTest, MissingSectionKeyOrFileGiveEmptyAndZero)
{
    auto& r = read("[S]\r\nK=1\r\n");
    EXPECT_EQ(r.getString("T", "K"), "");
    EXPECT_EQ(r.getString("S", "Q"), "");
    EXPECT_FLOAT_EQ(r.getFloat("S", "Q"), 0.0f);
    EXPECT_EQ(r.getInt("T", "K"), 0);

    CIniReader missing;
    EXPECT_FALSE(missing.isLoaded());
    missing.load(dir / "no_such_file.ini");
    EXPECT_FALSE(missing.isLoaded());
    EXPECT_EQ(missing.getString("S", "K"), "");
    EXPECT_EQ(missing.getInt("S", "K"), 0);
}

TEST_F(IniReaderTest, OutOfRangeIntegerSaturates)
{
    auto& r = read("[S]\r\nBIG=99999999999\r\nSMALL=-99999999999\r\n");
    EXPECT_EQ(r.getInt("S", "BIG"), INT32_MAX);
    EXPECT_EQ(r.getInt("S", "SMALL"), INT32_MIN);
}

}  // namespace
