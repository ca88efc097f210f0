#pragma once
// Temporary file names in the manner of the system's temporary-name service: a prefix of up to
// three characters, a hexadecimal number and ".TMP", in the temporary folder.
//
// Thread: any thread but audio. Nothing is kept between calls.

#include <string>

namespace platform {

// $TMPDIR when set and not empty, else /tmp; always ends with '/'.
std::string getTempPath();

// With unique 0, picks a number, creates the file exclusively (mode 0600, so that a recording
// in a shared folder stays private) and returns the number, trying others while names are
// taken. With another unique, only builds the name. Returns 0 on failure.
unsigned getTempFileName(const std::string& folder, const char* prefix, unsigned unique,
                         std::string& name);

// Gives a file made by getTempFileName the permissions of an ordinarily created file (0666 less
// the process's umask), for when it becomes the user's own file. False if that failed.
bool giveOrdinaryPermissions(const std::string& name);

}  // namespace platform
