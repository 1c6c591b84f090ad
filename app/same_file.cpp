#include "app/same_file.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

namespace
{

// The volume and the file's index on it; the same pair means the same file.
bool identify(HANDLE file, BY_HANDLE_FILE_INFORMATION& identity)
{
    return file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &identity) != 0;
}

} // namespace

bool names_open_file(std::FILE* open_file, const char* name)
{
    BY_HANDLE_FILE_INFORMATION open_identity;
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the C library hands the handle over as an int
    const auto open_handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(open_file)));
    if (!identify(open_handle, open_identity)) {
        return true;
    }
    // No access asked for, and every kind of sharing allowed: the file is only looked at. The
    // name is read in the program's code page, as fopen reads it.
    const HANDLE named =
        CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION named_identity;
    const bool found = identify(named, named_identity);
    if (named != INVALID_HANDLE_VALUE) {
        CloseHandle(named);
    }
    return found && named_identity.dwVolumeSerialNumber == open_identity.dwVolumeSerialNumber &&
           named_identity.nFileIndexHigh == open_identity.nFileIndexHigh &&
           named_identity.nFileIndexLow == open_identity.nFileIndexLow;
}

#else
#include <sys/stat.h>

bool names_open_file(std::FILE* open_file, const char* name)
{
    struct stat open_identity = {};
    if (fstat(fileno(open_file), &open_identity) != 0) {
        return true;
    }
    struct stat named_identity = {};
    return stat(name, &named_identity) == 0 && named_identity.st_dev == open_identity.st_dev &&
           named_identity.st_ino == open_identity.st_ino;
}

#endif
