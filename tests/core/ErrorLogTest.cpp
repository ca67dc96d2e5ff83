// Error records and the event log.

#include "CapturedLog.h"
#include "EventLog.h"
#include "TarnError.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tessaly {
namespace {

TEST(TarnErrorTest, MessageLayoutsAndABufferCutToItsLength) {
    // Code 0: the second layout, without asking for a system text.
    EXPECT_EQ(CTarnError(2, 0, "VerData: Read").GetErrorMessage(),
              "Error Pri=2, Code=0, Desc='VerData: Read'");
    // E_FAIL: the first layout, signed code, system text without its line break.
    EXPECT_EQ(CTarnError(2, kE_FAIL, "LoadMulData: Read").GetErrorMessage(),
              "Error Pri=2, Code=-2147467259(Unspecified error), Desc='LoadMulData: Read'");
    // -1 has no system text: the second layout.
    CTarnError error(2, -1, "VerData: Read Qty");
    EXPECT_EQ(error.GetErrorMessage(), "Error Pri=2, Code=-1, Desc='VerData: Read Qty'");

    // A buffer is cut to its length.
    char buffer[11] = "xxxxxxxxxx";
    EXPECT_TRUE(error.GetErrorMessage(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "Error Pri=");
    EXPECT_TRUE(error.GetErrorMessage(buffer, 0));  // no room: nothing written
    EXPECT_STREQ(buffer, "Error Pri=");
}

TEST(EventLogTest, LogErrorFormatsAtLevelThreeAndTheProcessLogWritesToStandardError) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(g_pEventLog->LogError("Doc:GetMyClipWave FAIL"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Doc:GetMyClipWave FAIL");

    test::CapturedLog log;
    EXPECT_EQ(log.LogError("Doc:GetMyClipWave FAIL"), 42);
    EXPECT_EQ(log.m_nLevel, 3);
    log.LogError("%s=%d %04x %c", "n", -5, 0xab, 'z');
    log.LogError("%s", "");  // nothing formatted: the format itself
    log.LogError("%s", std::string(3000, 'a').c_str());
    EXPECT_EQ(log.m_Lines, (std::vector<std::string>{"Doc:GetMyClipWave FAIL", "n=-5 00ab z", "%s",
                                                     std::string(1023, 'a')}));
}

// Caught exceptions are logged with the operation and their text. A file that fails for each of
// its entries logs one line and a count, not a line per entry: equal lines are counted and the
// count written before the next line.
TEST(EventLogTest, CaughtExceptionsAreLoggedWithTheOperationAndEqualLinesCounted) {
    test::CapturedLog log;
    auto fail = [](auto thrower, const char* operation = "reading a skill") {
        try {
            thrower();
        } catch (...) {
            LogCaughtException(operation);
        }
    };
    const auto cut = [] { throw std::runtime_error("cut"); };
    const auto cutShort = [] { throw std::runtime_error("short"); };
    fail([] { throw CTarnError(1, kE_FAIL, "Bad Skill"); });
    fail([] { throw std::out_of_range("index 7 of 3"); });
    fail([] { throw 5; });
    EXPECT_EQ(log.m_nLevel, 3);
    for (int i = 0; i < 4; ++i) {
        fail(cut, "reading an item name");
    }
    fail(cut);
    fail(cut);
    fail(cutShort);
    log.WriteRepeats();
    log.WriteRepeats();  // nothing left to count
    EXPECT_EQ(
        log.m_Lines,
        (std::vector<std::string>{
            "tessaly: reading a skill: Error Pri=1, Code=-2147467259(Unspecified error), "
            "Desc='Bad Skill'\n",
            "tessaly: reading a skill: index 7 of 3\n",
            "tessaly: reading a skill: an exception of unknown type\n",
            "tessaly: reading an item name: cut\n",
            "tessaly: reading an item name: 3 more times, as above\n",
            "tessaly: reading a skill: cut\n", "tessaly: reading a skill: 1 more time, as above\n",
            "tessaly: reading a skill: short\n"}));
    test::CapturedLog other;  // another log starts afresh
    fail(cutShort);           // the line the first log wrote last
    EXPECT_EQ(other.m_Lines.size(), 1u);
}

}  // namespace
}  // namespace tessaly
