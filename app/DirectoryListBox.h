// TDirectoryListBox: the folder list of the folder chooser. Its Directory is the folder that a
// search walks; the process's current directory follows it.
#pragma once

#include <QListWidget>
#include <string>

namespace tanmira {

class TDirectoryListBox : public QListWidget {
    Q_OBJECT
  public:
    // Starts on the process's current directory and shows its lines.
    explicit TDirectoryListBox(QWidget* parent = nullptr);

    // The current folder, a byte string in the system code page.
    std::string Directory() const { return directory_; }

    // Opens the folder that text names, resolved against the current folder. An empty text or
    // the current folder itself changes nothing; otherwise the lines are rebuilt and Change is
    // raised, also when the folder could not be entered and Directory stayed.
    void SetDirectory(const std::string& text);

    // The drive (root) of Directory.
    std::string Drive() const;

    // Moves to the folder last shown on drive root (or its root), unless Directory is on it.
    void SetDrive(const std::string& root);

    // The folder that line row stands for.
    std::string LineFolder(int row) const;

  signals:
    // OnChange: raised after the lines were rebuilt for a setting of Directory.
    void Change();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Takes the process's current directory as Directory, rebuilds and raises Change.
    void Settle();
    void BuildLines();
    void OpenSelectedLine();

    std::string directory_;
    bool caseSensitive_ = false;
    bool casePreserving_ = false;
};

}  // namespace tanmira
