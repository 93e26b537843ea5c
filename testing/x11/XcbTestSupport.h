#pragma once

// Small pieces every xcb client of the test tools needs. Only for .cpp files that include
// <xcb/xcb.h> themselves.

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace melvora::testing {

// xcb replies and events are malloc'd; this frees them on every path.
struct XcbFree {
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, XcbFree>;

// The screen `screenNumber` of a connection, as xcb_connect reported it; null when the server
// has no such screen.
inline xcb_screen_t* ScreenOf(xcb_connection_t* connection, int screenNumber) {
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    return screens.rem > 0 ? screens.data : nullptr;
}

}  // namespace melvora::testing
