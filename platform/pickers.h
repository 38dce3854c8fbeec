#pragma once
// The file and folder pickers. Each returns the chosen path, or nothing when the user cancels.
// Tests install a hook that answers in place of the dialog.

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace corvalen::platform {

enum class PickerKind {
    Picture, // open-picture dialog with a preview and the picture type list
    File,    // plain open dialog: accepts only an existing file
    Folder,  // folder picker
    SaveFile // save dialog: a new or existing file name, asking before replacing a file
};

struct PickerRequest {
    PickerKind kind;
    QString title;
    QString filter;      // type list ("Text (*.txt);;All (*)"), empty for folders
    QString initialPath; // file name or folder shown first (the suggested name when saving;
                         // a folder: an open dialog opens in it)
};

using PickerHook = std::function<std::optional<QString>(const PickerRequest&)>;
void setPickerHook(PickerHook hook);

std::optional<QString> pick(QWidget* owner, const PickerRequest& request);

// An open dialog that remembers its file name across uses, as a dialog component on a window
// does: after a cancel, fileName() still holds the previous choice.
class OpenDialog {
public:
    explicit OpenDialog(PickerKind kind, QString filter = {})
        : kind_(kind), filter_(std::move(filter)) {}
    bool execute(QWidget* owner);
    QString fileName() const { return fileName_; }
    void setFileName(const QString& name) { fileName_ = name; }

private:
    PickerKind kind_;
    QString filter_;
    QString fileName_;
};

} // namespace corvalen::platform
