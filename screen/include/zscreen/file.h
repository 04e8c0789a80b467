// Files written whole or not at all.
//
//   zfWriteFileAtomically("out/scene.png", bytes.data(), bytes.size());
//
// The bytes go to a temporary file in the target's directory (".NAME.XXXXXX"), which
// is flushed to the disk and then renamed over the target. A failure at any step (no
// space, an I/O error, a directory that cannot be written) removes the temporary file
// and leaves the target as it was: an earlier file stays whole, and no truncated file
// appears. Failures raise zcScreenError::IOError with the path and the system's
// reason ("cannot write out/scene.png: No space left on device").
//
// A new file gets the permissions a plain open would give it (0666 less the umask);
// a replaced file keeps its own.
#pragma once

#include "zscreen/export.h"

#include <cstddef>
#include <string>

ZSCREEN_API void zfWriteFileAtomically(const std::string& path, const void* data, std::size_t size);

// A path or other outside text as the wide text of a message: UTF-8 converted, and
// "(unprintable)" for bytes that are not UTF-8.
ZSCREEN_API std::wstring zfMessageText(const std::string& text);

// "cannot VERB PATH: REASON", REASON being strerror(error); wide for a message.
ZSCREEN_API std::wstring zfFileErrorText(const char* verb, const std::string& path, int error);
