#include "platform/pickers.h"

#include "platform/picture.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>

namespace corvalen::platform {

namespace {

PickerHook& hook() {
    static PickerHook h;
    return h;
}

// The preview pane of the open-picture dialog: the selected picture scaled to fit.
void addPreview(QFileDialog& dialog) {
    auto* preview = new QLabel(&dialog);
    preview->setFixedSize(200, 200);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::StyledPanel);
    preview->setAccessibleName(QStringLiteral("Visualização"));
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(preview, 1, grid->columnCount(), 1, 1);
    QObject::connect(
        &dialog, &QFileDialog::currentChanged, preview, [preview](const QString& path) {
            try {
                const QImage image = loadPicture(path);
                preview->setPixmap(QPixmap::fromImage(
                    image.scaled(preview->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
            } catch (...) {
                preview->clear();
            }
        });
}

} // namespace

void setPickerHook(PickerHook h) {
    hook() = std::move(h);
}

std::optional<QString> pick(QWidget* owner, const PickerRequest& request) {
    if (hook())
        return hook()(request);
    QFileDialog dialog(owner, request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog, request.kind == PickerKind::Picture);
    switch (request.kind) {
    case PickerKind::Folder:
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        if (!request.initialPath.isEmpty())
            dialog.setDirectory(request.initialPath);
        break;
    case PickerKind::Picture:
    case PickerKind::File:
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(request.filter);
        if (QFileInfo(request.initialPath).isDir())
            dialog.setDirectory(request.initialPath);
        else if (!request.initialPath.isEmpty())
            dialog.selectFile(request.initialPath);
        break;
    case PickerKind::SaveFile:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(request.filter);
        if (!request.initialPath.isEmpty())
            dialog.selectFile(request.initialPath);
        break;
    }
    if (request.kind == PickerKind::Picture)
        addPreview(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

bool OpenDialog::execute(QWidget* owner) {
    const QString filter =
        kind_ == PickerKind::Picture && filter_.isEmpty() ? pictureFilter() : filter_;
    const auto chosen = pick(owner, {kind_, QString(), filter, fileName_});
    if (!chosen)
        return false;
    fileName_ = *chosen;
    return true;
}

} // namespace corvalen::platform
