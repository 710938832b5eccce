#include "app/DirectoryListBox.h"

#include "platform/platform.h"

namespace tanmira {

TDirectoryListBox::TDirectoryListBox(QWidget* parent)
    : QListWidget(parent), directory_(platform::CurrentDirectory()) {
    addItem(QString::fromLocal8Bit(directory_));
}

void TDirectoryListBox::SetDirectory(const std::string& text) {
    if (text.empty() || text == directory_)
        return;
    if (platform::EnterFolder(text))
        directory_ = platform::CurrentDirectory();
    clear();
    addItem(QString::fromLocal8Bit(directory_));
    emit Change();
}

std::string TDirectoryListBox::Drive() const { return platform::DriveOf(directory_); }

void TDirectoryListBox::SetDrive(const std::string& root) {
    if (root == Drive())
        return;
    SetDirectory(root);
}

}  // namespace tanmira
