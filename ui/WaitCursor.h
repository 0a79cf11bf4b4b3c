#pragma once

#include <QApplication>

namespace masume::ui {

// The wait cursor for the lifetime of the object, around work that may take
// longer than a moment (opening, drawing, saving a large picture).
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace masume::ui
