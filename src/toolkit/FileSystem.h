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
// Writes beside the file and renames over it, so the old file stays intact
// until the new one is complete. False when any step fails.
bool WriteFileAtomic(const std::string& path, const std::string& bytes);
// Appends to a file, creating it when missing. False when it cannot be opened.
bool AppendToFile(const std::string& path, const std::string& bytes);

}  // namespace fs_boundary
