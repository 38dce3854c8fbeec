#include "db/widgets/form.h"

#include "db/widgets/boundlink.h"
#include "db/widgets/dbnavigator.h"
#include "platform/messages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QToolButton>
#include <QWindow>
#include <algorithm>

namespace corvalen {

QFont programFont(int pointSize, bool bold) {
    static const QString family = [] {
        // Debian's fonts-wine ships a metric clone of Tahoma outside fontconfig's folders.
        // Only its regular face: the bold one draws strokes of regular weight, so bold labels
        // would not look bold; without it Qt emboldens the regular face itself.
        if (!QFontDatabase::families().contains("Tahoma"))
            QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"));
        return QFontDatabase::families().contains("Tahoma") ? QStringLiteral("Tahoma")
                                                            : QStringLiteral("DejaVu Sans");
    }();
    QFont f(family, pointSize);
    f.setBold(bold);
    return f;
}

namespace {
QPointer<QWidget>& mainWindow() {
    static QPointer<QWidget> window;
    return window;
}
} // namespace

Form::Form(QWidget* owner) : QDialog(owner) {
    setFont(programFont());
}

void Form::setProgramWindow(QWidget* window) {
    mainWindow() = window;
}

QWidget* Form::programWindow() {
    return mainWindow();
}

QString Form::discardQuestion() {
    return QStringLiteral("Os dados alterados ainda não foram salvos. Deseja sair e descartá-los?");
}

Form::~Form() {
    // A window destroyed while shown gets no hide event: its closing runs here, while its
    // controls still exist.
    if (isVisible())
        dropPendingRows();
}

void Form::setupForm(const QString& caption, int clientWidth, int clientHeight, Border border) {
    setWindowTitle(caption);
    // A dialog-type window: the desktop shows it as a transient of its owner, under the
    // program's one task-bar entry.
    Qt::WindowFlags flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;
    switch (border) {
    case Border::Fixed:
    case Border::Dialog:
        break;
    case Border::FixedWithMinimize:
        flags |= Qt::WindowMinimizeButtonHint;
        break;
    case Border::FixedWithMinMax:
    case Border::Sizeable:
        flags |= Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
        break;
    }
    setWindowFlags(flags);
    if (border == Border::Sizeable)
        resize(clientWidth, clientHeight);
    else
        setFixedSize(clientWidth, clientHeight);
    setSizeGripEnabled(false);
}

void Form::showInFront() {
    // Transient of the modal window in use, which would otherwise block it, or of the program's
    // window. When that modal window goes, the program's window takes over.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner || owner == this)
        owner = programWindow();
    QObject::disconnect(transientConnection_);
    if (owner && owner->window() != this) {
        QWindow* parent = owner->window()->windowHandle();
        if (!parent) {
            owner->window()->winId();
            parent = owner->window()->windowHandle();
        }
        winId();
        windowHandle()->setTransientParent(parent);
        if (owner != programWindow() && programWindow()) {
            transientConnection_ = connect(parent, &QObject::destroyed, this, [this] {
                if (QWidget* main = programWindow(); main && main->windowHandle())
                    windowHandle()->setTransientParent(main->windowHandle());
            });
        }
    }
    if (windowState() & Qt::WindowMinimized)
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void Form::showEvent(QShowEvent* event) {
    if (!centred_) {
        centred_ = true;
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect r = frameGeometry();
            r.moveCenter(screen->availableGeometry().center());
            move(r.topLeft());
        }
    }
    // A screen reader names an input by its label only where the two are siblings, and a grid
    // never: each label's text names its input unless the window named it otherwise.
    for (QLabel* label : findChildren<QLabel*>()) {
        QWidget* input = label->buddy();
        if (input && input->accessibleName().isEmpty())
            input->setAccessibleName(QString(label->text()).remove(QLatin1Char('&')));
    }
    // No default button: Enter in a text box must never press one.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        messages::guarded([this] { FormShow(); });
        watchPendingRows();
    }
}

void Form::keyPressEvent(QKeyEvent* event) {
    // The keys that reach the window itself: the focused control did not use them.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Escape) {
        // Closes nothing.
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        modifiers == Qt::NoModifier) {
        // A focused button is pressed; anywhere else Enter does nothing.
        auto* button = qobject_cast<QAbstractButton*>(focusWidget());
        if (button && button->isEnabled() &&
            (qobject_cast<QPushButton*>(button) || qobject_cast<QToolButton*>(button)))
            button->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace corvalen

namespace corvalen {

bool Form::loadRecord(DBNavigator* navigator, const QString& table, const QString& keyColumn,
                      int key, QWidget* removeButton, const QString& newCaption) {
    if (key != 0) {
        db::Dataset* dataset = navigator->dataset();
        if (!dataset)
            return false;
        // The key is an integer formatted here; no typed text enters the statement.
        dataset->setSql({QStringLiteral("SELECT * from %1").arg(table),
                         QStringLiteral("where %1 =%2;").arg(keyColumn).arg(key)});
        dataset->open();
        return false;
    }
    navigator->run(DBNavigator::Insert);
    if (removeButton)
        removeButton->hide();
    if (!newCaption.isEmpty())
        setWindowTitle(newCaption);
    return true;
}

std::vector<db::Dataset*> Form::editedDatasets() const {
    std::vector<db::Dataset*> datasets;
    for (BoundLink* link : findChildren<BoundLink*>()) {
        db::Dataset* dataset = link->dataset();
        if (dataset && link->editsRows() &&
            std::find(datasets.begin(), datasets.end(), dataset) == datasets.end())
            datasets.push_back(dataset);
    }
    return datasets;
}

void Form::dropPendingRows() {
    for (db::Dataset* dataset : editedDatasets())
        if (dataset->isEditing())
            dataset->cancel();
}

void Form::copyControls(db::Dataset* dataset) {
    for (BoundLink* link : findChildren<BoundLink*>())
        if (link->dataset() == dataset)
            link->updateRecord();
}

void Form::takeBaseline(Baseline& baseline) {
    db::Dataset* dataset = baseline.dataset;
    baseline.values.clear();
    baseline.taken = dataset && dataset->isEditing();
    if (!baseline.taken)
        return;
    for (int i = 0; i < dataset->fieldCount(); ++i)
        baseline.values.push_back(dataset->field(i).value());
}

void Form::watchPendingRows() {
    forgetPendingRows();
    for (db::Dataset* dataset : editedDatasets()) {
        Baseline baseline{dataset, {}, false};
        if (dataset->isEditing()) {
            // What the window's code put into the boxes before showing is part of the row as
            // it opened, not a change.
            try {
                copyControls(dataset);
            } catch (const std::exception&) {
                // Reported by the save that meets it.
            }
            takeBaseline(baseline);
        }
        baselines_.push_back(std::move(baseline));
        baselineConnections_ << connect(dataset, &db::Dataset::stateChanged, this, [this, dataset] {
            for (Baseline& b : baselines_) {
                if (b.dataset != dataset)
                    continue;
                if (!dataset->isEditing())
                    b.taken = false;
                else if (!b.taken)
                    takeBaseline(b);
            }
        });
    }
}

void Form::forgetPendingRows() {
    for (const auto& c : std::as_const(baselineConnections_))
        QObject::disconnect(c);
    baselineConnections_.clear();
    baselines_.clear();
}

bool Form::pendingRowChanged(const Baseline& baseline) {
    db::Dataset* dataset = baseline.dataset;
    if (!dataset || !dataset->isEditing())
        return false;
    try {
        copyControls(dataset);
    } catch (const std::exception&) {
        return true; // typed text that does not convert is a change all the same
    }
    if (!baseline.taken)
        return dataset->modified();
    // An emptied box equals a column that was null.
    const auto blank = [](const QVariant& v) {
        return v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
    };
    for (int i = 0; i < dataset->fieldCount() && i < int(baseline.values.size()); ++i) {
        const QVariant now = dataset->field(i).value();
        const QVariant& before = baseline.values[size_t(i)];
        if (!(blank(now) && blank(before)) && now != before)
            return true;
    }
    return false;
}

bool Form::hasUnsavedChanges() {
    for (const Baseline& baseline : baselines_)
        if (pendingRowChanged(baseline))
            return true;
    return false;
}

bool Form::FormCloseQuery() {
    return !hasUnsavedChanges() || messages::confirm(discardQuestion(), messages::Answer::No);
}

bool Form::closeAllowed() {
    if (closeAsked_)
        return true;
    bool allowed = false;
    messages::guarded([&] { allowed = FormCloseQuery(); });
    return allowed;
}

void Form::done(int result) {
    if (closeAllowed())
        QDialog::done(result);
}

void Form::closeEvent(QCloseEvent* event) {
    if (!closeAllowed()) {
        event->ignore();
        return;
    }
    // QDialog's close rejects the dialog, which must not ask a second time.
    closeAsked_ = true;
    QDialog::closeEvent(event);
    closeAsked_ = false;
}

void Form::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    // A minimised window is hidden by the system, spontaneously: it has not closed.
    if (!event->spontaneous()) {
        messages::guarded([this] { FormClose(); });
        forgetPendingRows();
    }
}

} // namespace corvalen
