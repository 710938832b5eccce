// TDriveComboBox: the drive selector of the folder chooser, one item per drive.
#pragma once

#include <QComboBox>
#include <string>

namespace tanmira {

class TDriveComboBox : public QComboBox {
    Q_OBJECT
  public:
    // Lists the drives present now and selects the drive of the process's current directory.
    explicit TDriveComboBox(QWidget* parent = nullptr);

    // The chosen drive's root, or empty for none.
    std::string Drive() const { return drive_; }

    // Chooses the drive whose root is given (empty: none) and raises Change, unless an item is
    // selected and the drive is already the chosen one. Without a matching item the selection
    // stays as it was.
    void SetDrive(const std::string& root);

    // The drive root of item index.
    std::string ItemRoot(int index) const;

  signals:
    // OnChange: raised when the drive is set, and once more after each pick by the user.
    void Change();

  private:
    void BuildItems();

    std::string drive_;
};

}  // namespace tanmira
