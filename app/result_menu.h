// The result box's context menu: "開く", "フォルダを開く", "パスをコピー" and "一致した行を表示"
// for the result line under the mouse, above the box's ordinary edit commands; a double click on a
// result line shows its matched lines too. The box stays an ordinary text box.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "search/exceptions.h"
#include "search/search_run.h"

class QMenu;
class QPlainTextEdit;
class QPoint;
class QUrl;

namespace tanmira {

class MatchedLinesView;

// Hands a file or folder to the desktop's default application.
class FileOpener {
  public:
    virtual ~FileOpener() = default;
    // Starts the application for path without waiting for it; false when none could be started.
    virtual bool Open(const std::string& path) = 0;
};

// The desktop's opener (QDesktopServices; on POSIX through xdg-open), handed FileUrl(path).
std::unique_ptr<FileOpener> DesktopOpener();

// The file address of path made from its exact bytes: on POSIX each byte but unreserved ones and
// "/" percent-encoded, so that a name that is not UTF-8 keeps its bytes ("bad%FF.txt").
QUrl FileUrl(const std::string& path);

class ResultMenu : public QObject {
  public:
    // Serves box, reading the hits and the line-to-hit index from state() (null once freed).
    ResultMenu(QPlainTextEdit* box, std::function<const SearchState*()> state);

    // Replaces the box's text by the result lines, one line of the box each.
    void ShowLines(const std::vector<ResultLine>& lines);

    void SetOpener(std::unique_ptr<FileOpener> opener) { opener_ = std::move(opener); }

    // The full path of the hit shown on line (from 0) of the box: only while the box shows the
    // results unedited, and only when that hit names an existing file.
    std::optional<std::string> PathAtLine(int line) const;

    // The matched-lines view of the hit shown on line, opened or refreshed for it; null when the
    // line shows no hit.
    MatchedLinesView* ShowMatchedLines(int line);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The full path of the hit shown on line, whether or not the file still exists.
    std::optional<std::string> HitAtLine(int line) const;

    // The box's edit menu for a request at pos (viewport coordinates), result commands first.
    void ShowMenu(const QPoint& pos);
    void Open(const std::string& path, ELaunchError::Target target);

    QPlainTextEdit* box_;
    std::function<const SearchState*()> state_;
    std::unique_ptr<FileOpener> opener_;
    MatchedLinesView* view_ = nullptr;  // made on first use, owned by the box's window
};

}  // namespace tanmira
