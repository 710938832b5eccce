// TForm1: the main window.
#include "app/Unit1.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTextBlock>
#include <QTextDocument>
#include <cmath>
#include <exception>

#include "app/application_setup.h"
#include "app/error_report.h"
#include "app/form_layout.h"
#include "app/group_box.h"
#include "app/handler_guard.h"
#include "app/result_menu.h"
#include "app/screen_fit.h"
#include "display/display_text.h"

namespace tanmira {
namespace {

constexpr int kClientWidth = 504;
constexpr int kClientHeight = 585;

// The form's smallest height: the banner, the conditions panel, the status bar, and in the
// results group its caption, the start panel and a few lines of results.
constexpr int kMinClientHeight = 68 + 269 + 19 + 14 + 31 + 64;

// Below this the window would only show a sliver of its form.
constexpr QSize kMinWindowSize(320, 240);

// Lines of the extension list in view at once.
constexpr int kExtensionLinesShown = 4;

// The insets of a group box's frame and caption, which its aligned children leave free.
const QMargins kGroupBoxInsets(2, 14, 2, 2);

// A panel with a raised bevel.
class TPanel : public QFrame {
  public:
    explicit TPanel(QWidget* parent) : QFrame(parent) {
        setFrameStyle(QFrame::Panel | QFrame::Raised);
    }
};

// A multi-line box that takes Tab as a move to the next control, never as text.
class TMemo : public QPlainTextEdit {
  public:
    TMemo(QWidget* parent, Qt::ScrollBarPolicy horizontal) : QPlainTextEdit(parent) {
        setLineWrapMode(QPlainTextEdit::NoWrap);
        setHorizontalScrollBarPolicy(horizontal);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setTabChangesFocus(true);
    }
};

// A style whose scroll bar sliders may be short: in a list a few lines high the usual minimum
// length fills the whole groove, and the bar then no longer shows that there is more.
class ShortSliderStyle : public QProxyStyle {
  public:
    ShortSliderStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_ScrollBarSliderMin)
            return 8;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// Gives memo the height of exactly lines whole lines (no line cut at its lower edge), a scroll
// bar whose slider shows how much is out of view, and moves the controls below it down by as much
// as it grew.
void ShowWholeLines(QPlainTextEdit* memo, int lines, std::initializer_list<QWidget*> below) {
    auto* style = new ShortSliderStyle;
    style->setParent(memo);
    memo->verticalScrollBar()->setStyle(style);
    QTextDocument* document = memo->document();
    document->setDocumentMargin(1);
    const qreal lineHeight =
        document->documentLayout()->blockBoundingRect(document->firstBlock()).height();
    // The first line starts one document margin down; the view ends where line lines+1 begins.
    const int height = 2 * memo->frameWidth() + static_cast<int>(document->documentMargin()) +
                       static_cast<int>(std::ceil(lines * lineHeight));
    const int grown = height - memo->height();
    memo->resize(memo->width(), height);
    for (QWidget* control : below)
        control->move(control->x(), control->y() + grown);
}

// The lines of a multi-line text, split as a string list splits its Text.
std::vector<std::string> LinesOf(const QString& text) {
    TStringList lines;
    lines.SetText(ToSystemText(text));
    return lines.Lines();
}

}  // namespace

TForm1::TForm1(BrowserFactory browserFactory, QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    BuildControls(browserFactory);
    Memo1Menu = new ResultMenu(Memo1, [this] { return state_.get(); });
    WireHandlers();
    CacheTexts();
    RunGuarded(this, [this] { FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::BuildControls(const BrowserFactory& browserFactory) {
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setFont(WindowFont());

    // Menu: "ファイル" > "閉じる".
    File1 = menuBar()->addMenu(QString::fromUtf8("ファイル"));
    File1->setObjectName("File1");
    Close1 = File1->addAction(QString::fromUtf8("閉じる"));
    Close1->setObjectName("Close1");

    // The controls lie on a form that scrolls where the window is smaller than it can shrink.
    auto* client = new QWidget;
    client->setObjectName("ClientArea");
    client->setMinimumSize(kClientWidth, kMinClientHeight);
    setCentralWidget(ScrollingHolder(client, this));
    centralWidget()->resize(kClientWidth, kClientHeight);
    client->resize(kClientWidth, kClientHeight);

    // Children of the window.
    FormBuilder b;
    GroupBox3 = b.Add<TGroupBox>(client, {"GroupBox3", 0, 337, 504, 229, 0, "検索結果"});
    Tkoukoku1 = b.Add<Tkoukoku>(client, {"Tkoukoku1", 0, 0, 504, 68, 1}, browserFactory);
    Tkoukoku1->SetHandlerGuard(
        [this](const std::function<void()>& handler) { RunGuarded(this, handler); });
    Tkoukoku1->SetBrowserLeft(120);
    Panel1 = b.Add<TPanel>(client, {"Panel1", 0, 68, 504, 269, 2});
    StatusBar1 = b.Add<QStatusBar>(client, {"StatusBar1", 0, 566, 504, 19, kNoTabStop});
    StatusBar1->setSizeGripEnabled(false);

    // Children of GroupBox3: the results.
    Memo1 =
        b.Add<TMemo>(GroupBox3, {"Memo1", 2, 45, 500, 182, 0, "検索結果　　含むファイルのアドレス"},
                     Qt::ScrollBarAlwaysOn);
    Panel2 = b.Add<TPanel>(GroupBox3, {"Panel2", 2, 14, 500, 31, 1});
    CheckBox1 = b.Add<QCheckBox>(Panel2, {"CheckBox1", 236, 8, 93, 17, 0, "フルパス表示"});
    Button2 = b.Add<QPushButton>(Panel2, {"Button2", 4, 4, 75, 25, 1, "検索開始"});
    Button3 = b.Add<QPushButton>(Panel2, {"Button3", 84, 4, 75, 25, 2, "中止"});

    // Children of Panel1: the search conditions and the folder chooser.
    GroupBox2 = b.Add<TGroupBox>(Panel1, {"GroupBox2", 264, 3, 241, 262, 0, "検索条件"});
    GroupBox1 = b.Add<TGroupBox>(Panel1, {"GroupBox1", 4, 3, 253, 262, 1, "検索するフォルダ"});

    GroupBox4 = b.Add<TGroupBox>(GroupBox2, {"GroupBox4", 2, 14, 237, 59, 0, "内容"});
    GroupBox5 = b.Add<TGroupBox>(GroupBox2, {"GroupBox5", 2, 73, 237, 140, 1, "ファイル名"});
    GroupBox6 = b.Add<TGroupBox>(GroupBox2, {"GroupBox6", 2, 213, 237, 44, 2, "検索する範囲"});

    Label1 = b.Add<QLabel>(GroupBox4, {"Label1", 4, 16, 79, 12, kNoTabStop, "含むキーワード"});
    Label2 = b.Add<QLabel>(GroupBox4, {"Label2", 4, 40, 101, 12, kNoTabStop, "含めないキーワード"});
    Edit3 = b.Add<QLineEdit>(GroupBox4, {"Edit3", 112, 36, 121, 20, 0});
    Edit2 = b.Add<QLineEdit>(GroupBox4, {"Edit2", 112, 12, 121, 20, 1, "ファイル内検索"});

    Label3 = b.Add<QLabel>(GroupBox5, {"Label3", 4, 16, 79, 12, kNoTabStop, "含むキーワード"});
    Label4 = b.Add<QLabel>(GroupBox5, {"Label4", 4, 40, 101, 12, kNoTabStop, "含めないキーワード"});
    Label5 = b.Add<QLabel>(GroupBox5, {"Label5", 4, 64, 82, 12, kNoTabStop, "検索する拡張子"});
    Label6 = b.Add<QLabel>(GroupBox5, {"Label6", 4, 104, 87, 12, kNoTabStop, "文字のエンコード"});
    Edit4 = b.Add<QLineEdit>(GroupBox5, {"Edit4", 112, 12, 121, 20, 0});
    Edit5 = b.Add<QLineEdit>(GroupBox5, {"Edit5", 112, 36, 121, 20, 1});
    Memo2 = b.Add<TMemo>(GroupBox5, {"Memo2", 112, 60, 121, 37, 2}, Qt::ScrollBarAlwaysOff);
    QStringList extensions;
    for (const std::string& line : StoredExtensionLines())
        extensions << QString::fromStdString(line);
    Memo2->setPlainText(extensions.join('\n'));
    CheckBox3 = b.Add<QCheckBox>(GroupBox5, {"CheckBox3", 4, 80, 97, 17, 3, "全ての拡張子"});
    ComboBox1 = b.Add<QComboBox>(GroupBox5, {"ComboBox1", 112, 100, 121, 20, 4});
    for (const EncodingEntry& entry : KeywordEncodings())
        ComboBox1->addItem(QString::fromUtf8(entry.caption));
    ComboBox1->setCurrentIndex(0);
    Button4 = b.Add<QPushButton>(GroupBox5, {"Button4", 88, 60, 21, 17, 5, "C"});
    ShowWholeLines(Memo2, kExtensionLinesShown, {Label6, ComboBox1});

    CheckBox2 = b.Add<QCheckBox>(GroupBox6, {"CheckBox2", 8, 16, 121, 17, 0, "サブフォルダ含む"});

    // Children of GroupBox1: the folder chooser.
    DriveComboBox1 = b.Add<TDriveComboBox>(GroupBox1, {"DriveComboBox1", 4, 35, 245, 18, 0});
    Edit1 = b.Add<QLineEdit>(GroupBox1, {"Edit1", 4, 13, 209, 20, 1, "Edit1"});
    Button1 = b.Add<QPushButton>(GroupBox1, {"Button1", 214, 12, 31, 21, 2, "GO"});
    DirectoryListBox1 =
        b.Add<TDirectoryListBox>(GroupBox1, {"DirectoryListBox1", 4, 52, 247, 205, 3});

    // Aligned controls follow the window's size.
    auto* clientAlign = new AlignArranger(client);
    clientAlign->Add(Tkoukoku1, Align::Top);
    clientAlign->Add(Panel1, Align::Top);
    clientAlign->Add(StatusBar1, Align::Bottom);
    clientAlign->Add(GroupBox3, Align::Client);
    auto* resultsAlign = new AlignArranger(GroupBox3, kGroupBoxInsets);
    resultsAlign->Add(Panel2, Align::Top);
    resultsAlign->Add(Memo1, Align::Client);
    auto* conditionsAlign = new AlignArranger(GroupBox2, kGroupBoxInsets);
    conditionsAlign->Add(GroupBox4, Align::Top);
    conditionsAlign->Add(GroupBox5, Align::Top);
    conditionsAlign->Add(GroupBox6, Align::Top);

    // Tab and Shift+Tab follow the stored order; the banner takes no focus.
    tabChain_ = b.KeyboardOrder(client);

    ActionList1 = new TActionList(this);
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4, Edit5})
        ActionList1->AddTextBox(edit);
    ActionList1->AddTextBox(Memo1);
    ActionList1->AddTextBox(Memo2);

    progress_ = std::make_unique<ThrottledStatusText>(StatusBar1);

    setMinimumSize(kMinWindowSize);
    resize(kClientWidth, menuBar()->sizeHint().height() + kClientHeight);
}

void TForm1::WireHandlers() {
    ConnectGuarded(Close1, &QAction::triggered, this, [this] { Close1Click(); });
    ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    ConnectGuarded(DriveComboBox1, &TDriveComboBox::Change, this,
                   [this] { DriveComboBox1Change(); });
    ConnectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    ConnectGuarded(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
    ConnectGuarded(DirectoryListBox1, &TDirectoryListBox::Change, this,
                   [this] { DirectoryListBox1Change(); });
    ConnectGuarded(CheckBox3, &QCheckBox::toggled, this, [this] { CheckBox3Click(); });
    ConnectGuarded(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    ConnectGuarded(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });

    // Enter in the path field opens it as "GO" does; Enter in a keyword box starts a search when
    // "検索開始" is enabled (a disabled button ignores the click).
    connect(Edit1, &QLineEdit::returnPressed, Button1, &QPushButton::click);
    for (QLineEdit* keywords : {Edit2, Edit3, Edit4, Edit5})
        connect(keywords, &QLineEdit::returnPressed, Button2, &QPushButton::click);
}

void TForm1::CacheTexts() {
    const std::pair<QLineEdit*, std::string*> edits[] = {{Edit4, &live_.name},
                                                         {Edit5, &live_.nameExclude}};
    for (const auto& [edit, cache] : edits) {
        *cache = ToSystemText(edit->text());
        connect(edit, &QLineEdit::textChanged, this,
                [cache = cache](const QString& text) { *cache = ToSystemText(text); });
    }
    const std::pair<QLineEdit*, bool*> emptiness[] = {{Edit2, &live_.contentEmpty},
                                                      {Edit3, &live_.contentExcludeEmpty}};
    for (const auto& [edit, empty] : emptiness) {
        *empty = edit->text().isEmpty();
        connect(edit, &QLineEdit::textChanged, this,
                [empty = empty](const QString& text) { *empty = text.isEmpty(); });
    }
    live_.extensionLines = LinesOf(Memo2->toPlainText());
    connect(Memo2, &QPlainTextEdit::textChanged, this,
            [this] { live_.extensionLines = LinesOf(Memo2->toPlainText()); });
}

void TForm1::FormCreate() {
    Edit1->setText(FromSystemText(DirectoryListBox1->Directory()));
    state_ = std::make_unique<SearchState>();
}

void TForm1::FormClose() {
    state_.reset();
}

void TForm1::Close1Click() {
    close();
}

void TForm1::Button1Click() {
    DirectoryListBox1->SetDirectory(ToSystemText(Edit1->text()));
    DriveComboBox1->SetDrive(DirectoryListBox1->Drive());
}

void TForm1::DriveComboBox1Change() {
    DirectoryListBox1->SetDrive(DriveComboBox1->Drive());
}

void TForm1::DirectoryListBox1Change() {
    Edit1->setText(FromSystemText(DirectoryListBox1->Directory()));
}

void TForm1::Button2Click() {
    // A start request that reaches the handler during a run (the button is disabled, but a
    // handler may still be called) would run a second search over the same lists.
    if (!state_ || searching_)
        return;
    CheckContentKeywords(Request());  // a keyword the encoding cannot hold starts nothing
    // Disabling the start button moves the focus on; it comes back when the run is over.
    const bool focusOnStart = focusWidget() == Button2;
    searching_ = true;
    std::exception_ptr failure;
    try {
        RefreshLiveControls();
        SearchRun(Request(), live_, *this, *state_);
    } catch (...) {
        failure = std::current_exception();
    }
    searching_ = false;
    progress_->Flush();
    if (closeRequested_) {
        // The user asked to close during the run: leave now, without a report that would only
        // hold the window open.
        close();
        return;
    }
    if (focusOnStart)
        Button2->setFocus();
    if (failure)
        std::rethrow_exception(failure);
}

void TForm1::Button3Click() {
    if (state_)
        state_->StopRequested = true;
}

void TForm1::CheckBox1Click() {
    if (state_)
        ShowResults(CheckBox1->isChecked(), *state_, *this);
}

void TForm1::CheckBox3Click() {
    Memo2->setEnabled(!CheckBox3->isChecked());
}

void TForm1::Button4Click() {
    Memo2->clear();
}

bool TForm1::focusNextPrevChild(bool next) {
    QWidget* target = NextInChain(tabChain_, focusWidget(), next);
    if (target != nullptr)
        target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (searching_) {
        closeRequested_ = true;
        state_->StopRequested = true;
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

SearchRequest TForm1::Request() const {
    return {DirectoryListBox1->Directory(), CheckBox2->isChecked(),
            EncodingAt(ComboBox1->currentIndex()), ToSystemText(Edit2->text()),
            ToSystemText(Edit3->text())};
}

const std::string& TForm1::ProgressText() const {
    return progress_->Latest();
}

void TForm1::RefreshLiveControls() {
    live_.extensionListEnabled = Memo2->isEnabled();
    live_.fullPaths = CheckBox1->isChecked();
}

void TForm1::SetStartEnabled(bool enabled) {
    Button2->setEnabled(enabled);
}

void TForm1::SetResultLines(const std::vector<ResultLine>& lines) {
    Memo1Menu->ShowLines(lines);
}

void TForm1::ProcessPendingEvents() {
    QCoreApplication::processEvents();
    RefreshLiveControls();
}

}  // namespace tanmira
