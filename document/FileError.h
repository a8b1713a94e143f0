#pragma once

#include <stdexcept>
#include <string>
#include <utility>

// A file operation that failed: the file as the user named it, what was being done with it
// and why. Every message about a failing file is put into the user's words here, so that all
// of them read alike: what() is the German sentence.
class FileError : public std::runtime_error
{
public:
    // What was being done with the file; each has its own German sentence.
    enum class Step {
        read,           // Datei "…" kann nicht gelesen werden. <cause>
        detectEncoding, // Datei "…" <cause>: what the file's start says of its encoding
        parse,          // Datei "…" ist kein gültiges XML: <cause>
        save,           // Datei "…" kann nicht gespeichert werden. <cause>
        create,         // Datei "…" kann nicht erstellt werden. <cause>
        loadLibrary,    // Datei "…" ist keine ladbare Bibliothek. <cause>
        use,            // Datei "…": <cause>, for what the file holds
    };

    FileError(std::string path, Step step, std::string cause = {});
    FileError(const FileError&) = default;
    FileError& operator=(const FileError&) = default;
    ~FileError() override;

    const std::string& path() const noexcept { return file; }
    Step step() const noexcept { return doing; }
    const std::string& cause() const noexcept { return reason; }

    // The same file and step, failed for `cause`: a writer knows the first two before it starts.
    FileError because(std::string cause) const;

    // The sentence what() holds, for a message that is no error, such as a warning.
    static std::string sentence(const std::string& path, Step step, const std::string& cause);

private:
    std::string file;
    Step doing;
    std::string reason;
};
