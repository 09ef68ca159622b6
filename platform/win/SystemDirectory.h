// The "system directory" of this platform: the folder of the installed control library, where
// its language files (such as "lumo.en") lie. Paths always end in "/".
//
// $LUMO_SYSTEM_DIR, when set and not empty, overrides the folder (a "/" is added when missing).
// Otherwise the folder is that of the shared object containing the given address; an address
// in the main program gives the program's folder. Thread-safe; never throws: when nothing can
// be found the answer is "./".
#pragma once

#include <string>

namespace lumo::win {

// The folder of the library or program holding the address.
std::string systemDirectoryOf(const void* addressInLibrary);
// The folder of the binary this code is linked into (liblumo.so for the control).
std::string systemDirectory();

}  // namespace lumo::win
