#include "db/widgets/boundlink.h"

#include "db/widgets/deferred_error.h"
#include "platform/error.h"

#include <QApplication>
#include <QWidget>

namespace corvalen {

BoundLink::BoundLink(QWidget* control, db::DataSource* source, const QString& fieldName)
    : QObject(control), control_(control), fieldName_(fieldName),
      readFailure_(new DeferredError(this)), exitFailure_(new DeferredError(this)) {
    setDataSource(source);
}

BoundLink::~BoundLink() {
    unbind();
}

void BoundLink::setDataSource(db::DataSource* source) {
    if (source_ == source && source)
        return;
    if (source_)
        disconnect(source_, nullptr, this, nullptr);
    source_ = source;
    if (source_) {
        connect(source_, &db::DataSource::datasetChanged, this, [this] {
            unbind();
            bind();
        });
        connect(source_, &QObject::destroyed, this, [this] {
            unbind();
            dataChange();
        });
    }
    unbind();
    bind();
}

void BoundLink::setFieldName(const QString& name) {
    fieldName_ = name;
    dataChange();
}

void BoundLink::bind() {
    dataset_ = source_ ? source_->dataset() : nullptr;
    if (dataset_) {
        db::Dataset* d = dataset_;
        d->addLink(this);
        connections_ << connect(d, &db::Dataset::currentChanged, this, &BoundLink::dataChange)
                     << connect(d, &db::Dataset::rowsReset, this, &BoundLink::dataChange)
                     << connect(d, &db::Dataset::fieldChanged, this,
                                [this](int index) {
                                    if (!fieldName_.isEmpty() && dataset_ &&
                                        dataset_->fieldIndex(fieldName_) == index)
                                        dataChange();
                                })
                     << connect(d, &db::Dataset::stateChanged, this,
                                [this] {
                                    if (onStateChange)
                                        onStateChange();
                                })
                     << connect(d, &QObject::destroyed, this, [this] {
                            connections_.clear();
                            dataset_ = nullptr;
                            dataChange();
                        });
    }
    emit datasetChanged();
    dataChange();
    if (onStateChange)
        onStateChange();
}

void BoundLink::unbind() {
    for (const auto& c : std::as_const(connections_))
        disconnect(c);
    connections_.clear();
    if (dataset_)
        dataset_->removeLink(this);
    dataset_ = nullptr;
}

bool BoundLink::active() const {
    return dataset_ && dataset_->isOpen();
}

bool BoundLink::editing() const {
    return dataset_ && dataset_->isEditing();
}

bool BoundLink::hasField() const {
    return active() && !fieldName_.isEmpty() && dataset_->fieldIndex(fieldName_) >= 0;
}

db::Field BoundLink::field() const {
    if (!dataset_)
        throw databaseError(QStringLiteral("Field '%1' not found").arg(fieldName_));
    return dataset_->fieldByName(fieldName_);
}

QString BoundLink::displayText() const {
    return read([](const db::Field& f) { return f.displayText(); });
}

QString BoundLink::text() const {
    return read([](const db::Field& f) { return f.asString(); });
}

QString BoundLink::read(QString (*as)(const db::Field&)) const {
    if (!hasField())
        return {};
    try {
        return as(field());
    } catch (const std::exception& e) {
        // Shown from a signal of the dataset or a paint: the control shows nothing and the
        // failure is reported once the current event is over.
        readFailure_->report(e);
        return {};
    }
}

bool BoundLink::canModify() const {
    if (!active() || !dataset_->canModify())
        return false;
    if (fieldName_.isEmpty())
        return true;
    return hasField() && !field().readOnly();
}

bool BoundLink::edit() {
    if (!source_ || !canModify())
        return false;
    return source_->edit();
}

void BoundLink::reset() {
    dataChange();
}

void BoundLink::dataChange() {
    modified_ = false;
    ++shown_;
    if (onDataChange)
        onDataChange();
}

void BoundLink::updateRecord() {
    if (!modified_ || !onUpdateData)
        return;
    try {
        onUpdateData();
        modified_ = false;
    } catch (...) {
        failed();
        throw;
    }
}

void BoundLink::failed() {
    exitFailure_->cancel();
    if (onSelectAll)
        onSelectAll();
    QWidget* focus = QApplication::focusWidget();
    if (control_->isVisible() && control_->isEnabled() && focus != control_ &&
        !control_->isAncestorOf(focus))
        control_->setFocus(Qt::OtherFocusReason);
}

void BoundLink::exit(Qt::FocusReason reason) {
    // Focus that leaves the window (another window, a message box, a menu) is no exit.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    if (!modified_ || !editing() || !onUpdateData)
        return;
    try {
        onUpdateData();
        modified_ = false;
    } catch (const std::exception& e) {
        // Reported once the focus change is over: a modal box opened inside it would leave the
        // pressed button stuck, and a post that meets the same failure reports it itself.
        exitFailure_->report(e, [this] {
            if (onSelectAll)
                onSelectAll();
            if (control_->isVisible() && control_->isEnabled())
                control_->setFocus(Qt::OtherFocusReason);
        });
    }
}

} // namespace corvalen
