#pragma once

#include "platform/CopyIo.h"

#include <sys/types.h>

namespace qel {

// What the file system holding a destination folder can take, asked of that
// file system itself, never guessed from a drive letter.

// Whether it is a FAT (the kernel's driver, or one served through FUSE,
// whose character set is ASCII) or exFAT, and whether syncfs(2) alone makes
// its files durable.
VolumeFacts volumeFactsOf(int dirFd);

// Whether names that differ only in case name one file in this folder. A
// probe file of ours is made, looked up in the other case and removed; false
// when no probe can be made there (the copy itself then says why).
bool foldsCase(int dirFd);

// Bytes free for us on fd's file system; -1 when it does not say.
long long freeBytes(int fd);

// Whether errnum from a create or write on fd's file system (dirFd the folder)
// means it ran out of room: ENOSPC and EDQUOT, and also "not permitted", which
// user-space FAT file systems say when the disk or a folder is full, unless
// the mount is read-only, the folder not writable to us or room is left.
bool meansOutOfRoom(int errnum, int fd, int dirFd);

// Whether errnum from creating a name in dirFd means the file system cannot
// hold that name (FAT: a colon, a control character, letters outside its
// character set): EINVAL, or "not permitted" where a plain name of ours can
// still be made there (a FAT through FUSE says EPERM for all of these).
bool refusesName(int errnum, int dirFd);

} // namespace qel
