// The Windows multimedia command strings the music director sends, and the short-path call it
// builds them with. This layer plays nothing through them: it keeps the table of open aliases
// and answers as a device that never plays would.
//   "open <file> alias <a>"  the file must exist (275), the alias must be new (289)
//   "close all", "close <a>"
//   "play <a>", "play <a> from <n>", "stop <a>"   the alias must be open (263)
//   "status <a> mode"        answers "stopped" in returnString
// Keywords are matched ignoring case; a file may be quoted. Anything else answers 261.
#pragma once
#include <string>
#include <vector>

#include "platform/Types.h"

constexpr Long MCIERR_UNRECOGNIZED_COMMAND = 261;
constexpr Long MCIERR_INVALID_DEVICE_NAME = 263;
constexpr Long MCIERR_FILE_NOT_FOUND = 275;
constexpr Long MCIERR_DUPLICATE_ALIAS = 289;

// 0 on success, else an MCIERR code. returnString (when given) receives the answer, at most
// returnLength - 1 characters; "" for commands without one. callback is ignored.
Long mciSendString(const std::string& command, std::string* returnString = nullptr, Long returnLength = 0,
                   HWND callback = 0);

// The short (8.3) form of a path: the path itself here (no such names on this system). Answers
// its length; when bufferLength cannot hold it and a terminator, shortPath is "" and the answer
// is the length needed with the terminator.
Long GetShortPathName(const std::string& longPath, std::string& shortPath, Long bufferLength);

// The aliases open now, in opening order (tests).
std::vector<std::string> mciOpenAliases();
