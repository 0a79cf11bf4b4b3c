#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace masume {

// A file written as a whole under a temporary name in its folder and then
// renamed over the file it replaces, so that a reader, a crash or a failed
// write never finds a half-written file: until commit() succeeds the old
// file stays byte for byte. The new file keeps the old one's permission
// bits (and owner and group where the process may set them); a new file
// gets 0666 less the umask. A symbolic link is followed: its target is
// replaced and the link stays.
//
// Errors: "ファイル %s を作成できません" when the temporary file cannot be
// made (missing or unwritable folder, a write-protected or non-regular old
// file, a folder of that name) or the rename fails;
// "ストリームへの書き込みエラー" when writing or flushing to disk fails
// (disk full, file size limit). The temporary file is removed on every
// failure, also when the object is destroyed before commit().
class AtomicFile
{
public:
    explicit AtomicFile(const std::string &fileName);
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    void write(const void *data, size_t bytes);
    // Flushes the file to disk and renames it over the old one.
    void commit();

private:
    void discard();

    std::string m_fileName; // as given, for messages
    std::string m_target; // the file replaced
    std::string m_temporary;
    int m_fd = -1;
};

// Writes bytes as the whole new content of a file through AtomicFile.
void writeWholeFile(const std::string &fileName, std::span<const uint8_t> bytes);

} // namespace masume
