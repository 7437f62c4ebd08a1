#include "framework/FileBytes.h"
#include "framework/Handles.h"
#include <new>

DWORD ReadWholeFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return GetLastError();
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size))
        return GetLastError();
    if (size.QuadPart > 0x7FFFFFFF)
        return ERROR_FILE_TOO_LARGE;
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    size_t done = 0;
    DWORD error = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), &bytes[done], static_cast<DWORD>(bytes.size() - done), &got, nullptr)) {
            error = GetLastError();
            if (error == 0)
                error = ERROR_READ_FAULT;
            break;
        }
        if (got == 0)
            break;
        done += got;
    }
    bytes.resize(done);
    return error;
}

// The first start has no data file yet; that is no error.
bool IsMissingFile(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

