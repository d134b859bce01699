// What only the tests reach: the system calls a rewrite of Zarv.conf goes
// through, and a fresh start for each module with state. The program never
// includes this header.
#pragma once

#include <glib.h>

#include <fcntl.h>
#include <sys/types.h>

// The system calls a rewrite goes through. Tests replace them to make a
// write fail part-way; the program never changes them.
struct _prmFileOps {
    int (*pfuncMkstemp)(gchar* pszTemplate, int nFlags, int nMode);
    ssize_t (*pfuncWrite)(int fd, const void* pBuf, size_t nCount);
    int (*pfuncFsync)(int fd);
    int (*pfuncRename)(const char* pszFrom, const char* pszTo);
    int (*pfuncLink)(const char* pszFrom, const char* pszTo);
    // Reserves the space of an in-place rewrite; returns an error number.
    int (*pfuncFallocate)(int fd, off_t nOffset, off_t nLength) = posix_fallocate;
};
extern _prmFileOps m_prmFileOps;

// Drops the key file and restores the real system calls, so a test starts
// as a fresh run would.
void prmReset(void);

// Clears the setup record.
void psetReset(void);

// Clears the loading state and results.
void pwbReset(void);
