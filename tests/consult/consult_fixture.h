#pragma once
// Shared by the consultation tests: the exam windows that the windows under test open modally
// are recorded (consultation number, exam code) and closed at once, as a user closing them.

#include "exams/exam.h"

#include <QApplication>
#include <QList>
#include <QPair>
#include <QTimer>

namespace corvalen::test {

class ExamWindows {
public:
    ExamWindows() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* exam = qobject_cast<TForm14*>(QApplication::activeModalWidget())) {
                opened << qMakePair(exam->consultationNumber(), exam->examCode());
                exam->close();
            }
        });
        timer_.start();
    }

    QList<QPair<int, int>> opened; // (consultation number, exam code) of each window

private:
    QTimer timer_;
};

} // namespace corvalen::test
