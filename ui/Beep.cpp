#include "ui/Beep.h"

#include <QApplication>

namespace masume::ui {

namespace {
std::function<void()> &hook()
{
    static std::function<void()> h;
    return h;
}
} // namespace

void beep()
{
    if (hook())
        hook()();
    else
        QApplication::beep();
}

void setBeepHook(std::function<void()> h)
{
    hook() = std::move(h);
}

} // namespace masume::ui
