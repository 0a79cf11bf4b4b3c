#pragma once

namespace masume::ui {

// Qt's own texts in Japanese, as the rest of the interface, whatever the
// system's locale: the standard dialogs (the picture dialogs, the colour
// chooser), their buttons and the context menus of the number boxes and
// the scroll bars. Loads Qt's translation "qtbase_ja" from Qt's translation
// folder once per application; without that file they stay in English. The
// program's own texts are set explicitly and never go through it.
void loadQtTranslation();

} // namespace masume::ui
