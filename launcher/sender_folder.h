// Relative names in a hand-over. A later start may run in another folder
// than the first instance, and "notes.tav" means the file in the folder of
// the start that the user gave it to.
#pragma once

#include <string>
#include <string_view>

// Whether entry depends on this start's working directory: its folder, or
// its drive ("\x"). A name with a drive ("C:\x", and "C:x", which depends
// on another folder) or a UNC path does not.
bool isRelativeName(std::u16string_view entry);

// The full path that entry names relative to senderFolder, for a first
// instance that works in ownFolder; empty where the entry is to stay as it
// was given: the folders are the same, the entry has a drive or is a UNC
// path ("C:\x", "\\server\share\x"), is relative to another drive's current
// folder ("C:x"), or the full path would not fit an entry (511 units). "."
// and ".." are folded away. Whether the path names anything is the caller's
// to find out: only then does it replace the entry.
std::u16string handedOverPath(std::u16string_view entry, std::u16string_view senderFolder,
                              std::u16string_view ownFolder);

// The folder that a later start sends with its arguments: its working
// directory where they name files relative to it, and none where they do
// not, or where it is longer than any entry could be once resolved (511
// units), which the first instance would keep as given anyway.
std::u16string_view folderToSend(bool namesRelativeFiles, std::u16string_view workingFolder);
