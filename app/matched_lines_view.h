// The matched-lines view: a window, not modal, listing the lines of one result file that hold
// the content keyword as "行番号: テキスト", the keyword's occurrences highlighted.
#pragma once

#include <QDialog>
#include <string>

#include "search/encodings.h"
#include "search/keyword_encoding.h"

class QPlainTextEdit;

namespace tanmira {

class MatchedLinesView : public QDialog {
  public:
    explicit MatchedLinesView(QWidget* parent);

    // Reads the file at path again and shows its lines that hold keyword (its first lines when
    // the keyword is empty), or what stands in the way: the file gone or unreadable, or the
    // keyword no longer in it. Titles the window with the file's name.
    void ShowFile(const std::string& path, const KeywordForms& keyword, KeywordEncoding encoding);

    QPlainTextEdit* Text() const { return text_; }

  private:
    QPlainTextEdit* text_;
};

}  // namespace tanmira
