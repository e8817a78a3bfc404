#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

/// Fills the temporary file of a replacement: given its open descriptor and its path, it
/// writes the new content (through the descriptor, or by opening the path itself) and returns
/// the empty text, or the reason it failed.
using FileContentWriter = std::function<std::string(int fd, const std::string& path)>;

/// The one way a file is written in place of another. The content goes to a new file in the
/// target's folder, which is flushed to disk and then renamed over the target, and the
/// folder is flushed too: the target holds either all of its old bytes or all of the new
/// ones, whatever fails and whenever the machine stops.
///   - A symbolic link is followed: the file it names is replaced, the link stays.
///   - A target that exists and is not a regular file (a folder, a device, a FIFO) is left
///     alone and refused.
///   - A file being replaced keeps its permissions; a new one gets what the file-creation
///     mask allows.
///   - On failure the temporary file is removed and the target left as it was.
/// Returns the empty text when done; else the message naming the file and the reason.
///   newFileMode, when given, is the permissions of a file that did not exist before.
std::string ReplaceFile(const std::string& path, const FileContentWriter& write,
                        int newFileMode = -1);
std::string ReplaceFile(const std::string& path, std::span<const std::string_view> pieces);
std::string ReplaceFile(const std::string& path, std::string_view bytes);

/// The permission bits of a file, for a replacement's newFileMode; -1 when there is no file.
int PermissionsOf(const std::string& path);

/// A writer that copies the bytes of another file.
FileContentWriter CopyOf(const std::string& from);

/// The file a path finally names once symbolic links are followed; the path itself when it
/// is not a link. A link to a missing file gives the missing file's path.
std::string FollowLinks(const std::string& path);

/// Flushes a folder's entries (new, renamed and removed names) to disk; false on failure.
bool SyncFolder(const std::string& folder);
