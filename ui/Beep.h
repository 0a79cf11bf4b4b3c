#pragma once

#include <functional>

namespace masume::ui {

// The system's default beep; every beep of the program goes through here.
void beep();
// Replaces the sound with a call of hook (empty restores it); for tests.
void setBeepHook(std::function<void()> hook);

} // namespace masume::ui
