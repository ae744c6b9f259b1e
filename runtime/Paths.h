// Paths as the game writes them: backslashes, relative to the program's folder
// ("\data\options.pnd", "models\ship\body.md2", "\gfx\..\maps\losgatos.bmp").
// resolvePath joins them to appPath(), folds doubled separators, resolves "." and ".."
// lexically and matches each component case-insensitively against the disk (the exact
// spelling wins when it exists). A component that does not exist keeps its spelling.
// Every game path is relative to the program's folder, with or without a leading ''; ".."
// never climbs above that folder.
#pragma once
#include <functional>
#include <string>
#include <vector>

const std::string& appPath();               // the program's folder, absolute, no trailing '/'
void setAppPath(const std::string& folder);  // tests point the game at another folder
std::string exeDir();                        // the folder of the running executable
std::string resolvePath(const std::string& gamePath);   // appPath() + gamePath, resolved
std::string joinGamePath(const std::string& a, const std::string& b);  // lexical join, '\' separators
// The game path ("\data\save2.new") of a real path inside the program's folder, for messages; a
// path outside it stays as it is.
std::string gamePathOf(const std::string& realPath);
// rename(2) of real paths: 0, or the errno of the refusal. Every rename the game's writers make
// goes through it; a test may stand in the medium's way with setRenameFaultForTests (the fault
// returns an errno to refuse with, 0 to let the rename happen; an empty function removes it).
int renamePath(const std::string& from, const std::string& to);
void setRenameFaultForTests(std::function<int(const std::string& from, const std::string& to)> fault);
bool fileExists(const std::string& realPath);       // a regular file (symbolic links followed)
// The whole of a file in one pass: one open, one size query, the reads. Missing: no such file;
// NotAFile: a folder or anything but a regular file; Failed: it cannot be opened or read. bytes
// is empty unless Read. Touches no state of the program, so any thread may call it.
enum class FileRead { Read, Missing, NotAFile, Failed };
FileRead readWholeFile(const std::string& realPath, std::string& bytes);
// Files (not folders) of a resolved folder whose names match a wildcard pattern (* and ?,
// case-insensitive; "*.*" is every file), sorted by name ignoring case so that the order does
// not depend on the file system. A folder that does not exist raises VbError 76.
std::vector<std::string> listFiles(const std::string& realFolder, const std::string& pattern);
