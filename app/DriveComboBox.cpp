// The drive selector: items with the drive type's icon, and the choice of a drive.
#include "app/DriveComboBox.h"

#include <QStyle>

#include "app/folder_path.h"
#include "display/display_text.h"
#include "platform/platform.h"
#include "search/text_rules.h"

namespace tanmira {

namespace {

constexpr auto kStyle = platform::kNativePathStyle;

// The icon of a drive type; nothing for types that are not listed.
std::optional<QStyle::StandardPixmap> DriveIcon(platform::DriveType type) {
    using platform::DriveType;
    switch (type) {
        case DriveType::Removable:
            return QStyle::SP_DriveFDIcon;
        case DriveType::Fixed:
        case DriveType::RamDisk:
            return QStyle::SP_DriveHDIcon;
        case DriveType::Remote:
            return QStyle::SP_DriveNetIcon;
        case DriveType::CdRom:
            return QStyle::SP_DriveCDIcon;
        case DriveType::Unknown:
        case DriveType::NoRoot:
            break;
    }
    return std::nullopt;
}

}  // namespace

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {
    BuildItems();
    const std::string start = platform::CurrentDirectory();
    // A network folder without a drive letter has no item: no drive is chosen then.
    const bool network = kStyle == platform::PathStyle::Windows && start.rfind("\\\\", 0) == 0;
    SetDrive(network ? std::string() : platform::DriveOf(start));
    connect(this, &QComboBox::activated, this, [this](int index) {
        SetDrive(ItemRoot(index));
        emit Change();
    });
}

void TDriveComboBox::SetDrive(const std::string& root) {
    if (currentIndex() >= 0 && SameDrive(root, drive_, kStyle))
        return;
    if (root.empty()) {
        drive_.clear();
        setCurrentIndex(-1);
    } else {
        drive_ = kStyle == platform::PathStyle::Windows ? FoldCase(root, NoLeadBytes()) : root;
        for (int i = 0; i < count(); ++i) {
            if (SameDrive(ItemRoot(i), root, kStyle)) {
                setCurrentIndex(i);
                break;
            }
        }
    }
    emit Change();
}

std::string TDriveComboBox::ItemRoot(int index) const {
    return itemData(index).toByteArray().toStdString();
}

void TDriveComboBox::BuildItems() {
    clear();
    for (const platform::Drive& drive : platform::Drives()) {
        const auto icon = DriveIcon(drive.type);
        if (!icon)
            continue;
        // A removable medium is not touched for its label.
        std::string label;
        std::string remote;
        if (drive.type != platform::DriveType::Removable) {
            if (const auto volume = platform::VolumeInformation(drive.root))
                label = volume->label;
        }
        if (drive.type == platform::DriveType::Remote)
            remote = platform::RemoteName(drive.root).value_or(std::string());
        addItem(style()->standardIcon(*icon),
                DisplayName(DriveItemText(drive, label, remote, kStyle)),
                QByteArray::fromStdString(drive.root));
    }
    setCurrentIndex(-1);
}

}  // namespace tanmira
