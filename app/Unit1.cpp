// TForm1: the main window.
#include "app/Unit1.h"

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
#include <QPushButton>
#include <QStatusBar>
#include <exception>

#include "app/error_report.h"
#include "app/form_layout.h"
#include "app/handler_guard.h"
#include "app/result_menu.h"

namespace tanmira {
namespace {

constexpr int kClientWidth = 504;
constexpr int kClientHeight = 585;

// The insets of a group box's frame and caption, which its aligned children leave free.
const QMargins kGroupBoxInsets(2, 14, 2, 2);

QFrame* NewPanel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return panel;
}

QGroupBox* NewGroupBox(QWidget* parent, const char* caption) {
    return new QGroupBox(QString::fromUtf8(caption), parent);
}

QLabel* NewLabel(QWidget* parent, const char* caption) {
    return new QLabel(QString::fromUtf8(caption), parent);
}

QPlainTextEdit* NewMemo(QWidget* parent, Qt::ScrollBarPolicy horizontal) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setHorizontalScrollBarPolicy(horizontal);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return memo;
}

// The lines of a multi-line text, split as a string list splits its Text.
std::vector<std::string> LinesOf(const QString& text) {
    TStringList lines;
    lines.SetText(text.toLocal8Bit().toStdString());
    return lines.Lines();
}

// Chains the keyboard order through widgets, in the order given.
void SetTabChain(const std::vector<QWidget*>& widgets) {
    for (std::size_t i = 1; i < widgets.size(); ++i)
        QWidget::setTabOrder(widgets[i - 1], widgets[i]);
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
    QFont font;
    font.setFamilies(
        {"MS PGothic", "ＭＳ Ｐゴシック", "IPAPGothic", "IPAGothic", "Noto Sans CJK JP"});
    font.setPixelSize(12);
    setFont(font);

    // Menu: "ファイル" > "閉じる".
    File1 = menuBar()->addMenu(QString::fromUtf8("ファイル"));
    File1->setObjectName("File1");
    Close1 = File1->addAction(QString::fromUtf8("閉じる"));
    Close1->setObjectName("Close1");

    auto* client = new QWidget(this);
    client->setObjectName("ClientArea");
    setCentralWidget(client);
    client->resize(kClientWidth, kClientHeight);

    // Children of the window.
    GroupBox3 = NewGroupBox(client, "検索結果");
    Place(GroupBox3, 0, 337, 504, 229);
    Tkoukoku1 = new Tkoukoku(client, browserFactory);
    Tkoukoku1->setObjectName("Tkoukoku1");
    Tkoukoku1->SetHandlerGuard(
        [this](const std::function<void()>& handler) { RunGuarded(this, handler); });
    Place(Tkoukoku1, 0, 0, 504, 68);
    Tkoukoku1->SetBrowserLeft(120);
    Panel1 = NewPanel(client);
    Place(Panel1, 0, 68, 504, 269);
    StatusBar1 = new QStatusBar(client);
    StatusBar1->setSizeGripEnabled(false);
    Place(StatusBar1, 0, 566, 504, 19);

    // Children of GroupBox3: the results.
    Memo1 = NewMemo(GroupBox3, Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(QString::fromUtf8("検索結果　　含むファイルのアドレス"));
    Place(Memo1, 2, 45, 500, 182);
    Panel2 = NewPanel(GroupBox3);
    Place(Panel2, 2, 14, 500, 31);
    CheckBox1 = new QCheckBox(QString::fromUtf8("フルパス表示"), Panel2);
    Place(CheckBox1, 236, 8, 93, 17);
    Button2 = new QPushButton(QString::fromUtf8("検索開始"), Panel2);
    Place(Button2, 4, 4, 75, 25);
    Button3 = new QPushButton(QString::fromUtf8("中止"), Panel2);
    Place(Button3, 84, 4, 75, 25);

    // Children of Panel1: the search conditions and the folder chooser.
    GroupBox2 = NewGroupBox(Panel1, "検索条件");
    Place(GroupBox2, 264, 3, 241, 262);
    GroupBox1 = NewGroupBox(Panel1, "検索するフォルダ");
    Place(GroupBox1, 4, 3, 253, 262);

    GroupBox4 = NewGroupBox(GroupBox2, "内容");
    Place(GroupBox4, 2, 14, 237, 59);
    GroupBox5 = NewGroupBox(GroupBox2, "ファイル名");
    Place(GroupBox5, 2, 73, 237, 140);
    GroupBox6 = NewGroupBox(GroupBox2, "検索する範囲");
    Place(GroupBox6, 2, 213, 237, 44);

    Label1 = NewLabel(GroupBox4, "含むキーワード");
    Place(Label1, 4, 16, 79, 12);
    Label2 = NewLabel(GroupBox4, "含めないキーワード");
    Place(Label2, 4, 40, 101, 12);
    Edit3 = new QLineEdit(GroupBox4);
    Place(Edit3, 112, 36, 121, 20);
    Edit2 = new QLineEdit(QString::fromUtf8("ファイル内検索"), GroupBox4);
    Place(Edit2, 112, 12, 121, 20);

    Label3 = NewLabel(GroupBox5, "含むキーワード");
    Place(Label3, 4, 16, 79, 12);
    Label4 = NewLabel(GroupBox5, "含めないキーワード");
    Place(Label4, 4, 40, 101, 12);
    Label5 = NewLabel(GroupBox5, "検索する拡張子");
    Place(Label5, 4, 64, 82, 12);
    Label6 = NewLabel(GroupBox5, "文字のエンコード");
    Place(Label6, 4, 104, 87, 12);
    Edit4 = new QLineEdit(GroupBox5);
    Place(Edit4, 112, 12, 121, 20);
    Edit5 = new QLineEdit(GroupBox5);
    Place(Edit5, 112, 36, 121, 20);
    Memo2 = NewMemo(GroupBox5, Qt::ScrollBarAlwaysOff);
    QStringList extensions;
    for (const std::string& line : StoredExtensionLines())
        extensions << QString::fromStdString(line);
    Memo2->setPlainText(extensions.join('\n'));
    Place(Memo2, 112, 60, 121, 37);
    CheckBox3 = new QCheckBox(QString::fromUtf8("全ての拡張子"), GroupBox5);
    Place(CheckBox3, 4, 80, 97, 17);
    ComboBox1 = new QComboBox(GroupBox5);
    for (const EncodingEntry& entry : KeywordEncodings())
        ComboBox1->addItem(QString::fromUtf8(entry.caption));
    ComboBox1->setCurrentIndex(0);
    Place(ComboBox1, 112, 100, 121, 20);
    Button4 = new QPushButton("C", GroupBox5);
    Place(Button4, 88, 60, 21, 17);

    CheckBox2 = new QCheckBox(QString::fromUtf8("サブフォルダ含む"), GroupBox6);
    Place(CheckBox2, 8, 16, 121, 17);

    // Children of GroupBox1: the folder chooser.
    DriveComboBox1 = new TDriveComboBox(GroupBox1);
    Place(DriveComboBox1, 4, 35, 245, 18);
    Edit1 = new QLineEdit("Edit1", GroupBox1);
    Place(Edit1, 4, 13, 209, 20);
    Button1 = new QPushButton("GO", GroupBox1);
    Place(Button1, 214, 12, 31, 21);
    DirectoryListBox1 = new TDirectoryListBox(GroupBox1);
    Place(DirectoryListBox1, 4, 52, 247, 205);

    const std::pair<QObject*, const char*> names[] = {
        {Edit1, "Edit1"},
        {Edit2, "Edit2"},
        {Edit3, "Edit3"},
        {Edit4, "Edit4"},
        {Edit5, "Edit5"},
        {Memo1, "Memo1"},
        {Memo2, "Memo2"},
        {Button1, "Button1"},
        {Button2, "Button2"},
        {Button3, "Button3"},
        {Button4, "Button4"},
        {CheckBox1, "CheckBox1"},
        {CheckBox2, "CheckBox2"},
        {CheckBox3, "CheckBox3"},
        {ComboBox1, "ComboBox1"},
        {StatusBar1, "StatusBar1"},
        {Panel1, "Panel1"},
        {Panel2, "Panel2"},
        {GroupBox1, "GroupBox1"},
        {GroupBox2, "GroupBox2"},
        {GroupBox3, "GroupBox3"},
        {GroupBox4, "GroupBox4"},
        {GroupBox5, "GroupBox5"},
        {GroupBox6, "GroupBox6"},
        {Label1, "Label1"},
        {Label2, "Label2"},
        {Label3, "Label3"},
        {Label4, "Label4"},
        {Label5, "Label5"},
        {Label6, "Label6"},
        {DriveComboBox1, "DriveComboBox1"},
        {DirectoryListBox1, "DirectoryListBox1"},
    };
    for (const auto& [object, name] : names)
        object->setObjectName(name);

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

    // Keyboard order: siblings by their stored tab order, containers entered in place.
    SetTabChain({Memo1, CheckBox1, Button2, Button3, Edit3, Edit2, Edit4, Edit5, Memo2, CheckBox3,
                 ComboBox1, Button4, CheckBox2, DriveComboBox1, Edit1, Button1, DirectoryListBox1});

    ActionList1 = new TActionList(this);
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4, Edit5})
        ActionList1->AddTextBox(edit);
    ActionList1->AddTextBox(Memo1);
    ActionList1->AddTextBox(Memo2);

    progress_ = std::make_unique<ThrottledStatusText>(StatusBar1);

    move(437, 104);
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
}

void TForm1::CacheTexts() {
    const std::pair<QLineEdit*, std::string*> edits[] = {{Edit2, &contentText_},
                                                         {Edit3, &contentExcludeText_},
                                                         {Edit4, &nameText_},
                                                         {Edit5, &nameExcludeText_}};
    for (const auto& [edit, cache] : edits) {
        *cache = edit->text().toLocal8Bit().toStdString();
        connect(edit, &QLineEdit::textChanged, this, [cache = cache](const QString& text) {
            *cache = text.toLocal8Bit().toStdString();
        });
    }
    extensionLines_ = LinesOf(Memo2->toPlainText());
    connect(Memo2, &QPlainTextEdit::textChanged, this,
            [this] { extensionLines_ = LinesOf(Memo2->toPlainText()); });
}

void TForm1::FormCreate() {
    Edit1->setText(QString::fromLocal8Bit(DirectoryListBox1->Directory()));
    state_ = std::make_unique<SearchState>();
}

void TForm1::FormClose() {
    state_.reset();
}

void TForm1::Close1Click() {
    close();
}

void TForm1::Button1Click() {
    DirectoryListBox1->SetDirectory(Edit1->text().toLocal8Bit().toStdString());
    DriveComboBox1->SetDrive(DirectoryListBox1->Drive());
}

void TForm1::DriveComboBox1Change() {
    DirectoryListBox1->SetDrive(DriveComboBox1->Drive());
}

void TForm1::DirectoryListBox1Change() {
    Edit1->setText(QString::fromLocal8Bit(DirectoryListBox1->Directory()));
}

void TForm1::Button2Click() {
    if (!state_)
        return;
    searching_ = true;
    std::exception_ptr failure;
    try {
        SearchRun(*this, *state_);
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
    if (failure)
        std::rethrow_exception(failure);
}

void TForm1::Button3Click() {
    if (state_)
        state_->StopRequested = true;
}

void TForm1::CheckBox1Click() {
    if (state_)
        ShowResults(*this, *state_);
}

void TForm1::CheckBox3Click() {
    Memo2->setEnabled(!CheckBox3->isChecked());
}

void TForm1::Button4Click() {
    Memo2->clear();
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

std::string TForm1::FolderToSearch() const {
    return DirectoryListBox1->Directory();
}

bool TForm1::IncludeSubfolders() const {
    return CheckBox2->isChecked();
}

std::optional<KeywordEncoding> TForm1::ContentEncoding() const {
    return EncodingAt(ComboBox1->currentIndex());
}

bool TForm1::ExtensionListEnabled() const {
    return Memo2->isEnabled();
}

bool TForm1::FullPaths() const {
    return CheckBox1->isChecked();
}

void TForm1::SetStartEnabled(bool enabled) {
    Button2->setEnabled(enabled);
}

void TForm1::SetResultText(const std::string& text) {
    Memo1Menu->ShowText(text);
}

void TForm1::ProcessPendingEvents() {
    QCoreApplication::processEvents();
}

}  // namespace tanmira
