// TForm1: the main window with every control, its stored values and the wiring of control events
// to handlers; it is also the window that a search run reads and writes.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "app/DirectoryListBox.h"
#include "app/DriveComboBox.h"
#include "app/edit_shortcuts.h"
#include "app/progress_text.h"
#include "banner/browser.h"
#include "banner/koukoku2.h"
#include "search/search_run.h"
#include "search/search_window.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

namespace tanmira {

class ResultMenu;

class TForm1 : public QMainWindow, private SearchEvents {
    Q_OBJECT
  public:
    // Builds the window with all of its controls (the banner's browser from browserFactory) and
    // runs FormCreate.
    explicit TForm1(BrowserFactory browserFactory, QWidget* parent = nullptr);
    ~TForm1() override;

    // Controls, named as in the window's description.
    QLineEdit* Edit1;
    QPushButton* Button1;
    TDirectoryListBox* DirectoryListBox1;
    TDriveComboBox* DriveComboBox1;
    QGroupBox* GroupBox1;
    QGroupBox* GroupBox3;
    QPlainTextEdit* Memo1;
    QMenu* File1;
    QAction* Close1;
    Tkoukoku* Tkoukoku1;
    QGroupBox* GroupBox2;
    QGroupBox* GroupBox4;
    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* Edit3;
    QGroupBox* GroupBox5;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLineEdit* Edit4;
    QLineEdit* Edit5;
    QPlainTextEdit* Memo2;
    QFrame* Panel1;
    QFrame* Panel2;
    QCheckBox* CheckBox1;
    QPushButton* Button2;
    QGroupBox* GroupBox6;
    QCheckBox* CheckBox2;
    QStatusBar* StatusBar1;
    QLineEdit* Edit2;
    TActionList* ActionList1;
    QCheckBox* CheckBox3;
    QPushButton* Button3;
    QComboBox* ComboBox1;
    QLabel* Label6;
    QPushButton* Button4;

    // Memo1's context menu of result commands.
    ResultMenu* Memo1Menu;

    // Handlers, named by control and event. Each runs inside the handler guard when raised by
    // its control.
    void Close1Click();
    void Button1Click();
    void DriveComboBox1Change();
    void FormCreate();
    void FormClose();
    void Button2Click();
    void CheckBox1Click();
    void DirectoryListBox1Change();
    void CheckBox3Click();
    void Button3Click();
    void Button4Click();

    // True while a search run is in progress.
    bool Searching() const { return searching_; }

    // The search state; null once FormClose freed it.
    const SearchState* State() const { return state_.get(); }

    // The latest progress text of a run, painted or not.
    const std::string& ProgressText() const;

  protected:
    // A close request during a run stops the run and is carried out when the run has returned;
    // otherwise FormClose runs and the window closes.
    void closeEvent(QCloseEvent* event) override;

    // Tab and Shift+Tab walk the controls in their stored keyboard order, whatever widget the
    // toolkit would take next.
    bool focusNextPrevChild(bool next) override;

  private:
    void BuildControls(const BrowserFactory& browserFactory);
    void WireHandlers();
    void CacheTexts();

    // What a run reads once at its start.
    SearchRequest Request() const;

    // Brings the live controls' flags up to date; their texts follow each change as it happens.
    void RefreshLiveControls();

    // SearchEvents: what a run shows.
    void SetStartEnabled(bool enabled) override;
    void SetResultLines(const std::vector<ResultLine>& lines) override;
    void SetProgressText(const std::string& text) override { progress_->Set(text); }
    void SetFileProgress(int file, int total) override { progress_->SetFileProgress(file, total); }
    void ProcessPendingEvents() override;

    std::unique_ptr<SearchState> state_;  // FileList, HitList, keywords, stop flag
    std::unique_ptr<ThrottledStatusText> progress_;
    std::vector<QWidget*> tabChain_;  // the controls that take the focus, in keyboard order
    bool searching_ = false;
    bool closeRequested_ = false;

    // The controls a run reads for every file, their texts kept up to date as they change.
    LiveControls live_;
};

}  // namespace tanmira
