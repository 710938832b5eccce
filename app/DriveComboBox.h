// TDriveComboBox: the drive selector of the folder chooser.
#pragma once

#include <QComboBox>
#include <string>

namespace tanmira {

class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    // Starts on the drive of the process's current directory.
    explicit TDriveComboBox(QWidget* parent = nullptr);

    // The chosen drive's root, or empty for none.
    std::string Drive() const { return drive_; }
    void SetDrive(const std::string& root);

signals:
    // OnChange.
    void Change();

private:
    std::string drive_;
};

}  // namespace tanmira
