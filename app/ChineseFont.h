#pragma once

namespace melvora {

// Makes WenQuanYi Micro Hei the application font when it is installed, at 12 pixels, so that the
// Chinese labels render and fit the window's fixed layout. Call after the application exists.
// False when the font is missing (Qt's font fallback then decides).
bool UseChineseFont();

}  // namespace melvora
