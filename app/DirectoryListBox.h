// TDirectoryListBox: the folder list of the folder chooser. Its Directory is the folder that a
// search walks.
#pragma once

#include <QListWidget>
#include <string>

namespace tanmira {

class TDirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    // Starts on the process's current directory.
    explicit TDirectoryListBox(QWidget* parent = nullptr);

    // The current folder, a byte string in the system code page.
    std::string Directory() const { return directory_; }

    // Opens the folder that text names (resolved against the current folder).
    void SetDirectory(const std::string& text);

    // The drive (root) of Directory.
    std::string Drive() const;

    // Moves to the remembered folder of drive root.
    void SetDrive(const std::string& root);

signals:
    // OnChange: raised after the lines were rebuilt for a setting of Directory.
    void Change();

private:
    std::string directory_;
};

}  // namespace tanmira
