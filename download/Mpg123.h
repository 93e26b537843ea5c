#pragma once

// The one owner of libmpg123. Include this header instead of <mpg123.h>, and only from .cpp
// files.

#include <mpg123.h>

#include <memory>

namespace melvora::download::mpg123 {

// mpg123_init once per process; false when it failed.
bool EnsureLibraryInit();

struct HandleDelete {
    void operator()(mpg123_handle* handle) const {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDelete>;

}  // namespace melvora::download::mpg123
