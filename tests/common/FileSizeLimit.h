#ifndef FILESIZELIMIT_H
#define FILESIZELIMIT_H

#include <sys/resource.h>

// While it lives, every write of this process past `bytes` into one file
// fails with EFBIG, as on a full disk; the limit and the SIGXFSZ handling are
// restored when it goes.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit saved;
    void (*previousHandler)(int);
};

#endif
