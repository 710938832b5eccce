// Code page services on Windows, run under a code page 932 system (Wine in a Japanese locale):
// lead bytes from GetCPInfo, folding that leaves trail bytes alone, the messages of every layer
// in code page 932, and reading with the readers-only share mode. (Conversions:
// keyword_encoding_test.)
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

// Bytes of the ANSI code page as the window's text conversion shows them.
std::wstring Shown(const std::string& bytes) {
    const int length = static_cast<int>(bytes.size());
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, wide.data(), length)));
    return wide;
}

TEST_F(Cp932, MessagesOfEveryLayerArriveAsTheirCharacters) {
    const std::string folder = "C:\\\x95\x5C\\";  // C:\表\ (a trail byte 0x5C)
    const struct {
        std::string message;
        const wchar_t* shown;
    } cases[] = {
        {EFOpenError(folder + "a.txt", 2).Message(),
         L"ファイル C:\\表\\a.txt は開けません\nほかに 2 個のファイルも開けません"},
        {EStringListError(-1).Message(), L"リストのインデックスが範囲を超えています (-1)"},
        {ELaunchError(folder, ELaunchError::Target::Folder).Message(),  // the results menu
         L"フォルダ C:\\表\\ を開くアプリケーションを起動できません\n(既定のアプリケーションを"
         L"起動する xdg-open が見つかりません。xdg-utils を入れてください)"},
        {OutOfMemoryText(), L"メモリが不足しています"},  // the window's handlers
        {UnknownErrorText(), L"不明なエラーが発生しました"},
        {EOutOfResources().Message(), L"タイマーを取得できません"},  // the banner's timer
    };
    for (const auto& c : cases)
        EXPECT_EQ(Shown(c.message), c.shown);
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
