#pragma once
// Saves a picture of the main window each time the visible bar shows a result, at the moment it
// shows it: some results stay on the bar for an instant only ("Connection Error!!" is followed
// at once by "Wait Connect.."). Files are numbered in order: 01-success.png, 02-... Each saved
// file is reported as "screenshot: PATH" on `out`. User-interface thread only.

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

class QWidget;

class CResultShots {
public:
    // `requested`: the folder for the pictures, made when the first is saved; empty for a fresh
    // folder under the temporary folder.
    CResultShots(std::string requested, std::FILE* out);

    // For CBarHistory's text hook: saves a picture when `text` is one of the results.
    void OnBarText(const std::u16string& text);
    // Saves a picture of the main window now, numbered, under `label` (such as "wait-connect").
    void Save(const std::string& label);
    // Saves a picture of `widget` now as `fileName` in the folder. False when it could not.
    bool SaveAs(QWidget* widget, const std::string& fileName);

    // Every file saved so far, in order.
    const std::vector<std::string>& Saved() const { return m_saved; }
    // Pictures that could not be written.
    int Failures() const { return m_failures; }

private:
    // The folder, made on the first call; empty when it cannot be made.
    const std::string& Folder();

    std::string m_requested;
    std::string m_folder;
    bool m_folderTried = false;
    std::FILE* m_out;
    std::vector<std::string> m_saved;
    int m_failures = 0;
    std::size_t m_taken = 0;  // pictures tried, for the numbering
};
