#include "host/quiet_stream.h"

#include <fcntl.h>
#include <unistd.h>

QuietStream::QuietStream(FILE* stream) : stream_(stream)
{
    std::fflush(stream_);
    const int fd = fileno(stream_);
    saved_ = dup(fd);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
        dup2(null, fd);
        close(null);
    }
}

QuietStream::~QuietStream()
{
    std::fflush(stream_);
    if (saved_ < 0) return;
    dup2(saved_, fileno(stream_));
    close(saved_);
}
