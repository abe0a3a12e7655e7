#include "compare/JudgedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <utility>

quint32 JudgedFile_Device(quint64 dev)
{
    return quint32((quint64(major(dev)) << 20) | (minor(dev) & 0xfffff));
}
