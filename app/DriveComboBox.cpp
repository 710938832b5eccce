#include "app/DriveComboBox.h"

#include "platform/platform.h"

namespace tanmira {

TDriveComboBox::TDriveComboBox(QWidget* parent)
    : QComboBox(parent), drive_(platform::DriveOf(platform::CurrentDirectory())) {
    addItem(QString::fromLocal8Bit(drive_));
}

void TDriveComboBox::SetDrive(const std::string& root) {
    if (root == drive_)
        return;
    drive_ = root;
    emit Change();
}

}  // namespace tanmira
