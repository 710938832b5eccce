// Messages of the program's exceptions and of a run's end. The fixed texts are written here in
// UTF-8 and reach the user in the system code page: each is converted once, the first time it is
// needed.
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
    std::string folderBefore = SystemText("フォルダ ");
    std::string cannotOpen = SystemText(" は開けません");
    std::string othersBefore = SystemText("\nほかに ");
    std::string files = SystemText(" 個のファイル");
    std::string folders = SystemText(" 個のフォルダ");
    std::string and_ = SystemText("と ");
    std::string othersAfter = SystemText("も開けません");
    std::string stoppedInWalk = SystemText("中止しました (フォルダの一覧を作成中、");
    std::string listedAfter = SystemText(" 件まで)");
    std::string stoppedBefore = SystemText("中止しました (");
    std::string of = SystemText(" 件中 ");
    std::string testedAfter = SystemText(" 件を調べ、一致 ");
    std::string hitsAfter = SystemText(" 件)");
    std::string unreadableFiles = SystemText("。開けないファイル ");
    std::string unreadableFolders = SystemText("。開けないフォルダ ");
    std::string pieces = SystemText(" 個");
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

// "N 個のファイル", "N 個のフォルダ" or "N 個のファイルと M 個のフォルダ"; counts of 0 left out.
std::string CountByKind(std::size_t files, std::size_t folders) {
    const MessageTexts& t = Texts();
    std::string text;
    if (files > 0)
        text = DecimalText(static_cast<std::int32_t>(files)) + t.files;
    if (folders == 0)
        return text;
    if (!text.empty())
        text += t.and_;
    return text + DecimalText(static_cast<std::int32_t>(folders)) + t.folders;
}

}  // namespace

EStringListError::EStringListError(long long index)
    : Exception(Texts().indexOutOfRange + std::to_string(index) + ")") {}

EFOpenError::EFOpenError(const std::string& path)
    : Exception(Texts().fileBefore + path + Texts().cannotOpen) {}

EFOpenError::EFOpenError(const std::vector<std::string>& files,
                         const std::vector<std::string>& folders)
    : Exception(UnreadableReport(files, folders)) {}

std::string UnreadableReport(const std::vector<std::string>& files,
                             const std::vector<std::string>& folders) {
    const MessageTexts& t = Texts();
    if (files.empty() && folders.empty())
        return {};
    // The first file is named, or the first folder when no file failed.
    const bool fileNamed = !files.empty();
    std::string report =
        (fileNamed ? t.fileBefore + files.front() : t.folderBefore + folders.front()) +
        t.cannotOpen;
    const std::string others =
        CountByKind(files.size() - (fileNamed ? 1 : 0), folders.size() - (fileNamed ? 0 : 1));
    if (!others.empty())
        report += t.othersBefore + others + t.othersAfter;
    return report;
}

std::string StoppedRunText(const StopPoint& point) {
    const MessageTexts& t = Texts();
    std::string text = point.duringWalk
                           ? t.stoppedInWalk + DecimalText(point.listed) + t.listedAfter
                           : t.stoppedBefore + DecimalText(point.total) + t.of +
                                 DecimalText(point.tested) + t.testedAfter +
                                 DecimalText(point.hits) + t.hitsAfter;
    if (point.unreadableFiles > 0)
        text += t.unreadableFiles + DecimalText(point.unreadableFiles) + t.pieces;
    if (point.unreadableFolders > 0)
        text += t.unreadableFolders + DecimalText(point.unreadableFolders) + t.pieces;
    return text;
}

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
