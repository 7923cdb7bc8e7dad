#pragma once
// The encodings of script files whose bytes alone would be read in another one: a Windows-1252
// script whose only bytes beyond ASCII happen to form UTF-8 after an edit, a UTF-8 script that
// starts with U+FEFF. The workspace keeps a list of them (encodings.dat), each with the identity
// of the file as the program last saved or read it, so that the same file opens again as it was
// written; a file changed by another program since is a new file and its bytes decide again.
// Programs working in the same workspace share the list, so each change reads it and replaces
// it whole under a lock.
#include "SafeFile.h"
#include "TextEncodings.h"

#include <cstddef>
#include <optional>
#include <string>

namespace velmora::files {

inline constexpr std::size_t MaxRememberedEncodings = 64;

// The encoding remembered for the file at Path when it is still the file that was remembered;
// a missing or unreadable list remembers nothing.
std::optional<TTextEncoding> RememberedEncoding(const std::string& ListPath,
                                                const std::string& Path,
                                                const TFileIdentity& Identity);

// After the file at Path was written (or read) in Encoding as Identity: keeps the encoding when
// the file's bytes would be read in another one, and forgets the file otherwise. The oldest
// entries beyond MaxRememberedEncodings go. Throws EFileError when the list cannot be written.
void RememberEncoding(const std::string& ListPath, const std::string& Path,
                      const TFileIdentity& Identity, TTextEncoding Encoding,
                      bool ReadsBackOtherwise);

} // namespace velmora::files
