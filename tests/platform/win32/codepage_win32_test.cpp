// Code page services on Windows, run under a code page 932 system (Wine in a Japanese locale):
// lead bytes from GetCPInfo, folding that leaves trail bytes alone, the core's messages in code
// page 932, and reading with the readers-only share mode. (Conversions: keyword_encoding_test.)
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "search/exceptions.h"
#include "search/string_list.h"
#include "search/text_rules.h"
#include "tests/support/temp_tree.h"

namespace tanmira::platform {
namespace {

class Cp932 : public ::testing::Test {
  protected:
    void SetUp() override {
        if (GetACP() != 932)
            GTEST_SKIP() << "needs the ANSI code page 932 (a Japanese system locale)";
    }
};

TEST_F(Cp932, LeadBytesAndFoldingFollowTheSystemCodePage) {
    EXPECT_EQ(SystemLeadBytes(), ShiftJisLeadBytes());
    // ア is 83 41: its trail byte is the letter A and must stay as it is.
    EXPECT_EQ(FoldCase("\x83\x41"
                       "AB\x83\x41"),
              "\x83\x41"
              "ab\x83\x41");
}

TEST_F(Cp932, MessagesAreInTheSystemCodePage) {
    testing::TempTree tree;
    const std::string missing = tree.Path("missing.txt");
    TStringList list;
    try {
        list.LoadWholeFile(missing);
        ADD_FAILURE() << "no error for a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "\x83\x74\x83\x40\x83\x43\x83\x8B " + missing +
                                   " \x82\xCD\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1");
    }
    EXPECT_EQ(EStringListError(7).Message().substr(0, 4), "\x83\x8A\x83\x58");  // リス
}

TEST_F(Cp932, AFileOpenForWritingIsNotRead) {
    testing::TempTree tree;
    const std::string path = tree.File("busy.txt", "abc");
    const HANDLE writer =
        CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ReadWholeFile(path).has_value());
    CloseHandle(writer);

    const HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadWholeFile(path), "abc");  // other readers are welcome
    CloseHandle(reader);
    EXPECT_FALSE(InputFile(tree.Root()).IsOpen());
}

}  // namespace
}  // namespace tanmira::platform
