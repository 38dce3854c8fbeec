#pragma once
// The wall clock, replaceable by tests.

#include <QDateTime>
#include <functional>

namespace corvalen::platform {

QDateTime now();
void setClockForTests(std::function<QDateTime()> clock); // empty function restores the real one

} // namespace corvalen::platform
