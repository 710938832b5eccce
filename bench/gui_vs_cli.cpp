// Times one search run in the real main window (offscreen, fake banner browser): the folder,
// subfolders on, a UTF-8 content keyword, full paths, then a click on "検索開始". Prints the wall
// time of the run in seconds and the number of hits.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>

#include "app/Unit1.h"
#include "display/display_text.h"
#include "tests/support/fake_browser.h"

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tanmira-gui-bench FOLDER KEYWORD\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    tanmira::TForm1 form(tanmira::testing::FakeBrowserFactory());
    form.show();
    form.DirectoryListBox1->SetDirectory(argv[1]);
    form.CheckBox2->setChecked(true);
    form.CheckBox1->setChecked(true);
    form.ComboBox1->setCurrentIndex(2);
    form.Edit2->setText(tanmira::FromSystemText(argv[2]));

    QElapsedTimer clock;
    clock.start();
    form.Button2->click();
    const double seconds = clock.nsecsElapsed() / 1e9;
    std::printf("%.3f %d\n", seconds, form.State()->HitList.LineCount());
    return 0;
}
