// The board's files: whole-file reads that never wait on something that is not a
// file, writes that replace a file only once the new content is completely on disk,
// and a lock that keeps a second instance of the program away from a folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

// Reasons for refusing a file that the system has no error number for. They come in
// the same std::error_code as the system's own reasons (std::errc: permission denied,
// no such file, is a directory, no space left...), whose message() is the system's
// text; so "cannot save <file>: " + error.message() reads well for every reason.
enum class FileError {
  NotARegularFile = 1,  // a FIFO, device or socket: never opened for the content
  WrongSize,            // not of the size asked for, or changed while it was read
  Locked,               // FolderLock: another process holds the folder
};
// The category of FileError, never destroyed: messages can be had during exit().
const std::error_category& FileErrorCategory();
std::error_code make_error_code(FileError error);
template <>
struct std::is_error_code_enum<FileError> : std::true_type {};

// Whether a save failed in a write in place that changed the file part-way, and the old
// content could not be put back either. Such a reason keeps the write's own error number
// as its value (and compares equal to it: error == std::errc::file_too_large), and its
// message says both: "File too large; written only in part, and the old content could
// not be put back".
bool IsNotRestored(const std::error_code& error);

// A save that needs an unnamed temporary file (below) and cannot make one fails with a
// reason that keeps the system's error number as its value (and compares equal to it),
// and whose message says what the temporary was for and names the folder: "its old
// content cannot be set aside in "/nonexistent" ($TMPDIR): No such file or directory",
// or "its new content cannot be staged in ...", without " ($TMPDIR)" for /tmp.

// Reads never block: a file is opened without waiting (a FIFO without a writer, a
// device) and refused at once unless it is a regular file, before anything is read.
// Where an error is asked for, it gets the reason of a failure: the system's (no such
// file, permission denied, is a directory) or FileError::NotARegularFile or WrongSize.

// The whole content of a regular file of at most maxBytes bytes; nothing if the file
// cannot be opened, is no regular file, is longer, or does not read completely.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, size_t maxBytes,
                                                  std::error_code* error = nullptr);

// A regular file of exactly image.size() bytes, copied into image only once it has been
// read whole; any other file leaves image as it was and gives false.
bool LoadImageFile(const std::string& path, std::span<uint8_t> image, std::error_code* error = nullptr);

// Puts bytes into the file at path so that, on a failure, the old file stays as it was
// (unless IsNotRestored(reason), below) and no temporary is left; where an error is
// asked for, it gets the system's reason (permission denied, read-only file system, no
// space left, is a directory...). It is FileReplacement's Begin, Write and Commit.
//  - The new content goes into a temporary beside the file, "<name>.tarvelion-" and
//    twelve letters or digits (the name cut short where the whole would not fit in a
//    name of the folder), that is given everything the old file was (owner, group,
//    permissions with their set-user and set-group bits, extended attributes and so
//    ACLs, and none of its own, such as an ACL taken from the folder), flushed to disk
//    and renamed over the file; then the folder is flushed, so the new name survives
//    a power loss. If only that last flush fails, the failure is reported though the
//    file already holds the new bytes; a file system that does not flush folders, or a
//    folder the user may write but not read (so cannot open for its flush), is no
//    failure.
//  - A symbolic link (or a chain of them) is followed: the file it names is replaced,
//    with the temporary in that file's own folder, and the link stays. A link to
//    nothing creates the file it names. A link whose text names nothing but that the
//    system resolves itself (/proc/self/fd/1, where /dev/stdout leads, reads
//    "pipe:[1234]" for a pipe) is taken as the system finds it: a pipe, terminal or
//    socket is no regular file, and a regular file reached only that way (a deleted
//    one) has no name to replace: "no such file or directory".
//  - An existing file that the user cannot write is left alone and the save fails with
//    "permission denied", as opening it for writing would. A file with no write
//    permission for anyone counts as protected even for the superuser, whom permission
//    bits do not stop: the user made it read-only on purpose.
//  - Anything but a regular file (a folder, FIFO, pipe, device, socket) fails at once,
//    untouched.
//  - Some files are written in place, keeping their inode: one with more than one hard
//    link; a writable one in a folder that lets no new file be made or renamed; and one
//    whose owner, group, permissions or extended attributes the replacement could not
//    keep (a file of another owner that the user may write, shared by a group; a
//    set-group-ID file of a group the user is not in, whose bit the system would drop
//    from a new file; Linux 6.2 and later drop it on that user's writes in place too).
//    Where that write cannot be done either, the save fails with its reason: the owner
//    is never changed. The old content is first copied into an unnamed temporary file
//    (in $TMPDIR, else /tmp; the save fails, untouched, where it cannot be), room for a
//    longer file is reserved, and if a write still fails part-way (a full disk, a file
//    size limit) the old content and size are put back and the reason is the write's.
//    Where that cannot be done (the file could not be read, or putting back failed too)
//    the reason is one for which IsNotRestored holds.
//  - A new file gets the permissions of any newly created file (0666 less the umask).
//  - Temporaries of this file left by a killed process are removed. Only names made by
//    this program for this file count: the last six characters check the six before
//    them and the file's whole name with a key of the program's own, so a file that the
//    user made or named ("<name>.tarvelion-backup") stays. A save holds a lock on its
//    own temporary until the rename, and only unlocked ones are removed, so a save in
//    progress in another process keeps its temporary.
bool ReplaceFile(const std::string& path, std::span<const uint8_t> bytes, std::error_code* error = nullptr);

// ReplaceFile written piece by piece, for content too large to hold in memory: the new
// content goes into a staging file as it comes (the temporary beside the file; where the
// file is known at Begin to be written in place, having more than one hard link or a
// folder where no temporary can be made, an unnamed file in $TMPDIR, else /tmp) and
// Commit puts it in place exactly as ReplaceFile does, looking at the file as it is
// then. Until Commit the file at path is untouched, and a replacement that is not
// committed (abandoned, destroyed, or left by an exception) leaves no staging file
// behind. Only a bounded amount of the content is ever held in memory, also by a write
// in place, which copies it from the staging file a piece at a time (its put-back copy
// of the old content is kept in an unnamed temporary file too).
class FileReplacement {
 public:
  FileReplacement();
  ~FileReplacement();  // abandons a replacement not committed
  FileReplacement(FileReplacement&& other) noexcept;
  FileReplacement& operator=(FileReplacement&& other) noexcept;
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Checks what ReplaceFile checks before it writes (CheckReplaceable) and makes the
  // staging file; false, with the reason, where the save could not be made.
  bool Begin(const std::string& path, std::error_code* error = nullptr);
  // Appends to the new content, or writes into it at an offset (a header filled in last).
  // A failed write spoils the replacement: later writes and Commit fail with its reason.
  // Without Begin they fail with "bad file descriptor".
  bool Write(std::span<const uint8_t> bytes, std::error_code* error = nullptr);
  bool WriteAt(uint64_t offset, std::span<const uint8_t> bytes, std::error_code* error = nullptr);
  // The length of the new content: the end of the furthest write (a gap reads as zeros).
  uint64_t Size() const { return size_; }
  // Puts the new content in place; the outcomes and reasons are ReplaceFile's. The
  // replacement is over either way.
  bool Commit(std::error_code* error = nullptr);
  // Drops the staging file; the file at path stays as it was.
  void Abandon();
  bool Begun() const { return state_ != nullptr; }

 private:
  struct State;
  State* state_ = nullptr;
  uint64_t size_ = 0;
};

// What ReplaceFile checks before it writes anything, as it would find it now: symbolic
// links followed, not a folder or other file that is no regular file, not protected
// (an existing file the user cannot write, or one without write permission for anyone),
// for a new file a folder that exists and that the user may write, and for a file that
// would be written in place (more than one hard link, or a folder where the user makes
// no new file) that an unnamed temporary can be made for its old content. False with
// the reason ReplaceFile would give.
bool CheckReplaceable(const std::string& path, std::error_code* error = nullptr);

// Whether two names name one file: by device and inode where either exists (then both
// must). Two new names, links followed, are one where their folders exist and are one
// by device and inode (seen through mounts and links to folders) and the names in them
// are equal, so that "s.out", "./s.out" and "/the/current/folder/s.out" are one new
// file; where a folder does not exist either, by the absolute place each leads to once
// symbolic links, "." and ".." are resolved.
bool SameFile(const std::string& a, const std::string& b);

// The name of the file at path (its last part), cut short where needed so that it
// fits in a name of its folder with `added` more bytes after it (a suffix such as a
// temporary's mark).
std::string NameThatFits(const std::string& path, size_t added);

// A file name as messages quote it.
std::string Quoted(const std::string& name);

// The directory of the running program, with its trailing '/'.
std::string ProgramDirectory();

// An advisory lock on a folder, held from Acquire until Release or the end of the
// object, and by nothing else. It is an flock on the folder itself, so replacing the
// files in it does not undo it, and it ends with the process, however that ends. Locks
// of two objects conflict even within one process.
class FolderLock {
 public:
  FolderLock() = default;
  ~FolderLock() { Release(); }
  FolderLock(FolderLock&& other) noexcept;
  FolderLock& operator=(FolderLock&& other) noexcept;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Releases any lock held, then takes the folder's lock without waiting. Fails with
  // FileError::Locked where another holds it, or with the system's reason where the
  // folder cannot be opened (no such file, not a directory, permission denied).
  bool Acquire(const std::string& folder, std::error_code* error = nullptr);
  void Release();
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};
