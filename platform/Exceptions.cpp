#include "platform/Exceptions.h"

#include <cerrno>
#include <system_error>

namespace platform {
namespace {

FileException::Cause CauseOf(int error) {
    using Cause = FileException::Cause;
    switch (error) {
    case ENOENT:
        return Cause::NotFound;
    case ENAMETOOLONG:
    case ENOTDIR:
    case EISDIR:
    case ELOOP:
        return Cause::BadPath;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return Cause::AccessDenied;
    case EMFILE:
    case ENFILE:
        return Cause::TooManyOpenFiles;
    case ENOSPC:
    case EDQUOT:
        return Cause::DiskFull;
    case EFBIG:
        return Cause::TooLarge;
    case ESPIPE:
    case EINVAL:
        return Cause::BadSeek;
    case EIO:
        return Cause::HardIO;
    default:
        return Cause::Generic;
    }
}

} // namespace

FileException FileException::FromErrno(int error, const char* operation, const std::string& path) {
    return FileException(CauseOf(error), error,
                         std::string("cannot ") + operation + " '" + path +
                             "': " + std::generic_category().message(error));
}

} // namespace platform
