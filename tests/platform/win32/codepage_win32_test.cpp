// Code page services on Windows, run under a code page 932 system (Wine in a Japanese locale) too:
// the core's texts are UTF-8 whatever the system's code page (no lead bytes, plain ASCII folding,
// messages in UTF-8), the manifest makes the process's ANSI code page UTF-8, and reading uses the
// readers-only share mode. (Conversions: keyword_encoding_test.)
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "search/exceptions.h"
#include "search/string_list.h"
#include "search/text_rules.h"
#include "tests/support/temp_tree.h"

namespace tanmira::platform {
namespace {

TEST(CodePageWin32, TheProcessCodePageIsUtf8AndSoAreTheCoresTexts) {
    EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));  // the manifest is in effect
    EXPECT_TRUE(SystemLeadBytes().none());
    // 表 (E8 A1 A8) is UTF-8 as typed; in Shift_JIS it is 95 5C.
    EXPECT_EQ(ConvertCodePage("\xE8\xA1\xA8", CodePage::System, CodePage::Utf8), "\xE8\xA1\xA8");
    EXPECT_EQ(ConvertCodePage("\xE8\xA1\xA8", CodePage::System, CodePage::ShiftJis), "\x95\x5C");
    // ASCII folding only: the byte after 0x83 is a letter, not a trail byte.
    EXPECT_EQ(FoldCase("\x83\x41"
                       "AB"),
              "\x83\x61"
              "ab");
}

TEST(CodePageWin32, MessagesAreInUtf8) {
    testing::TempTree tree;
    const std::string missing = tree.Path("missing.txt");
    TStringList list;
    try {
        list.LoadWholeFile(missing);
        ADD_FAILURE() << "no error for a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "ファイル " + missing + " は開けません");
    }
    EXPECT_EQ(EStringListError(7).Message().substr(0, 6), "リス");
}

// Bytes of the process's ANSI code page (UTF-8 under the manifest) as the window shows them.
std::wstring Shown(const std::string& bytes) {
    const int length = static_cast<int>(bytes.size());
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, wide.data(), length)));
    return wide;
}

TEST(CodePageWin32, MessagesOfEveryLayerArriveAsTheirCharacters) {
    const std::string folder = "C:\\表\\";
    const struct {
        std::string message;
        const wchar_t* shown;
    } cases[] = {
        {EFOpenError({folder + "a.txt", "b.txt", "c.txt"}, {}).Message(),
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

TEST(CodePageWin32, AFileOpenForWritingIsNotRead) {
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
