#pragma once
// Helpers for driving the register windows as a user would: typing, choosing a radio item,
// the tab chain, and answering the editor that a list opens modally.

#include "tests/support/fixture.h"
#include "tests/support/gui.h"

#include <QAbstractButton>
#include <QApplication>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace corvalen::test {

// The radio button of a group captioned `text`.
inline QRadioButton* radioItem(QWidget* group, const QString& text) {
    for (QRadioButton* r : group->findChildren<QRadioButton*>())
        if (r->text() == text)
            return r;
    return nullptr;
}

// The controls that Tab visits from `start`, in order, named by object name (or caption).
inline QStringList tabChain(QWidget* start, int count) {
    QStringList names;
    QWidget* w = start;
    while (names.size() < count) {
        w = w->nextInFocusChain();
        if (w == start)
            break;
        if ((w->focusPolicy() & Qt::TabFocus) != Qt::TabFocus || !w->isVisibleTo(w->window()) ||
            !w->isEnabled())
            continue;
        const auto* button = qobject_cast<QAbstractButton*>(w);
        names << (w->objectName().isEmpty() && button ? button->text() : w->objectName());
    }
    return names;
}

// Runs `trigger`, and once a modal window of type T has opened, `step` on it; closes the window
// afterwards if it is still open. Returns whether one opened.
template <typename T>
bool whileModal(const std::function<void()>& trigger, const std::function<void(T&)>& step = {}) {
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            opened = true;
            if (step)
                step(*window);
            if (window->isVisible())
                window->close();
        }
    });
    trigger();
    QTest::qWait(20);
    return opened;
}

} // namespace corvalen::test
