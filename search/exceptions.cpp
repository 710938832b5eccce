// Messages of the program's exceptions. The fixed texts are written here in UTF-8 and reach the
// user in the system code page: each is converted once, the first time it is needed.
#include "search/exceptions.h"

#include "platform/platform.h"
#include "search/text_rules.h"

namespace tanmira {

namespace {

// A fixed UTF-8 text in the system code page; as it is when the code page cannot represent it.
std::string SystemText(const char* utf8) {
    return platform::ConvertCodePage(utf8, platform::CodePage::Utf8, platform::CodePage::System)
        .value_or(utf8);
}

struct MessageTexts {
    std::string indexOutOfRange = SystemText("リストのインデックスが範囲を超えています (");
    std::string fileBefore = SystemText("ファイル ");
    std::string cannotOpen = SystemText(" は開けません");
    std::string othersBefore = SystemText("\nほかに ");
    std::string othersAfter = SystemText(" 個のファイルも開けません");
    std::string keywordBefore = SystemText("キーワード ");
    std::string keywordIn = SystemText(" は ");
    std::string cannotHold = SystemText(" では表せません");
    std::string noTimer = SystemText("タイマーを取得できません");
    std::string launchFile = SystemText("ファイル ");
    std::string launchFolder = SystemText("フォルダ ");
    std::string cannotLaunch = SystemText(
        " を開くアプリケーションを起動できません\n"
        "(既定のアプリケーションを起動する xdg-open が見つかりません。xdg-utils を入れてください)");
    std::string outOfMemory = SystemText("メモリが不足しています");
    std::string unknownError = SystemText("不明なエラーが発生しました");
};

const MessageTexts& Texts() {
    static const MessageTexts texts;
    return texts;
}

}  // namespace

EStringListError::EStringListError(long long index)
    : Exception(Texts().indexOutOfRange + std::to_string(index) + ")") {}

EFOpenError::EFOpenError(const std::string& path, int others)
    : Exception(Texts().fileBefore + path + Texts().cannotOpen +
                (others > 0 ? Texts().othersBefore + DecimalText(others) + Texts().othersAfter
                            : std::string())) {}

EKeywordError::EKeywordError(const std::string& keyword, const char* encodingCaption)
    : Exception(Texts().keywordBefore + keyword + Texts().keywordIn + SystemText(encodingCaption) +
                Texts().cannotHold) {}

EOutOfResources::EOutOfResources() : Exception(Texts().noTimer) {}

ELaunchError::ELaunchError(const std::string& path, Target target)
    : Exception((target == Target::Folder ? Texts().launchFolder : Texts().launchFile) + path +
                Texts().cannotLaunch) {}

const std::string& OutOfMemoryText() {
    return Texts().outOfMemory;
}

const std::string& UnknownErrorText() {
    return Texts().unknownError;
}

}  // namespace tanmira
