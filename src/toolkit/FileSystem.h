#pragma once
// The one boundary between the program's path notation and the real file
// system. Paths inside the program keep the Windows notation that stored
// files, logs and messages show ("C:\...\System\Logging", upper-cased
// resolved names). Here "\" becomes "/", and a path element that does not
// exist as written is matched case-insensitively against its directory.
#include <string>

namespace fs_boundary {

// The real path for a program path.
std::string NativePath(const std::string& path);

bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);
bool DeleteFile(const std::string& path);

// Whole-file read; false when the file cannot be read.
bool ReadFile(const std::string& path, std::string& bytes);
// Replaces a file's contents and keeps the file what it was. Through a
// symbolic link the file it names is written. A new file under a fresh
// name beside it (created exclusively, never through a link) takes the old
// one's mode and owner and is renamed over it, so the old contents stay
// intact until the new ones are complete. A file with further hard links,
// one whose owner cannot be kept, and one in a folder that takes no new
// files are rewritten in place. Nothing is left behind on failure; false
// when the file could not be written.
bool WriteFileAtomic(const std::string& path, const std::string& bytes);
// Appends to a file, creating it when missing. False when it cannot be opened.
bool AppendToFile(const std::string& path, const std::string& bytes);

}  // namespace fs_boundary
