#pragma once

#include <functional>
#include <string>

namespace masume::ui {

// Runs an event handler. An error it raises (masume::Error, or
// std::bad_alloc as "メモリが不足しています") is shown in the error box,
// titled with the application title, and the program goes on. Every slot of
// the windows runs its handler through here, so that no exception unwinds
// through Qt's frames.
void guarded(const std::function<void()> &handler);

// The error box: stop icon, OK, the application's title and the message
// with its "." rule.
void showErrorBox(const std::string &message);

} // namespace masume::ui
