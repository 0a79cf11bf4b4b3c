#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace masume::test {

// A new empty temporary folder that is the process's current folder for as
// long as this object lives. The folder that was current before comes back
// first; then the temporary folder is removed with what it holds. Qt's file
// dialogs start in the current folder, so each test gets a folder of its own.
class TemporaryCurrentFolder
{
public:
    TemporaryCurrentFolder()
        : m_previous(QDir::currentPath())
    {
        m_current = m_folder.isValid() && QDir::setCurrent(m_folder.path());
    }
    ~TemporaryCurrentFolder() { QDir::setCurrent(m_previous); }
    TemporaryCurrentFolder(const TemporaryCurrentFolder &) = delete;
    TemporaryCurrentFolder &operator=(const TemporaryCurrentFolder &) = delete;

    // Whether the folder was made and is now the current one.
    bool isValid() const { return m_current; }
    QString path() const { return m_folder.path(); }
    QString filePath(const QString &name) const { return m_folder.filePath(name); }

private:
    QString m_previous;
    QTemporaryDir m_folder;
    bool m_current = false;
};

} // namespace masume::test
